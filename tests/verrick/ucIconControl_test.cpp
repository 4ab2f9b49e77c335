#include <doctest.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "icon_picture.h"
#include "server.h"
#include "support/handles.h"
#include "leak_probe.h"

using namespace verrick_test;

namespace {

constexpr HRESULT kInvalidPropertyValue = MAKE_HRESULT(1, FACILITY_CONTROL, 380);
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);
constexpr int kSide = 64; // the control's size on the form, in pixels

std::wstring RegistryText(const std::wstring& key)
{
    wchar_t text[64] = {};
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return text;
}

std::wstring ClassKey()
{
    wchar_t clsid[40] = {};
    ::StringFromGUID2(CLSID_ucIconControl, clsid, 40);
    return std::wstring(L"CLSID\\") + clsid;
}

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

struct Event {
    DISPID id;
    std::vector<double> arguments; // in declaration order
    bool operator==(const Event&) const = default;
};

// The form that holds the control: client and in-place site, frame, event sink
// and property notification sink in one object owned by the test.
class Container final : public IOleClientSite,
                        public IOleInPlaceSite,
                        public IOleInPlaceFrame,
                        public IPropertyNotifySink,
                        public IDispatch {
public:
    Container()
        : window_(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 200,
                                    200, nullptr, nullptr, nullptr, nullptr))
    {}
    HWND Window() const { return window_.get(); }
    std::vector<Event> events;
    std::vector<DISPID> changed;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *object = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceFrame) || IsEqualIID(iid, IID_IOleInPlaceUIWindow))
            *object = static_cast<IOleInPlaceFrame*>(this);
        else if (IsEqualIID(iid, IID_IPropertyNotifySink))
            *object = static_cast<IPropertyNotifySink*>(this);
        else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID___ucIconControl))
            *object = static_cast<IDispatch*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        return *container = nullptr, E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return *window = Window(), S_OK; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return ++activations, S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               RECT* place, RECT* clip, OLEINPLACEFRAMEINFO* info) override
    {
        *frame = this;
        *document = nullptr;
        *place = *clip = RECT{0, 0, kSide, kSide};
        info->fMDIApp = FALSE;
        info->hwndFrame = Window();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return --activations, S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IPropertyNotifySink
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID property) override
    {
        return changed.push_back(property), S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    // IDispatch: the control's events
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        Event event{member, {}};
        for (UINT i = params->cArgs; i-- > 0;) {
            Variant value = Variant::CopyOf(params->rgvarg[i]);
            REQUIRE(::VariantChangeType(value.get(), value.get(), 0, VT_R8) == S_OK);
            event.arguments.push_back(value.get()->dblVal);
        }
        events.push_back(event);
        return S_OK;
    }

    int activations = 0;

private:
    support::UniqueWindow window_;
};

// A property bag as a form file keeps one: keys without regard to case unless asked otherwise.
class PropertyBag final : public IPropertyBag {
public:
    explicit PropertyBag(bool caseSensitive = false) : caseSensitive_(caseSensitive) {}
    std::map<std::wstring, Variant> values;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag);
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        auto found = values.find(Key(name));
        if (found == values.end()) return E_INVALIDARG;
        VARTYPE wanted = value->vt;
        Variant copy = found->second;
        if (wanted != VT_EMPTY && FAILED(::VariantChangeType(copy.get(), copy.get(), 0, wanted)))
            return DISP_E_TYPEMISMATCH;
        *value = copy.release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override
    {
        values[Key(name)] = Variant::CopyOf(*value);
        return S_OK;
    }

private:
    std::wstring Key(LPCOLESTR name) const
    {
        std::wstring key(name);
        if (!caseSensitive_)
            for (auto& c : key)
                c = static_cast<wchar_t>(std::towlower(c));
        return key;
    }
    bool caseSensitive_;
};

ComPtr<_ucIconControl> CreateByProgId()
{
    CLSID clsid{};
    REQUIRE(::CLSIDFromProgID(L"Velmora.ucIconControl", &clsid) == S_OK);
    CHECK(IsEqualCLSID(clsid, CLSID_ucIconControl));
    ComPtr<_ucIconControl> control;
    REQUIRE(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__ucIconControl,
                               control.put_void()) == S_OK);
    return control;
}

