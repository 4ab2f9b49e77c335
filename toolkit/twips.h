#pragma once
// Geometry crosses the toolkit's interface in twips; pixels live only inside.

#include <cmath>

namespace toolkit {

// The screen's twips per pixel, read once per process.
double TwipsPerPixelX();
double TwipsPerPixelY();

inline int ToPixelsX(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixelX()));
}
inline int ToPixelsY(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixelY()));
}
inline double ToTwipsX(int pixels)
{
    return pixels * TwipsPerPixelX();
}
inline double ToTwipsY(int pixels)
{
    return pixels * TwipsPerPixelY();
}

// Rounds to a whole number with halves to even (44.5 gives 44, 45.5 gives 46).
inline double RoundHalfEven(double value)
{
    return std::nearbyint(value);
}

} // namespace toolkit
