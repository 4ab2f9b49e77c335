#include "verrick/about/ucIconControl.h"

#include <windowsx.h>

#include "toolkit/application.h"
#include "verrick/about/ucIconControl_parts.h"
#include "verrick/com/module.h"

namespace verrick {
namespace {

using support::ComPtr;
using namespace icon_control;

VARIANT Single(float value) noexcept
{
    VARIANT result{};
    result.vt = VT_R4;
    result.fltVal = value;
    return result;
}

} // namespace

// --- IOleObject ---

HRESULT ucIconControl::SetClientSite(IOleClientSite* site)
{
    clientSite_ = ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT ucIconControl::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    clientSite_.copy_to(site);
    return S_OK;
}

HRESULT ucIconControl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

HRESULT ucIconControl::Close(DWORD)
{
    ComPtr<IUnknown> keepAlive(static_cast<_ucIconControl*>(this));
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT ucIconControl::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT ucIconControl::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::GetClipboardData(DWORD, IDataObject** data)
{
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT ucIconControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                              LPCRECT position)
{
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: return ActivateInPlace(activeSite, parent, position);
    case OLEIVERB_HIDE:
        if (window_) ::ShowWindow(window_.get(), SW_HIDE);
        return S_OK;
    default:
        if (verb < 0) return E_NOTIMPL;
        // An unknown positive verb runs the primary one.
        HRESULT hr = ActivateInPlace(activeSite, parent, position);
        return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT ucIconControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (!verbs) return E_POINTER;
    return ::OleRegEnumVerbs(CLSID_ucIconControl, verbs);
}

HRESULT ucIconControl::Update()
{
    return S_OK;
}

HRESULT ucIconControl::IsUpToDate()
{
    return S_OK;
}

HRESULT ucIconControl::GetUserClassID(CLSID* clsid)
{
    return GetClassID(clsid);
}

HRESULT ucIconControl::GetUserType(DWORD form, LPOLESTR* type)
{
    if (!type) return E_POINTER;
    return ::OleRegGetUserType(CLSID_ucIconControl, form, type);
}

HRESULT ucIconControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    ResizeSurface(toolkit::PixelsFromHimetric(extent_));
    return S_OK;
}

HRESULT ucIconControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

HRESULT ucIconControl::Advise(IAdviseSink* sink, DWORD* connection)
{
    if (!adviseHolder_) {
        HRESULT hr = ::CreateOleAdviseHolder(adviseHolder_.put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, connection);
}

HRESULT ucIconControl::Unadvise(DWORD connection)
{
    return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT ucIconControl::EnumAdvise(IEnumSTATDATA** advises)
{
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT ucIconControl::GetMiscStatus(DWORD, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

HRESULT ucIconControl::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// --- in-place activation ---

HRESULT ucIconControl::ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position) noexcept
{
    if (window_) {
        if (position) SetObjectRects(position, position);
        ::ShowWindow(window_.get(), SW_SHOWNA);
        return S_OK;
    }
    IOleClientSite* from = activeSite ? activeSite : clientSite_.get();
    if (!from) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> site;
    if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, site.put_void()))) return OLE_E_NOT_INPLACEACTIVE;
    if (site->CanInPlaceActivate() != S_OK) return OLE_E_NOT_INPLACEACTIVE;
    HRESULT hr = site->OnInPlaceActivate();
    if (FAILED(hr)) return hr;

    HWND container = nullptr;
    if (FAILED(site->GetWindow(&container)) || !container) container = parent;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT place{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{sizeof(OLEINPLACEFRAMEINFO)};
    if (FAILED(site->GetWindowContext(frame.put(), document.put(), &place, &clip, &frameInfo))) {
        if (!position) {
            site->OnInPlaceDeactivate();
            return E_UNEXPECTED;
        }
        place = *position;
    }

    WNDCLASSEXW windowClass{sizeof(WNDCLASSEXW)};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ModuleHandle();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass); // already there for a second control: no matter
    window_.reset(::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, container, nullptr,
                                    ModuleHandle(), static_cast<_ucIconControl*>(this)));
    if (!window_) {
        hr = HRESULT_FROM_WIN32(::GetLastError());
        site->OnInPlaceDeactivate();
        return FAILED(hr) ? hr : E_FAIL;
    }
    inPlaceSite_ = std::move(site);
    ResizeSurface({place.right - place.left, place.bottom - place.top});
    extent_ = toolkit::HimetricFromPixels(imageSize_);
    ::ShowWindow(window_.get(), SW_SHOWNA);
    return S_OK;
}

HRESULT ucIconControl::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = window_.get();
    return window_ ? S_OK : E_FAIL;
}