// Sites, initialises and activates a control in the container; returns the control's window.
HWND Host(_ucIconControl* control, Container& container, IPropertyBag* bag = nullptr)
{
    auto object = ComPtr<_ucIconControl>(control).as<IOleObject>();
    DWORD status = 0;
    REQUIRE(object->GetMiscStatus(DVASPECT_CONTENT, &status) == S_OK);
    CHECK((status & OLEMISC_SETCLIENTSITEFIRST) != 0);
    REQUIRE(object->SetClientSite(&container) == S_OK);
    if (bag)
        REQUIRE(ComPtr<_ucIconControl>(control).as<IPersistPropertyBag>()->Load(bag, nullptr) == S_OK);
    else
        REQUIRE(ComPtr<_ucIconControl>(control).as<IPersistStreamInit>()->InitNew() == S_OK);
    RECT place{0, 0, kSide, kSide};
    REQUIRE(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.Window(), &place) ==
            S_OK);
    HWND window = nullptr;
    REQUIRE(ComPtr<_ucIconControl>(control).as<IOleInPlaceObject>()->GetWindow(&window) == S_OK);
    CHECK(::GetParent(window) == container.Window());
    return window;
}

void Unhost(_ucIconControl* control)
{
    auto object = ComPtr<_ucIconControl>(control).as<IOleObject>();
    CHECK(object->Close(OLECLOSE_NOSAVE) == S_OK);
    CHECK(object->SetClientSite(nullptr) == S_OK);
}

DWORD Connect(IUnknown* control, REFIID iid, IUnknown* sink)
{
    ComPtr<IConnectionPoint> point;
    REQUIRE(ComPtr<IUnknown>(control).as<IConnectionPointContainer>()->FindConnectionPoint(
                iid, point.put()) == S_OK);
    DWORD cookie = 0;
    REQUIRE(point->Advise(sink, &cookie) == S_OK);
    return cookie;
}

// One pixel of what the control draws, through IViewObject::Draw as a container prints it.
COLORREF DrawnPixel(_ucIconControl* control, int x, int y)
{
    support::WindowDC screen(nullptr);
    support::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
    support::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), kSide, kSide));
    support::SelectedObject selected(dc.get(), bitmap.get());
    RECTL bounds{0, 0, kSide, kSide};
    auto view = ComPtr<_ucIconControl>(control).as<IViewObject>();
    REQUIRE(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds, nullptr, nullptr,
                       0) == S_OK);
    return ::GetPixel(dc.get(), x, y);
}

double Twips(int pixels)
{
    support::WindowDC screen(nullptr);
    return pixels * 1440.0 / ::GetDeviceCaps(screen.get(), LOGPIXELSX);
}

} // namespace

TEST_CASE("ucIconControl::RegisteredAsControl")
{
    {
        Registration registration;
        CHECK(RegistryText(L"Velmora.ucIconControl\\CLSID").size() == 38);
        CHECK(RegistryText(ClassKey() + L"\\ProgID") == L"Velmora.ucIconControl");
        CHECK(RegistryText(ClassKey() + L"\\MiscStatus\\1") == std::to_wstring(0x20191));
        support::UniqueRegKey key;
        CHECK(::RegOpenKeyExW(HKEY_CLASSES_ROOT, (ClassKey() + L"\\Control").c_str(), 0, KEY_READ,
                              key.put()) == ERROR_SUCCESS);
    }
    support::UniqueRegKey gone;
    CHECK(::RegOpenKeyExW(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, KEY_READ, gone.put()) ==
          ERROR_FILE_NOT_FOUND);
}

