#pragma once
// Helpers of the toolkit tests: the program's message loop in small steps (pump.h),
// waits bounded by a deadline, and the pixels a window shows.

#include <doctest.h>

#include <windows.h>

#include "pump.h"
#include "toolkit/application.h"
#include "toolkit/font.h"

#include "support/handles.h"
#include "support/test_helpers.h"

namespace toolkit_test {

using support_test::ErrorNumberOf;

using test_pump::PumpFor;
using test_pump::PumpMessages;
using test_pump::PumpUntil;

// What the window shows at a point of its client area.
inline COLORREF ScreenPixel(HWND window, int x, int y)
{
    support::WindowDC dc(window);
    return ::GetPixel(dc.get(), x, y);
}

// The pixel size of a text in a font, as GDI measures it.
inline SIZE TextExtent(const toolkit::FontSpec& wanted, std::wstring_view text)
{
    support::UniqueFont font = toolkit::MakeFont(wanted);
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject selected(dc.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

} // namespace toolkit_test
