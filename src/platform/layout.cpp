// SPDX-License-Identifier: MIT
#include "platform/layout.h"

#include <QFont>
#include <QPalette>
#include <QWidget>
#include <cmath>

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

QFont layoutFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    return font;
}

void registerFontSubstitutes()
{
    QFont::insertSubstitutions(kGothicFixed, { QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック") });
    QFont::insertSubstitutions(kGothicProportional, { QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic") });
    QFont::insertSubstitutions(kMinchoFixed, { QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝") });
}

void setColours(QWidget *widget, const QColor &background, const QColor &text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Button, background);
    if (text.isValid()) {
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::ButtonText, text);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
