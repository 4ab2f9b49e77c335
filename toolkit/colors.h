#pragma once
// Colours as the toolkit's properties hold them: an RGB value, or a system
// colour index with the high bit set (0x80000000 | COLOR_*).

#include <windows.h>

namespace toolkit {

using OleColor = DWORD;

inline constexpr OleColor SystemColor(int index)
{
    return 0x80000000u | static_cast<DWORD>(index);
}

inline COLORREF ToColorRef(OleColor color)
{
    return (color & 0x80000000u) ? ::GetSysColor(static_cast<int>(color & 0xFFu))
                                 : static_cast<COLORREF>(color);
}

} // namespace toolkit
