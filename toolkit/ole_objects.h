#pragma once
// OLE fonts and pictures made from what the toolkit holds, and HIMETRIC, the
// unit (hundredths of a millimetre) of a picture's size and a control's extent.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "toolkit/font.h"

#include "support/com.h"
#include "support/handles.h"

namespace toolkit {

inline constexpr long kHimetricPerInch = 2540;
inline constexpr double kHimetricPerTwip = kHimetricPerInch / 1440.0;

// The screen's dots per inch along LOGPIXELSX or LOGPIXELSY; 96 where it tells none.
int ScreenPixelsPerInch(int axis) noexcept;
// Screen pixels from HIMETRIC and back, at the screen's dots per inch.
SIZE PixelsFromHimetric(SIZEL himetric) noexcept;
SIZEL HimetricFromPixels(SIZE pixels) noexcept;

// A new font object as the spec describes it; the failure's HRESULT when none can be made.
HRESULT MakeOleFont(const FontSpec& spec, support::ComPtr<IFont>& font);

// Picture objects that own what they show (they destroy it when released);
// none for no handle, a run-time error when the object cannot be made.
support::ComPtr<IPictureDisp> PictureOfIcon(support::UniqueIcon icon);
support::ComPtr<IPictureDisp> PictureOfBitmap(support::UniqueBitmap bitmap);
// A picture that shows nothing; none when it cannot be made.
support::ComPtr<IPictureDisp> EmptyPicture() noexcept;

} // namespace toolkit
