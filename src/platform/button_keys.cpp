// SPDX-License-Identifier: MIT
#include "platform/button_keys.h"

#include <QAbstractButton>
#include <QShortcut>

void pressedBy(QAbstractButton *button, const QKeySequence &keys, const QString &what)
{
    auto *shortcut = new QShortcut(keys, button);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isVisible() && button->isEnabled())
            button->click();
    });
    const QString key = keys.toString(QKeySequence::NativeText);
    button->setAccessibleDescription(
        what.isEmpty() ? QStringLiteral("キー %1").arg(key) : QStringLiteral("%1（キー %2）").arg(what, key));
}

bool pressOnlyEnabledButton(const QList<QAbstractButton *> &buttons)
{
    QAbstractButton *only = nullptr;
    for (QAbstractButton *button : buttons) {
        if (!button->isVisible() || !button->isEnabled())
            continue;
        if (only)
            return false;
        only = button;
    }
    if (!only)
        return false;
    only->click();
    return true;
}