TEST_CASE("ucIconControl::DrawsIconsOverTheSurfaceAndClearsToBackColor")
{
    Com com;
    Registration registration;
    Container container;
    auto control = CreateByProgId();
    Connect(control.get(), IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(&container));
    HWND window = Host(control.get(), container);
    CHECK(container.activations == 1);

    // A new instance: an empty picture, nothing drawn on the button-face surface.
    ComPtr<IPictureDisp> empty;
    REQUIRE(control->get_Picture(empty.put()) == S_OK);
    OLE_HANDLE handle = 1;
    REQUIRE(empty);
    empty.as<IPicture>()->get_Handle(&handle);
    CHECK(handle == 0);
    LONG color = 0;
    control->get_BackColor(&color);
    CHECK(static_cast<DWORD>(color) == 0x8000000F);
    CHECK(DrawnPixel(control.get(), 0, 0) == ::GetSysColor(COLOR_BTNFACE));

    REQUIRE(control->putref_Picture(IconPicture(kRed).get()) == S_OK);
    CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
    CHECK(DrawnPixel(control.get(), 31, 31) == kRed);
    CHECK(DrawnPixel(control.get(), 40, 40) == ::GetSysColor(COLOR_BTNFACE));
    ::UpdateWindow(window);
    {
        support::WindowDC onScreen(window);
        CHECK(::GetPixel(onScreen.get(), 5, 5) == kRed);
    }

    // Where the second icon is transparent, the first stays.
    REQUIRE(control->put_Picture(IconPicture(kBlue, 16).get()) == S_OK);
    CHECK(DrawnPixel(control.get(), 0, 0) == kBlue);
    CHECK(DrawnPixel(control.get(), 20, 0) == kRed);

    // A new back colour clears the surface and the icon is drawn again.
    REQUIRE(control->put_BackColor(0x0000FF00) == S_OK);
    CHECK(DrawnPixel(control.get(), 0, 0) == kBlue);
    CHECK(DrawnPixel(control.get(), 20, 0) == kGreen);
    CHECK(control->put_BackColor(0x12345678) == kInvalidPropertyValue);

    // A bitmap's handle is no icon: nothing is drawn. No picture: the back colour.
    PICTDESC bitmap{sizeof(PICTDESC), PICTYPE_BITMAP, {}};
    {
        support::WindowDC screen(nullptr);
        bitmap.bmp.hbitmap = ::CreateCompatibleBitmap(screen.get(), 8, 8);
    }
    ComPtr<IPictureDisp> notIcon;
    REQUIRE(::OleCreatePictureIndirect(&bitmap, IID_IPictureDisp, TRUE, notIcon.put_void()) == S_OK);
    REQUIRE(control->putref_Picture(notIcon.get()) == S_OK);
    CHECK(DrawnPixel(control.get(), 0, 0) == kBlue);
    REQUIRE(control->putref_Picture(nullptr) == S_OK);
    CHECK(DrawnPixel(control.get(), 0, 0) == kGreen);

    // Pointer 99 shows the mouse icon as the window's cursor.
    auto cursor = IconPicture(kRed);
    REQUIRE(control->putref_MouseIcon(cursor.get()) == S_OK);
    REQUIRE(control->put_MousePointer(99) == S_OK);
    CHECK(control->put_MousePointer(50) == kInvalidPropertyValue);
    ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    OLE_HANDLE cursorHandle = 0;
    cursor.as<IPicture>()->get_Handle(&cursorHandle);
    CHECK(::GetCursor() == reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(cursorHandle)));

    CHECK(container.changed == std::vector<DISPID>{DISPID_PICTURE, DISPID_PICTURE, DISPID_BACKCOLOR,
                                                   DISPID_PICTURE, DISPID_PICTURE, DISPID_MOUSEICON,
                                                   DISPID_MOUSEPOINTER});
    Unhost(control.get());
    CHECK(container.activations == 0);
    CHECK_FALSE(::IsWindow(window));
}

