// SPDX-License-Identifier: MIT
// A colour as the program's tables give it: red, green and blue, 0..255.
// The rules that choose a colour (the season's, the time view's lists) need
// no window system; the screens turn it into a QColor (platform/layout.h).
#pragma once

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Rgb &, const Rgb &) = default;
};
