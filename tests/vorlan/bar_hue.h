#pragma once
// The hue of a bar's colour, told apart as a person would: the bars are green,
// yellow or red by how full the volume is, whatever shade the program picks.

#include <windows.h>

#include <algorithm>

namespace vorlan_test {

enum class Hue { Green, Yellow, Red, Other };

inline Hue HueOf(COLORREF color)
{
    const double r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const double high = std::max({r, g, b}), spread = high - std::min({r, g, b});
    // Dark, or so pale that it reads as grey or white.
    if (high < 96 || spread < 0.5 * high) return Hue::Other;
    double degrees = high == r   ? 60 * ((g - b) / spread)
                     : high == g ? 60 * ((b - r) / spread + 2)
                                 : 60 * ((r - g) / spread + 4);
    if (degrees < 0) degrees += 360;
    if (degrees < 25 || degrees >= 340) return Hue::Red;
    if (degrees >= 40 && degrees < 70) return Hue::Yellow;
    if (degrees >= 85 && degrees < 150) return Hue::Green;
    return Hue::Other;
}

} // namespace vorlan_test
