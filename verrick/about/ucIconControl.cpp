#include "verrick/about/ucIconControl.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "support/runtime_error.h"
#include "support/values.h"
#include "toolkit/application.h"
#include "verrick/about/icon_stream.h"
#include "verrick/com/module.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::Variant;

constexpr wchar_t kWindowClass[] = L"Velmora.ucIconControl";
constexpr LONG kHimetricPerInch = 2540;

int ScreenPixelsPerInch(int axis) noexcept
{
    support::WindowDC screen(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen.get(), axis) : 0;
    return dpi > 0 ? dpi : 96;
}

SIZE PixelsOf(SIZEL himetric) noexcept
{
    return {::MulDiv(himetric.cx, ScreenPixelsPerInch(LOGPIXELSX), kHimetricPerInch),
            ::MulDiv(himetric.cy, ScreenPixelsPerInch(LOGPIXELSY), kHimetricPerInch)};
}

SIZEL HimetricOf(SIZE pixels) noexcept
{
    return {::MulDiv(pixels.cx, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSX)),
            ::MulDiv(pixels.cy, kHimetricPerInch, ScreenPixelsPerInch(LOGPIXELSY))};
}

COLORREF ColorOf(OLE_COLOR color) noexcept
{
    COLORREF result = 0;
    return SUCCEEDED(::OleTranslateColor(color, nullptr, &result)) ? result : 0;
}

// The icon a picture holds; null for an empty picture or one of another type,
// whose handle must not reach the icon functions.
HICON IconOf(IPictureDisp* picture) noexcept
{
    if (!picture) return nullptr;
    auto ole = ComPtr<IPictureDisp>(picture).as<IPicture>();
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (!ole || FAILED(ole->get_Type(&type)) || type != PICTYPE_ICON || FAILED(ole->get_Handle(&handle)))
        return nullptr;
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
}

ComPtr<IPictureDisp> EmptyPicture() noexcept
{
    PICTDESC description{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> picture;
    ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void());
    return picture;
}

ComPtr<IPictureDisp> PictureOf(const VARIANT& value) noexcept
{
    ComPtr<IPictureDisp> picture;
    if ((value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) && value.punkVal)
        value.punkVal->QueryInterface(IID_IPictureDisp, picture.put_void());
    return picture;
}

bool IsValidPointer(short pointer) noexcept
{
    return (pointer >= 0 && pointer <= 15) || pointer == ucIconControl::kCustomPointer;
}

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

// Reads one key of a property bag. Keys compare without regard to case: the
// system's bags do so, and for one that does not the lower-case form is tried too.
bool ReadKey(IPropertyBag* bag, const wchar_t* name, VARTYPE wanted, Variant& value)
{
    value = Variant();
    value.get()->vt = wanted;
    if (FAILED(bag->Read(name, value.get(), nullptr))) {
        std::wstring lower = support::FoldedName(name);
        value = Variant();
        value.get()->vt = wanted;
        if (FAILED(bag->Read(lower.c_str(), value.get(), nullptr))) return false;
    }
    if (wanted == VT_EMPTY) return true;
    return SUCCEEDED(::VariantChangeType(value.get(), value.get(), 0, wanted));
}

void WritePicture(IPropertyBag* bag, const wchar_t* name, IPictureDisp* picture)
{
    VARIANT value{};
    value.vt = VT_DISPATCH;
    value.pdispVal = picture;
    bag->Write(name, &value);
}

HRESULT WriteBytes(IStream* stream, const void* data, ULONG size) noexcept
{
    ULONG written = 0;
    HRESULT hr = stream->Write(data, size, &written);
    return FAILED(hr) ? hr : written == size ? S_OK : STG_E_MEDIUMFULL;
}

