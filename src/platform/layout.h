// SPDX-License-Identifier: MIT
// The screens are laid out in twips on a 1024 x 768 design screen: 15 twips
// to the pixel, font sizes in points at 96 dots per inch. These helpers let
// every rectangle in the code read like its layout table.
#pragma once

#include "platform/rgb.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

inline constexpr int kTwipsPerPixel = 15;

constexpr int twips(int t)
{
    return (t >= 0 ? t + kTwipsPerPixel / 2 : t - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Places a widget at a rectangle given in twips (relative to its parent).
void placeTwips(QWidget *widget, int left, int top, int width, int height);

// Font names of the layout; registered as substitutes for the installed
// Japanese faces by registerFontSubstitutes().
inline const QString kGothicFixed = QStringLiteral("ＭＳ ゴシック");
inline const QString kGothicProportional = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kMinchoFixed = QStringLiteral("ＭＳ 明朝");

// A font of the layout: the size in points on the 96 dpi design screen,
// whatever the resolution the display reports.
QFont layoutFont(const QString &family, double points, bool bold = false);

// Maps the layout's font names to the installed IPA faces. Call once after
// the application object exists.
void registerFontSubstitutes();

// Colour written as the layout gives it in hexadecimal: 0xRRGGBB.
inline QColor rgbHex(unsigned rgb)
{
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

// A colour written as Windows stores it: &H00BBGGRR.
inline QColor bgrHex(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline QColor toQColor(const Rgb &colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

// Sets a widget's background (and optionally text) colour.
void setColours(QWidget *widget, const QColor &background, const QColor &text = QColor());
inline void setColours(QWidget *widget, const Rgb &background, const QColor &text = QColor())
{
    setColours(widget, toQColor(background), text);
}
