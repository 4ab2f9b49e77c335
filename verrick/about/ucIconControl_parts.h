#pragma once
// What the parts of ucIconControl share: its window class, the icon a
// picture holds, the mouse pointers it takes, and a short integer as a VARIANT.

#include <windows.h>
#include <olectl.h>

#include "support/com.h"
#include "support/handles.h"
#include "toolkit/ole_objects.h"
#include "verrick/about/ucIconControl.h"

namespace verrick::icon_control {

inline constexpr wchar_t kWindowClass[] = L"Velmora.ucIconControl";

// The icon a picture holds; null for an empty picture or one of another type,
// whose handle must not reach the icon functions.
inline HICON IconOf(IPictureDisp* picture) noexcept
{
    if (!picture) return nullptr;
    auto ole = support::ComPtr<IPictureDisp>(picture).as<IPicture>();
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (!ole || FAILED(ole->get_Type(&type)) || type != PICTYPE_ICON || FAILED(ole->get_Handle(&handle)))
        return nullptr;
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

inline bool IsValidPointer(short pointer) noexcept
{
    return (pointer >= 0 && pointer <= 15) || pointer == ucIconControl::kCustomPointer;
}

inline VARIANT Short(short value) noexcept
{
    VARIANT result{};
    result.vt = VT_I2;
    result.iVal = value;
    return result;
}

} // namespace verrick::icon_control