TEST_CASE("ucIconControl::MouseEventsReachTheHost")
{
    Com com;
    Registration registration;
    Container container;
    auto control = CreateByProgId();
    Connect(control.get(), DIID___ucIconControl, static_cast<IDispatch*>(&container));
    HWND window = Host(control.get(), container);
    // Only the messages posted here: the real pointer stays off the control.
    ::SetCursorPos(0, 0);

    auto post = [&](UINT message, WPARAM keys, int x, int y) {
        ::PostMessageW(window, message, keys, MAKELPARAM(x, y));
        Pump();
    };
    post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 3, 4);
    post(WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON | MK_CONTROL, 10, 2);
    post(WM_LBUTTONUP, MK_SHIFT, 3, 4);
    post(WM_LBUTTONDBLCLK, MK_LBUTTON, 1, 1);
    post(WM_LBUTTONUP, 0, 1, 1);
    post(WM_RBUTTONDOWN, MK_RBUTTON, 7, 8);
    post(WM_RBUTTONUP, 0, 7, 8);
    const std::vector<Event> expected{
        {DISPID_MOUSEDOWN, {1, 1, Twips(3), Twips(4)}},
        {DISPID_MOUSEMOVE, {3, 2, Twips(10), Twips(2)}},
        {DISPID_MOUSEUP, {1, 1, Twips(3), Twips(4)}},
        {DISPID_CLICK, {}},
        {DISPID_DBLCLICK, {}},
        {DISPID_MOUSEUP, {1, 0, Twips(1), Twips(1)}},
        {DISPID_MOUSEDOWN, {2, 0, Twips(7), Twips(8)}},
        {DISPID_MOUSEUP, {2, 0, Twips(7), Twips(8)}},
    };
    CHECK(container.events == expected);

    // Frozen events are dropped.
    container.events.clear();
    control.as<IOleControl>()->FreezeEvents(TRUE);
    post(WM_LBUTTONDOWN, MK_LBUTTON, 3, 4);
    post(WM_LBUTTONUP, 0, 3, 4);
    CHECK(container.events.empty());
    control.as<IOleControl>()->FreezeEvents(FALSE);
    Unhost(control.get());
}

TEST_CASE("ucIconControl::PropertiesSurviveSaveAndLoad")
{
    Com com;
    Registration registration;
    auto picture = IconPicture(kRed), mouseIcon = IconPicture(kBlue);
    PropertyBag bag;
    {
        Container container;
        auto control = CreateByProgId();
        Host(control.get(), container);
        control->putref_Picture(picture.get());
        control->put_BackColor(0x00808000);
        control->putref_MouseIcon(mouseIcon.get());
        control->put_MousePointer(99);
        CHECK(control.as<IPersistStreamInit>()->IsDirty() == S_OK);
        REQUIRE(control.as<IPersistPropertyBag>()->Save(&bag, TRUE, FALSE) == S_OK);
        CHECK(control.as<IPersistStreamInit>()->IsDirty() == S_FALSE);
        Unhost(control.get());
    }
    CHECK(bag.values.size() == 4);

    auto loadedFrom = [&](IPropertyBag* from) {
        Container container;
        auto control = CreateByProgId();
        Host(control.get(), container, from);
        ComPtr<IPictureDisp> loadedPicture, loadedIcon;
        LONG color = 0;
        short pointer = 0;
        control->get_Picture(loadedPicture.put());
        control->get_BackColor(&color);
        control->get_MouseIcon(loadedIcon.put());
        control->get_MousePointer(&pointer);
        CHECK(support::SameObject(loadedPicture.get(), picture.get()));
        CHECK(color == 0x00808000);
        CHECK(support::SameObject(loadedIcon.get(), mouseIcon.get()));
        CHECK(pointer == 99);
        // The loaded picture is shown, on the loaded back colour.
        CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
        CHECK(DrawnPixel(control.get(), 40, 40) == RGB(0, 0x80, 0x80));
        Unhost(control.get());
    };
    SUBCASE("a bag that ignores case")
    {
        loadedFrom(&bag);
    }
    SUBCASE("a case-sensitive bag holding lower-case keys")
    {
        PropertyBag exact(true);
        for (const auto& [key, value] : bag.values)
            exact.values[key] = value;
        loadedFrom(&exact);
    }
    SUBCASE("unreadable values keep their defaults")
    {
        PropertyBag damaged;
        damaged.values[L"backcolor"] = Variant::Text(L"not a colour");
        damaged.values[L"mousepointer"] = Variant::Long(1000);
        Container container;
        auto control = CreateByProgId();
        Host(control.get(), container, &damaged);
        LONG color = 0;
        short pointer = -1;
        ComPtr<IPictureDisp> none;
        control->get_BackColor(&color);
        control->get_MousePointer(&pointer);
        control->get_Picture(none.put());
        CHECK(static_cast<DWORD>(color) == 0x8000000F);
        CHECK(pointer == 0);
        CHECK_FALSE(none);
        Unhost(control.get());
    }
    SUBCASE("a stream")
    {
        ComPtr<IStream> stream;
        REQUIRE(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()) == S_OK);
        {
            auto control = CreateByProgId();
            control.as<IPersistStreamInit>()->InitNew();
            control->putref_Picture(picture.get());
            control->put_BackColor(0x00808000);
            control->put_MousePointer(5);
            REQUIRE(control.as<IPersistStreamInit>()->Save(stream.get(), TRUE) == S_OK);
        }
        stream->Seek({}, STREAM_SEEK_SET, nullptr);
        auto control = CreateByProgId();
        REQUIRE(control.as<IPersistStreamInit>()->Load(stream.get()) == S_OK);
        LONG color = 0;
        short pointer = 0;
        control->get_BackColor(&color);
        control->get_MousePointer(&pointer);
        CHECK(color == 0x00808000);
        CHECK(pointer == 5);
        CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
    }
}