// A picture's own stream form; empty for no picture and for one that cannot
// be saved, so that the rest of the record stays readable.
std::string PictureStreamBytes(IPictureDisp* picture)
{
    ComPtr<IStream> buffer;
    HGLOBAL memory = nullptr;
    auto persist = ComPtr<IPictureDisp>(picture).as<IPersistStream>();
    if (!persist || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, buffer.put())) ||
        FAILED(::OleSaveToStream(persist.get(), buffer.get())) ||
        FAILED(::GetHGlobalFromStream(buffer.get(), &memory)))
        return {};
    ULARGE_INTEGER end{};
    if (FAILED(buffer->Seek({}, STREAM_SEEK_CUR, &end)) || end.QuadPart > about::kMaxStreamPictureBytes)
        return {};
    support::GlobalLock<char> bytes(memory);
    if (!bytes) return {};
    return std::string(bytes.get(), static_cast<std::size_t>(end.QuadPart));
}

// A picture from its stream form: none for no bytes or bytes that do not load.
ComPtr<IPictureDisp> PictureFromStreamBytes(std::string_view bytes) noexcept
{
    ComPtr<IPictureDisp> picture;
    if (bytes.empty()) return picture;
    support::UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory) return picture;
    {
        support::GlobalLock<char> target(memory.get());
        if (!target) return picture;
        std::copy(bytes.begin(), bytes.end(), target.get());
    }
    ComPtr<IStream> buffer;
    if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, buffer.put()))) return picture;
    memory.release();
    ::OleLoadFromStream(buffer.get(), IID_IPictureDisp, picture.put_void());
    return picture;
}

VARIANT Short(short value) noexcept
{
    VARIANT result{};
    result.vt = VT_I2;
    result.iVal = value;
    return result;
}

VARIANT Single(float value) noexcept
{
    VARIANT result{};
    result.vt = VT_R4;
    result.fltVal = value;
    return result;
}

// A memory device context with the surface's image selected, for one drawing.
class ImageDC {
public:
    explicit ImageDC(HBITMAP image) noexcept : dc_(::CreateCompatibleDC(nullptr)), selected_(dc_.get(), image)
    {}
    HDC get() const noexcept { return dc_.get(); }

private:
    support::UniqueMemoryDC dc_;
    support::SelectedObject selected_;
};

} // namespace

ucIconControl::ucIconControl()
    : EventSourceObject(DIID___ucIconControl),
      notifyPoint_(static_cast<IConnectionPointContainer&>(*this), IID_IPropertyNotifySink)
{
    // Until the container says otherwise, the control is one standard icon large.
    extent_ = HimetricOf({::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)});
    ResizeSurface(PixelsOf(extent_));
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
        ImageDC target(grown.get());
        support::UniqueBrush brush(::CreateSolidBrush(ColorOf(backColor_)));
        RECT all{0, 0, pixels.cx, pixels.cy};
        ::FillRect(target.get(), &all, brush.get());
        if (image_) {
            ImageDC source(image_.get());
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
        ImageDC surface(image_.get());
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
        ImageDC surface(image_.get());
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
    return Guard([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        picture_.copy_to(Result);
    });
}