HRESULT ucIconControl::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::InPlaceDeactivate()
{
    if (!inPlaceSite_) return S_OK;
    ComPtr<IUnknown> keepAlive(static_cast<_ucIconControl*>(this));
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
    // Fails while other controls still have windows of the class; the last one takes it away.
    ::UnregisterClassW(kWindowClass, ModuleHandle());
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT ucIconControl::UIDeactivate()
{
    return S_OK;
}

HRESULT ucIconControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position) return E_POINTER;
    SIZE size{position->right - position->left, position->bottom - position->top};
    if (window_)
        ::SetWindowPos(window_.get(), nullptr, position->left, position->top, size.cx, size.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    ResizeSurface(size);
    extent_ = toolkit::HimetricFromPixels(imageSize_);
    return S_OK;
}

HRESULT ucIconControl::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT ucIconControl::TranslateAccelerator(LPMSG)
{
    return S_FALSE;
}

HRESULT ucIconControl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT ucIconControl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT ucIconControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT ucIconControl::EnableModeless(BOOL)
{
    return S_OK;
}

// --- IOleControl ---

HRESULT ucIconControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT ucIconControl::OnMnemonic(MSG*)
{
    return E_NOTIMPL;
}

HRESULT ucIconControl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

HRESULT ucIconControl::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++frozenEvents_;
    else if (frozenEvents_ > 0)
        --frozenEvents_;
    return S_OK;
}

// --- the window ---

LRESULT CALLBACK ucIconControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* dual = reinterpret_cast<_ucIconControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dual) return ::DefWindowProcW(window, message, wParam, lParam);
    return toolkit::GuardCallback(
        [&] {
            // An event handler may drop the container's last reference to the control.
            ComPtr<_ucIconControl> keepAlive(dual);
            return static_cast<ucIconControl*>(dual)->OnMessage(window, message, wParam, lParam);
        },
        [&] { return ::DefWindowProcW(window, message, wParam, lParam); });
}

LRESULT ucIconControl::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        support::PaintDC paint(window);
        if (image_) {
            support::BitmapDC surface(nullptr, image_.get());
            ::BitBlt(paint.get(), 0, 0, imageSize_.cx, imageSize_.cy, surface.get(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            if (HICON cursor = MouseCursor()) {
                ::SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN:
        leftPressed_ = true;
        afterDoubleClick_ = false;
        ::SetCapture(window);
        RaiseMouse(DISPID_MOUSEDOWN, 1, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        ::SetCapture(window);
        RaiseMouse(DISPID_MOUSEDOWN, message == WM_RBUTTONDOWN ? 2 : 4, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        // Takes the place of the second press: the double click, then only the release.
        leftPressed_ = false;
        afterDoubleClick_ = true;
        ::SetCapture(window);
        if (frozenEvents_ == 0) RaiseEvent(DISPID_DBLCLICK, {});
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        short button = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
        bool click = false;
        if (button == 1) {
            RECT client{};
            ::GetClientRect(window, &client);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            click = leftPressed_ && !afterDoubleClick_ && ::PtInRect(&client, at);
            leftPressed_ = afterDoubleClick_ = false;
        }
        if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && ::GetCapture() == window)
            ::ReleaseCapture();
        RaiseMouse(DISPID_MOUSEUP, button, wParam, lParam);
        if (click && frozenEvents_ == 0) RaiseEvent(DISPID_CLICK, {});
        return 0;
    }
    case WM_MOUSEMOVE: {
        short buttons = static_cast<short>(((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) |
                                           ((wParam & MK_MBUTTON) ? 4 : 0));
        RaiseMouse(DISPID_MOUSEMOVE, buttons, wParam, lParam);
        return 0;
    }
    case WM_CAPTURECHANGED: leftPressed_ = false; return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ucIconControl::RaiseMouse(DISPID event, short button, WPARAM keys, LPARAM position) noexcept
{
    if (frozenEvents_ > 0) return;
    short shift = static_cast<short>(((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) |
                                     (::GetKeyState(VK_MENU) < 0 ? 4 : 0));
    // The control's scale is twips, as a user control's is by default.
    float x = static_cast<float>(GET_X_LPARAM(position)) * 1440.0f /
              static_cast<float>(toolkit::ScreenPixelsPerInch(LOGPIXELSX));
    float y = static_cast<float>(GET_Y_LPARAM(position)) * 1440.0f /
              static_cast<float>(toolkit::ScreenPixelsPerInch(LOGPIXELSY));
    RaiseEvent(event, {Short(button), Short(shift), Single(x), Single(y)});
}

} // namespace verrick