namespace {

std::string BytesOf(IStream* stream)
{
    HGLOBAL memory = nullptr;
    ULARGE_INTEGER end{};
    if (FAILED(::GetHGlobalFromStream(stream, &memory)) || FAILED(stream->Seek({}, STREAM_SEEK_CUR, &end)))
        return {};
    support::GlobalLock<char> bytes(memory);
    return bytes ? std::string(bytes.get(), static_cast<size_t>(end.QuadPart)) : std::string();
}

ComPtr<IStream> StreamOf(const std::string& bytes)
{
    ComPtr<IStream> stream;
    ULONG written = 0;
    REQUIRE(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()) == S_OK);
    REQUIRE(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written) == S_OK);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

ULONGLONG Position(IStream* stream)
{
    ULARGE_INTEGER at{};
    stream->Seek({}, STREAM_SEEK_CUR, &at);
    return at.QuadPart;
}

void PutLength(std::string& record, size_t at, DWORD length)
{
    for (int i = 0; i < 4; ++i)
        record[at + i] = static_cast<char>(length >> (8 * i));
}

} // namespace

TEST_CASE("ucIconControl::DamagedStreamsLoadWhatTheyHold")
{
    Com com;
    Registration registration;
    std::string record;
    {
        auto control = CreateByProgId();
        control.as<IPersistStreamInit>()->InitNew();
        control->putref_Picture(IconPicture(kRed).get());
        control->put_BackColor(0x00808000);
        control->putref_MouseIcon(IconPicture(kBlue).get());
        control->put_MousePointer(3);
        ComPtr<IStream> stream;
        REQUIRE(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()) == S_OK);
        REQUIRE(control.as<IPersistStreamInit>()->Save(stream.get(), TRUE) == S_OK);
        record = BytesOf(stream.get());
    }
    // tag, colour, pointer, then the picture's length and bytes, the mouse icon's length and bytes
    REQUIRE(record.size() > 18);
    CHECK(record.compare(0, 4, "UIC1") == 0);
    DWORD pictureSize = 0;
    std::memcpy(&pictureSize, record.data() + 10, 4);
    REQUIRE(pictureSize > 0);
    const size_t iconLengthAt = 14 + pictureSize;
    REQUIRE(iconLengthAt + 4 < record.size());

    auto control = CreateByProgId();
    control.as<IPersistStreamInit>()->InitNew();
    auto load = [&](const std::string& bytes) {
        return control.as<IPersistStreamInit>()->Load(StreamOf(bytes).get());
    };
    auto state = [&] {
        LONG color = 0;
        short pointer = 0;
        ComPtr<IPictureDisp> picture, mouseIcon;
        control->get_BackColor(&color);
        control->get_MousePointer(&pointer);
        control->get_Picture(picture.put());
        control->get_MouseIcon(mouseIcon.put());
        return std::to_string(color) + " " + std::to_string(pointer) + (picture ? " picture" : " -") +
               (mouseIcon ? " icon" : " -");
    };

    SUBCASE("the container's bytes after the record are left to it")
    {
        ComPtr<IStream> stream = StreamOf(record + "container");
        REQUIRE(control.as<IPersistStreamInit>()->Load(stream.get()) == S_OK);
        CHECK(Position(stream.get()) == record.size());
        CHECK(state() == "8421376 3 picture icon");
        CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
    }
    SUBCASE("a record cut in its mouse icon keeps the picture")
    {
        CHECK(load(record.substr(0, record.size() - 1)) == S_OK);
        CHECK(state() == "8421376 3 picture -");
        CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
    }
    SUBCASE("a record cut in its picture keeps colour and pointer")
    {
        CHECK(load(record.substr(0, 20)) == S_OK);
        CHECK(state() == "8421376 3 - -");
    }
    SUBCASE("a picture length past the limit reads no picture")
    {
        std::string damaged = record;
        PutLength(damaged, 10, 0xFFFFFFF0);
        CHECK(load(damaged) == S_OK);
        CHECK(state() == "8421376 3 - -");
        damaged = record;
        PutLength(damaged, iconLengthAt, 16 * 1024 * 1024 + 1);
        CHECK(load(damaged) == S_OK);
        CHECK(state() == "8421376 3 picture -");
    }
    SUBCASE("picture bytes that are no picture give none")
    {
        std::string damaged = record;
        damaged.replace(14, 16, std::string(16, '\x5A'));
        CHECK(load(damaged) == S_OK);
        CHECK(state() == "8421376 3 - icon");
    }
    SUBCASE("another format or a cut header changes nothing")
    {
        REQUIRE(load(record) == S_OK);
        std::string other = record;
        other[3] = '2';
        CHECK(load(other) == STG_E_OLDFORMAT);
        CHECK(load(record.substr(0, 9)) == STG_E_READFAULT);
        CHECK(load("") == STG_E_READFAULT);
        CHECK(state() == "8421376 3 picture icon");
    }
}