HRESULT ucIconControl::putref_Picture(IPictureDisp* New_Picture)
{
    return Guard([&] {
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
    return Guard([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = static_cast<LONG>(backColor_);
    });
}

HRESULT ucIconControl::put_BackColor(LONG New_BackColor)
{
    return Guard([&] {
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
    return Guard([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        mouseIcon_.copy_to(Result);
    });
}

HRESULT ucIconControl::putref_MouseIcon(IPictureDisp* New_MouseIcon)
{
    return Guard([&] {
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
    return Guard([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = mousePointer_;
    });
}

HRESULT ucIconControl::put_MousePointer(short New_MousePointer)
{
    return Guard([&] {
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
    ResizeSurface(PixelsOf(extent_));
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
    extent_ = HimetricOf(imageSize_);
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
    extent_ = HimetricOf(imageSize_);
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

// --- IViewObject2 ---

HRESULT ucIconControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC target, LPCRECTL bounds,
                            LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!target || !bounds) return E_INVALIDARG;
    if (!image_) return E_OUTOFMEMORY;
    ImageDC surface(image_.get());
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

// --- persistence ---

HRESULT ucIconControl::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ucIconControl;
    return S_OK;
}

HRESULT ucIconControl::InitNew()
{
    picture_ = EmptyPicture();
    backColor_ = kDefaultBackColor;
    mouseIcon_.reset();
    mousePointer_ = 0;
    ClearSurface();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Load(IPropertyBag* bag, IErrorLog*)
{
    if (!bag) return E_POINTER;
    try {
        // Each key falls back to its default when it is missing or unreadable.
        Variant value;
        picture_ = ReadKey(bag, L"Picture", VT_EMPTY, value) ? PictureOf(*value) : nullptr;
        SetBackColor(ReadKey(bag, L"BackColor", VT_I4, value) &&
                             SUCCEEDED(::OleTranslateColor(static_cast<OLE_COLOR>(value.get()->lVal), nullptr,
                                                           nullptr))
                         ? static_cast<OLE_COLOR>(value.get()->lVal)
                         : kDefaultBackColor);
        SetMouseIcon(ReadKey(bag, L"MouseIcon", VT_EMPTY, value) ? PictureOf(*value).get() : nullptr);
        mousePointer_ = ReadKey(bag, L"MousePointer", VT_I2, value) && IsValidPointer(value.get()->iVal)
                            ? value.get()->iVal
                            : 0;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
    // A loaded control shows its picture, as it did when it was saved.
    Redraw();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll)
{
    if (!bag) return E_POINTER;
    // A value equal to its default is left out unless the container asks for all; write failures are ignored.
    if (picture_ || saveAll) WritePicture(bag, L"Picture", picture_.get());
    if (backColor_ != kDefaultBackColor || saveAll) {
        VARIANT color{};
        color.vt = VT_I4;
        color.lVal = static_cast<LONG>(backColor_);
        bag->Write(L"BackColor", &color);
    }
    if (mouseIcon_ || saveAll) WritePicture(bag, L"MouseIcon", mouseIcon_.get());
    if (mousePointer_ != 0 || saveAll) {
        VARIANT pointer = Short(mousePointer_);
        bag->Write(L"MousePointer", &pointer);
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT ucIconControl::Load(IStream* stream)
{
    if (!stream) return E_POINTER;
    try {
        // Only the record's own bytes are taken: the container may keep more after them.
        HRESULT readError = S_OK;
        std::string bytes;
        const about::IconStreamLayout layout = about::ReadIconStream(
            [&](char* buffer, std::size_t size) -> std::size_t {
                ULONG read = 0;
                const HRESULT hr = stream->Read(buffer, static_cast<ULONG>(size), &read);
                if (FAILED(hr)) readError = hr;
                return FAILED(hr) ? 0 : read;
            },
            bytes);
        if (layout.status == about::IconStreamLayout::Status::WrongTag) return STG_E_OLDFORMAT;
        if (!layout.hasHeader) return FAILED(readError) ? readError : STG_E_READFAULT;
        // A picture that is cut short, damaged or unreadable is none; the rest stays.
        picture_ = PictureFromStreamBytes(layout.picture.In(bytes));
        const auto color = static_cast<OLE_COLOR>(layout.backColor);
        SetBackColor(SUCCEEDED(::OleTranslateColor(color, nullptr, nullptr)) ? color : kDefaultBackColor);
        mouseIcon_ = PictureFromStreamBytes(layout.mouseIcon.In(bytes));
        mousePointer_ = IsValidPointer(layout.mousePointer) ? layout.mousePointer : 0;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
    Redraw();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    try {
        const std::string record =
            about::BuildIconStream(static_cast<std::uint32_t>(backColor_), mousePointer_,
                                   PictureStreamBytes(picture_.get()), PictureStreamBytes(mouseIcon_.get()));
        const HRESULT hr = WriteBytes(stream, record.data(), static_cast<ULONG>(record.size()));
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
}

HRESULT ucIconControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return E_NOTIMPL;
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
    return toolkit::Guard(
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
            ImageDC surface(image_.get());
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
              static_cast<float>(ScreenPixelsPerInch(LOGPIXELSX));
    float y = static_cast<float>(GET_Y_LPARAM(position)) * 1440.0f /
              static_cast<float>(ScreenPixelsPerInch(LOGPIXELSY));
    RaiseEvent(event, {Short(button), Short(shift), Single(x), Single(y)});
}

} // namespace verrick
