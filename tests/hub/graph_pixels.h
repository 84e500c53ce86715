// SPDX-License-Identifier: MIT
// Reading the graphs' pixels: the green of the dashed target line.
#pragma once

#include <QColor>
#include <QImage>

namespace graphtest {

inline bool isTargetGreen(const QColor &c)
{
    return c.green() > 90 && c.red() < 60 && c.blue() < 60;
}

// The green segments of one row: many for a dashed line, one for a solid
// one, none without a line.
inline int greenSegments(const QImage &image, int y)
{
    int segments = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool green = isTargetGreen(image.pixelColor(x, y));
        segments += green && !inside ? 1 : 0;
        inside = green;
    }
    return segments;
}

} // namespace graphtest
