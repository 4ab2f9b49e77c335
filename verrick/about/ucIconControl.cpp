#include "verrick/about/ucIconControl.h"

#include "support/runtime_error.h"
#include "verrick/about/ucIconControl_parts.h"
#include "verrick/com/module.h"

namespace verrick {
namespace {

using support::ComPtr;
using namespace icon_control;

// The system cursor of a standard mouse pointer; null for the default (0) and the custom one.
HCURSOR StandardCursor(short pointer) noexcept
{
    static const LPCWSTR kCursors[] = {nullptr,      IDC_ARROW,       IDC_CROSS,    IDC_IBEAM,
                                       IDC_ICON,     IDC_SIZE,        IDC_SIZENESW, IDC_SIZENS,
                                       IDC_SIZENWSE, IDC_SIZEWE,      IDC_UPARROW,  IDC_WAIT,
                                       IDC_NO,       IDC_APPSTARTING, IDC_HELP,     IDC_SIZEALL};
    if (pointer <= 0 || pointer > 15) return nullptr;
    return ::LoadCursorW(nullptr, kCursors[pointer]);
}

} // namespace

ucIconControl::ucIconControl()
    : EventSourceObject(DIID___ucIconControl),
      notifyPoint_(static_cast<IConnectionPointContainer&>(*this), IID_IPropertyNotifySink)
{
    // Until the container says otherwise, the control is one standard icon large.
    extent_ = toolkit::HimetricFromPixels({::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)});
    ResizeSurface(toolkit::PixelsFromHimetric(extent_));
}

ucIconControl::~ucIconControl()
{
    // The window must not reach this object while it goes.
    if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    window_.reset();
    ::UnregisterClassW(kWindowClass, ModuleHandle());
}

HRESULT ucIconControl::QueryInterface(REFIID iid, void** object)
{
    return EventSourceObject::QueryInterface(iid, object);
}

ULONG ucIconControl::AddRef()
{
    return EventSourceObject::AddRef();
}

ULONG ucIconControl::Release()
{
    return EventSourceObject::Release();
}

bool ucIconControl::QueryExtra(REFIID iid, void** object) noexcept
{
    if (IsEqualIID(iid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        *object = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        *object = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
        *object = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistPropertyBag))
        *object = static_cast<IPersistPropertyBag*>(this);
    else if (IsEqualIID(iid, IID_IPersistStreamInit))
        *object = static_cast<IPersistStreamInit*>(this);
    else
        return EventSourceObject::QueryExtra(iid, object);
    return true;
}

void ucIconControl::SetPicture(IPictureDisp* picture) noexcept
{
    picture_ = ComPtr<IPictureDisp>(picture);
}

void ucIconControl::SetBackColor(OLE_COLOR color) noexcept
{
    // As on any surface with a persistent image, a new back colour clears it.
    backColor_ = color;
    ClearSurface();
}

void ucIconControl::SetMouseIcon(IPictureDisp* picture) noexcept
{
    mouseIcon_ = ComPtr<IPictureDisp>(picture);
}

HICON ucIconControl::MouseCursor() const noexcept
{
    if (mousePointer_ == kCustomPointer) return IconOf(mouseIcon_.get());
    return StandardCursor(mousePointer_);
}

void ucIconControl::PropertyChanged(DISPID property) noexcept
{
    dirty_ = true;
    ComPtr<IUnknown> keepAlive(static_cast<_ucIconControl*>(this));
    notifyPoint_.Notify([&](IPropertyNotifySink* sink) { sink->OnChanged(property); });
}

// --- _ucIconControl ---

HRESULT ucIconControl::get_Picture(IPictureDisp** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        picture_.copy_to(Result);
    });
}

HRESULT ucIconControl::putref_Picture(IPictureDisp* New_Picture)
{
    return GuardMethod([&] {
        ComPtr<IUnknown> keepAlive(static_cast<_ucIconControl*>(this));
        SetPicture(New_Picture);
        PropertyChanged(DISPID_PICTURE);
        Redraw();
    });
}

HRESULT ucIconControl::put_Picture(IPictureDisp* New_Picture)
{
    return putref_Picture(New_Picture);
}

HRESULT ucIconControl::get_BackColor(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = static_cast<LONG>(backColor_);
    });
}

HRESULT ucIconControl::put_BackColor(LONG New_BackColor)
{
    return GuardMethod([&] {
        COLORREF unused = 0;
        if (FAILED(::OleTranslateColor(static_cast<OLE_COLOR>(New_BackColor), nullptr, &unused)))
            support::Raise(support::err::InvalidPropertyValue);
        ComPtr<IUnknown> keepAlive(static_cast<_ucIconControl*>(this));
        SetBackColor(static_cast<OLE_COLOR>(New_BackColor));
        PropertyChanged(DISPID_BACKCOLOR);
        Redraw();
    });
}

HRESULT ucIconControl::get_MouseIcon(IPictureDisp** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        mouseIcon_.copy_to(Result);
    });
}

HRESULT ucIconControl::putref_MouseIcon(IPictureDisp* New_MouseIcon)
{
    return GuardMethod([&] {
        SetMouseIcon(New_MouseIcon);
        PropertyChanged(DISPID_MOUSEICON);
    });
}

HRESULT ucIconControl::put_MouseIcon(IPictureDisp* New_MouseIcon)
{
    return putref_MouseIcon(New_MouseIcon);
}

HRESULT ucIconControl::get_MousePointer(short* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = mousePointer_;
    });
}

HRESULT ucIconControl::put_MousePointer(short New_MousePointer)
{
    return GuardMethod([&] {
        if (!IsValidPointer(New_MousePointer)) support::Raise(support::err::InvalidPropertyValue);
        mousePointer_ = New_MousePointer;
        PropertyChanged(DISPID_MOUSEPOINTER);
    });
}

// --- IConnectionPointContainer ---

HRESULT ucIconControl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (!points) return E_POINTER;
    *points = nullptr;
    ComPtr<IConnectionPoint> events;
    HRESULT hr = EventSourceObject::FindConnectionPoint(DIID___ucIconControl, events.put());
    if (FAILED(hr)) return hr;
    return EnumerateConnectionPoints({events.get(), &notifyPoint_}, points);
}

HRESULT ucIconControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, IID_IPropertyNotifySink)) return EventSourceObject::FindConnectionPoint(iid, point);
    *point = &notifyPoint_;
    (*point)->AddRef();
    return S_OK;
}

} // namespace verrick
