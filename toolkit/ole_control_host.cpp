#include "toolkit/ole_control_host.h"

#include <olectl.h>

#include <cmath>
#include <map>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/ole_objects.h"
#include "toolkit/twips.h"

#include "support/com_object.h"
#include "support/runtime_error.h"

namespace toolkit {

using automation::Call;
using automation::Members;
using automation::ToBool;
using automation::ToDouble;
using automation::ToLong;
using support::ComPtr;
using support::Variant;

namespace {

const wchar_t* HostClass()
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitOleHost", 0, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

// The site's ambient properties are called by DISPID alone.
template <typename... Interfaces>
using DispidOnlyObject = support::DispidOnly<support::ComObjectBase<Interfaces...>>;

void Check(HRESULT hr, const wchar_t* what)
{
    if (FAILED(hr)) support::RaiseFailedCall(hr, what);
}

} // namespace

// The in-place frame: the form's window, with no menus, tools or status line.
class OleControlHost::Frame final : public support::ComObjectBase<IOleInPlaceFrame> {
public:
    explicit Frame(HWND form) : form_(form) {}

    // The interfaces it derives from answer with it.
    bool QueryExtra(REFIID iid, void** object) noexcept override
    {
        if (!IsEqualIID(iid, IID_IOleWindow) && !IsEqualIID(iid, IID_IOleInPlaceUIWindow)) return false;
        *object = static_cast<IOleInPlaceFrame*>(this);
        return true;
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window) return E_POINTER;
        *window = form_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~Frame() override = default;
    HWND form_;
};

// The control's client site, in-place site, control site, property sink and
// ambient properties. It outlives the host only as a shell that does nothing.
class OleControlHost::Site final : public DispidOnlyObject<IOleClientSite, IOleInPlaceSiteEx, IOleControlSite,
                                                           IPropertyNotifySink, IDispatch> {
public:
    explicit Site(OleControlHost* host) : host_(host) {}
    void Orphan() noexcept { host_ = nullptr; }

    // The interfaces the in-place site derives from answer with it.
    bool QueryExtra(REFIID iid, void** object) noexcept override
    {
        if (!IsEqualIID(iid, IID_IOleWindow) && !IsEqualIID(iid, IID_IOleInPlaceSite)) return false;
        *object = static_cast<IOleInPlaceSiteEx*>(this);
        return true;
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceSite(Ex): the host's window is the control's parent.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window) return E_POINTER;
        *window = host_ ? host_->hWnd() : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override
    {
        return host_ && host_->hWnd() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override
    {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = nullptr;
        *document = nullptr; // the frame is the document window as well
        if (!host_) return E_UNEXPECTED;
        try {
            *position = *clip = host_->ClientRect();
            info->fMDIApp = FALSE;
            info->hwndFrame = host_->Parent().hWnd();
            info->haccel = nullptr;
            info->cAccelEntries = 0;
            *frame = host_->frame_.get();
            if (*frame) (*frame)->AddRef();
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    // The host's geometry rules: a control asking for another place is put back in its own.
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override
    {
        if (host_) GuardCallback([&] { host_->OnResized(); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override
    {
        if (noRedraw) *noRedraw = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** extender) override
    {
        if (!extender) return E_POINTER;
        *extender = nullptr;
        if (!host_) return E_UNEXPECTED;
        try {
            host_->Dispatch().copy_to(extender);
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }
    // The container's scale is twips.
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override
    {
        if (!himetric || !container) return E_POINTER;
        if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
            container->x = static_cast<float>(himetric->x / kHimetricPerTwip);
            container->y = static_cast<float>(himetric->y / kHimetricPerTwip);
        } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
            himetric->x = std::lround(container->x * kHimetricPerTwip);
            himetric->y = std::lround(container->y * kHimetricPerTwip);
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IPropertyNotifySink
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID property) override
    {
        if (host_ && host_->PropertyChanged) GuardCallback([&] { host_->PropertyChanged(property); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    // IDispatch: the ambient properties, by their standard DISPIDs only.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (!host_) return DISP_E_MEMBERNOTFOUND;
        try {
            Variant value = Ambient(member);
            if (value.vt() == VT_EMPTY) return DISP_E_MEMBERNOTFOUND;
            if (result) value.move_to(result);
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

private:
    ~Site() override = default;

    Variant Ambient(DISPID member) const
    {
        const Form& form = host_->Parent();
        switch (member) {
        case DISPID_AMBIENT_BACKCOLOR: return Variant::Long(static_cast<LONG>(form.BackColor()));
        case DISPID_AMBIENT_FORECOLOR: return Variant::Long(static_cast<LONG>(host_->ForeColor()));
        case DISPID_AMBIENT_FONT: return Variant::Object(AmbientFont(form.Font()).get());
        case DISPID_AMBIENT_DISPLAYNAME: return Variant::Text(host_->Name());
        case DISPID_AMBIENT_LOCALEID: return Variant::Long(static_cast<LONG>(::GetUserDefaultLCID()));
        case DISPID_AMBIENT_SCALEUNITS: return Variant::Text(L"Twip");
        case DISPID_AMBIENT_USERMODE: return Variant::Bool(true);
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_MESSAGEREFLECT:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_DISPLAYASDEFAULT:
        case DISPID_AMBIENT_SUPPORTSMNEMONICS: return Variant::Bool(false);
        default: return Variant();
        }
    }

    static ComPtr<IDispatch> AmbientFont(const FontSpec& wanted)
    {
        ComPtr<IFont> font;
        MakeOleFont(wanted, font);
        return font.as<IDispatch>();
    }

    OleControlHost* host_;
};

// The control's events: its default source interface.
class OleControlHost::EventSink final : public support::DispidEventSink<support::ComObjectBase<IDispatch>> {
public:
    EventSink(OleControlHost* host, const IID& events) : host_(host), events_(events) {}
    void Orphan() noexcept { host_ = nullptr; }

    // The control's event dispinterface is answered by this IDispatch.
    bool QueryExtra(REFIID iid, void** object) noexcept override
    {
        if (!IsEqualIID(iid, events_)) return false;
        *object = static_cast<IDispatch*>(this);
        return true;
    }

private:
    void Event(DISPID member, const DISPPARAMS& params) noexcept override
    {
        if (!host_) return;
        // The handler may unload the form and with it the host.
        ComPtr<IDispatch> keepAlive(this);
        GuardCallback([&] { host_->RaiseEvent(member, params); });
    }

    ~EventSink() override = default;
    OleControlHost* host_;
    IID events_;
};

OleControlHost::OleControlHost(Form& parent, std::wstring name, std::wstring progId)
    : WindowedControl(parent, std::move(name)), progId_(std::move(progId))
{}

OleControlHost::OleControlHost(Form& parent, std::wstring name, const CLSID& clsid)
    : WindowedControl(parent, std::move(name)), clsid_(clsid)
{}

OleControlHost::OleControlHost(Form& parent, std::wstring name, Maker maker)
    : WindowedControl(parent, std::move(name)), maker_(std::move(maker))
{}

OleControlHost::~OleControlHost()
{
    Deactivate();
}

const wchar_t* OleControlHost::ClassName() const
{
    return HostClass();
}

CLSID OleControlHost::ClassId() const
{
    if (progId_.empty()) return clsid_;
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(progId_.c_str(), &clsid)))
        support::Raise(support::err::CannotCreateObject,
                       L"ActiveX component can't create object: " + progId_);
    return clsid;
}

RECT OleControlHost::ClientRect() const
{
    return RECT{0, 0, PixelWidth(), PixelHeight()};
}

SIZEL OleControlHost::ExtentHimetric() const
{
    return SIZEL{std::lround(Width() * kHimetricPerTwip), std::lround(Height() * kHimetricPerTwip)};
}

HWND OleControlHost::ControlWindow() const
{
    HWND window = nullptr;
    if (auto inPlace = object_.as<IOleInPlaceObject>()) inPlace->GetWindow(&window);
    return window;
}

void OleControlHost::OnCreated()
{
    try {
        Activate();
    } catch (...) {
        Deactivate();
        throw;
    }
}

void OleControlHost::Activate()
{
    if (maker_) {
        object_ = maker_();
        if (!object_)
            support::Raise(support::err::CannotCreateObject, L"ActiveX component can't create object");
    } else {
        CLSID clsid = ClassId();
        HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                        IID_IOleObject, object_.put_void());
        if (FAILED(hr))
            support::Raise(support::err::CannotCreateObject, L"ActiveX component can't create object");
    }
    site_ = ComPtr<Site>::Attach(new Site(this));
    frame_ = ComPtr<Frame>::Attach(new Frame(Parent().hWnd()));
    IOleClientSite* site = site_.get();

    DWORD status = 0;
    object_->GetMiscStatus(DVASPECT_CONTENT, &status);
    // Most controls read ambient properties while they load: the site comes first when they ask.
    if (status & OLEMISC_SETCLIENTSITEFIRST)
        Check(object_->SetClientSite(site), L"IOleObject::SetClientSite");
    auto bagPersist = object_.as<IPersistPropertyBag>();
    if (bagPersist && !properties_.Empty()) {
        Check(properties_.Lend([&](IPropertyBag* bag) { return bagPersist->Load(bag, nullptr); }),
              L"IPersistPropertyBag::Load");
    } else if (auto streamPersist = object_.as<IPersistStreamInit>()) {
        Check(streamPersist->InitNew(), L"IPersistStreamInit::InitNew");
    } else if (bagPersist) {
        Check(bagPersist->InitNew(), L"IPersistPropertyBag::InitNew");
    }
    if (!(status & OLEMISC_SETCLIENTSITEFIRST))
        Check(object_->SetClientSite(site), L"IOleObject::SetClientSite");
    SIZEL extent = ExtentHimetric();
    object_->SetExtent(DVASPECT_CONTENT, &extent);
    dispatch_ = object_.as<IDispatch>();

    if (auto container = object_.as<IConnectionPointContainer>()) {
        IID events{};
        if (auto info = object_.as<IProvideClassInfo2>();
            info && SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) &&
            SUCCEEDED(container->FindConnectionPoint(events, eventPoint_.put()))) {
            sink_ = ComPtr<EventSink>::Attach(new EventSink(this, events));
            if (FAILED(eventPoint_->Advise(static_cast<IDispatch*>(sink_.get()), &eventCookie_)))
                eventPoint_.reset();
        }
        if (SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, notifyPoint_.put())) &&
            FAILED(notifyPoint_->Advise(static_cast<IPropertyNotifySink*>(site_.get()), &notifyCookie_)))
            notifyPoint_.reset();
    }

    RECT place = ClientRect();
    Check(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, hWnd(), &place), L"IOleObject::DoVerb");
}

void OleControlHost::Deactivate() noexcept
{
    if (eventPoint_) eventPoint_->Unadvise(eventCookie_);
    if (notifyPoint_) notifyPoint_->Unadvise(notifyCookie_);
    eventPoint_.reset();
    notifyPoint_.reset();
    eventCookie_ = notifyCookie_ = 0;
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
    dispatch_.reset();
    object_.reset();
    if (sink_) sink_->Orphan();
    if (site_) site_->Orphan();
    sink_.reset();
    site_.reset();
    frame_.reset();
}

void OleControlHost::Detach()
{
    Deactivate();
    WindowedControl::Detach();
}

void OleControlHost::OnResized()
{
    if (!object_) return;
    SIZEL extent = ExtentHimetric();
    object_->SetExtent(DVASPECT_CONTENT, &extent);
    RECT place = ClientRect();
    if (auto inPlace = object_.as<IOleInPlaceObject>()) inPlace->SetObjectRects(&place, &place);
}

void OleControlHost::SaveProperties(PropertyBag& bag)
{
    if (!object_) {
        bag = properties_;
        return;
    }
    bag.Clear();
    SIZEL extent = ExtentHimetric();
    bag.Write(L"_ExtentX", *Variant::Long(extent.cx));
    bag.Write(L"_ExtentY", *Variant::Long(extent.cy));
    if (auto persist = object_.as<IPersistPropertyBag>())
        Check(bag.Lend([&](IPropertyBag* lent) { return persist->Save(lent, TRUE, FALSE); }),
              L"IPersistPropertyBag::Save");
}

void OleControlHost::RaiseEvent(DISPID event, const DISPPARAMS& arguments)
{
    if (OnEvent) OnEvent(event, arguments);
    // Arguments arrive last first.
    auto argument = [&](UINT index) -> const VARIANT& {
        return arguments.rgvarg[arguments.cArgs - 1 - index];
    };
    auto mouse = [&](const std::function<void(int, int, float, float)>& handler) {
        if (!handler || arguments.cArgs != 4) return;
        handler(ToLong(argument(0)), ToLong(argument(1)), static_cast<float>(ToDouble(argument(2))),
                static_cast<float>(ToDouble(argument(3))));
    };
    switch (event) {
    case DISPID_CLICK:
        if (Click) Click();
        break;
    case DISPID_DBLCLICK:
        if (DblClick) DblClick();
        break;
    case DISPID_MOUSEDOWN: mouse(MouseDown); break;
    case DISPID_MOUSEMOVE: mouse(MouseMove); break;
    case DISPID_MOUSEUP: mouse(MouseUp); break;
    default: break;
    }
}

const automation::ClassInfo& OleControlHost::AutomationClass() const
{
    // One class per kind of control, named as its ProgID names it (what TypeName reads).
    static std::map<std::wstring, automation::ClassInfo> classes;
    std::wstring typeName = progId_;
    if (typeName.empty()) {
        support::UniqueTaskMemory<OLECHAR> registered;
        if (SUCCEEDED(::ProgIDFromCLSID(clsid_, registered.put()))) typeName = registered.get();
    }
    typeName = typeName.empty() ? L"Object" : typeName.substr(typeName.rfind(L'.') + 1);
    auto found = classes.find(typeName);
    if (found != classes.end()) return found->second;
    automation::ClassInfo made(typeName);
    // The extender's own members; every other name is the control's.
    Control::DescribeMembers(made);
    WindowedControl::DescribePlacement(made);
    Members<OleControlHost>(made)
        .Property(
            L"TabIndex", [](OleControlHost& c) { return Variant::Long(c.TabIndex()); },
            [](OleControlHost& c, const VARIANT& v) { c.TabIndex(ToLong(v)); })
        .Property(
            L"TabStop", [](OleControlHost& c) { return Variant::Bool(c.TabStop()); },
            [](OleControlHost& c, const VARIANT& v) { c.TabStop(ToBool(v)); })
        .Method(L"ZOrder",
                [](OleControlHost& c, const Call& call) {
                    const VARIANT* position = call.Optional(0);
                    c.ZOrder(position ? ToLong(*position) : 0);
                    return Variant();
                })
        .Property(L"Object", [](OleControlHost& c) {
            if (!c.Object()) support::Raise(support::err::ObjectVariableNotSet);
            return Variant::Object(c.Object().get());
        });
    return classes.emplace(typeName, std::move(made)).first->second;
}

} // namespace toolkit
