#include "verrick/about/ucIconControl.h"

#include <algorithm>

#include "verrick/about/ucIconControl_parts.h"

namespace verrick {
namespace {

using support::ComPtr;
using namespace icon_control;

COLORREF ColorOf(OLE_COLOR color) noexcept
{
    COLORREF result = 0;
    return SUCCEEDED(::OleTranslateColor(color, nullptr, &result)) ? result : 0;
}

} // namespace

// --- the surface ---

void ucIconControl::ResizeSurface(SIZE pixels) noexcept
{
    pixels.cx = std::max<LONG>(pixels.cx, 1);
    pixels.cy = std::max<LONG>(pixels.cy, 1);
    if (image_ && pixels.cx == imageSize_.cx && pixels.cy == imageSize_.cy) return;
    support::UniqueBitmap grown;
    {
        support::WindowDC screen(nullptr);
        grown.reset(::CreateCompatibleBitmap(screen.get(), pixels.cx, pixels.cy));
    }
    if (!grown) return;
    {
        // A larger surface keeps what it showed; the new part is back colour.
        support::BitmapDC target(nullptr, grown.get());
        support::UniqueBrush brush(::CreateSolidBrush(ColorOf(backColor_)));
        RECT all{0, 0, pixels.cx, pixels.cy};
        ::FillRect(target.get(), &all, brush.get());
        if (image_) {
            support::BitmapDC source(nullptr, image_.get());
            ::BitBlt(target.get(), 0, 0, imageSize_.cx, imageSize_.cy, source.get(), 0, 0, SRCCOPY);
        }
    }
    image_ = std::move(grown);
    imageSize_ = pixels;
}

void ucIconControl::ClearSurface() noexcept
{
    if (!image_) return;
    {
        support::BitmapDC surface(nullptr, image_.get());
        support::UniqueBrush brush(::CreateSolidBrush(ColorOf(backColor_)));
        RECT all{0, 0, imageSize_.cx, imageSize_.cy};
        ::FillRect(surface.get(), &all, brush.get());
    }
    SurfaceChanged();
}

void ucIconControl::Redraw() noexcept
{
    if (!picture_) {
        ClearSurface();
        return;
    }
    if (HICON icon = IconOf(picture_.get()); icon && image_) {
        support::BitmapDC surface(nullptr, image_.get());
        ::DrawIcon(surface.get(), 0, 0, icon);
    }
    SurfaceChanged();
}

void ucIconControl::SurfaceChanged() noexcept
{
    if (window_) ::InvalidateRect(window_.get(), nullptr, FALSE);
    if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT)) {
        ComPtr<IAdviseSink> sink = viewSink_;
        if (viewFlags_ & ADVF_ONLYONCE) viewSink_.reset();
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

// --- IViewObject2 ---

HRESULT ucIconControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC target, LPCRECTL bounds,
                            LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!target || !bounds) return E_INVALIDARG;
    if (!image_) return E_OUTOFMEMORY;
    support::BitmapDC surface(nullptr, image_.get());
    LONG width = bounds->right - bounds->left, height = bounds->bottom - bounds->top;
    if (width == imageSize_.cx && height == imageSize_.cy)
        ::BitBlt(target, bounds->left, bounds->top, width, height, surface.get(), 0, 0, SRCCOPY);
    else
        ::StretchBlt(target, bounds->left, bounds->top, width, height, surface.get(), 0, 0, imageSize_.cx,
                     imageSize_.cy, SRCCOPY);
    return S_OK;
}

HRESULT ucIconControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors)
{
    if (colors) *colors = nullptr;
    return S_FALSE;
}

HRESULT ucIconControl::Freeze(DWORD, LONG, void*, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = ComPtr<IAdviseSink>(sink);
    if (sink && (flags & ADVF_PRIMEFIRST)) SurfaceChanged();
    return S_OK;
}

HRESULT ucIconControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) viewSink_.copy_to(sink);
    return S_OK;
}

HRESULT ucIconControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

} // namespace verrick
