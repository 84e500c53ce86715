// SPDX-License-Identifier: MIT
// What a screen reader (AT-SPI) is told about a control.
#pragma once

#include <QAccessible>
#include <QLabel>
#include <QString>

inline QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

inline QString accessibleDescription(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Description) : QString();
}
