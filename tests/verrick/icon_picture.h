#pragma once
// Icons with known colours for the icon control's tests.

#include <doctest.h>

#include <windows.h>
#include <olectl.h>

#include "support/com.h"
#include "support/handles.h"

namespace verrick_test {

// A 32 x 32 icon: the left `opaque` columns in one colour, the rest transparent.
inline support::ComPtr<IPictureDisp> IconPicture(COLORREF color, int opaque = 32)
{
    support::UniqueBitmap mask(::CreateBitmap(32, 32, 1, 1, nullptr));
    support::UniqueBitmap colors;
    {
        support::WindowDC screen(nullptr);
        colors.reset(::CreateCompatibleBitmap(screen.get(), 32, 32));
        support::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
        {
            support::SelectedObject selected(dc.get(), colors.get());
            RECT all{0, 0, 32, 32}, shown{0, 0, opaque, 32};
            ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
            support::UniqueBrush brush(::CreateSolidBrush(color));
            ::FillRect(dc.get(), &shown, brush.get());
        }
        support::SelectedObject selected(dc.get(), mask.get());
        RECT all{0, 0, 32, 32}, hidden{opaque, 0, 32, 32};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::FillRect(dc.get(), &hidden, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ICONINFO info{TRUE, 0, 0, mask.get(), colors.get()};
    PICTDESC description{sizeof(PICTDESC), PICTYPE_ICON, {}};
    description.icon.hicon = ::CreateIconIndirect(&info);
    support::ComPtr<IPictureDisp> picture;
    REQUIRE(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void()) == S_OK);
    return picture;
}

} // namespace verrick_test