TEST_CASE("ucIconControl::HostedBySystemContainer")
{
    Com com;
    Registration registration;
    support::UniqueModule atl(::LoadLibraryW(L"atl.dll"));
    REQUIRE(atl);
    using Init = BOOL(WINAPI*)();
    using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
    auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(::GetProcAddress(atl.get(), "AtlAxWinInit")));
    auto getControl =
        reinterpret_cast<GetControl>(reinterpret_cast<void*>(::GetProcAddress(atl.get(), "AtlAxGetControl")));
    REQUIRE((init && getControl && init()));
    Container form;
    {
        support::UniqueWindow host(::CreateWindowExW(0, L"AtlAxWin", L"Velmora.ucIconControl",
                                                     WS_CHILD | WS_VISIBLE, 0, 0, kSide, kSide, form.Window(),
                                                     nullptr, nullptr, nullptr));
        REQUIRE(host);
        ComPtr<IUnknown> unknown;
        REQUIRE(getControl(host.get(), unknown.put()) == S_OK);
        auto control = unknown.as<_ucIconControl>();
        REQUIRE(control);
        REQUIRE(control->putref_Picture(IconPicture(kRed).get()) == S_OK);
        CHECK(DrawnPixel(control.get(), 0, 0) == kRed);
        HWND window = nullptr;
        CHECK(control.as<IOleInPlaceObject>()->GetWindow(&window) == S_OK);
        CHECK(::GetParent(window) == host.get());
        Pump();
    }
    Pump();
}

TEST_CASE("ucIconControl::HostingGivesBackWhatItTakes")
{
    Com com;
    Registration registration;
    Container container;
    CheckRoundsLeaveNothing(100, [&] {
        auto control = CreateByProgId();
        Host(control.get(), container);
        control->putref_Picture(IconPicture(kRed).get());
        DrawnPixel(control.get(), 0, 0);
        Unhost(control.get());
    });
}
