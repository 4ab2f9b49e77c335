// The icon control on a toolkit form: hosted through the control protocol,
// set late-bound through the form's extender, saved and reloaded through the
// toolkit's property bag, its mouse events reaching the form's handlers.
#include <doctest.h>

#include <olectl.h>

#include <cmath>
#include <vector>

#include "icon_picture.h"
#include "server.h"
#include "leak_probe.h"
#include "pump.h"
#include "support/handles.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/ole_control_host.h"
#include "toolkit/twips.h"

using namespace verrick_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
constexpr int kSide = 64; // the control's size on the form, in pixels

// object.name = value (Set object.name = value for objects), as a script assigns it.
HRESULT Assign(IDispatch* object, const wchar_t* name, VARIANT value)
{
    Bstr text(name);
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    Variant owned = Variant::Attach(value);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{owned.get(), &put, 1, 1};
    WORD flags = owned.vt() == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr, nullptr);
}

Variant Read(IDispatch* object, const wchar_t* name)
{
    Outcome outcome = CallByName(object, name, {}, DISPATCH_PROPERTYGET);
    CHECK_MESSAGE(outcome.hr == S_OK, "reading a property: hr ", outcome.hr);
    return std::move(outcome.result);
}

using test_pump::PumpMessages;

struct Mouse {
    int button, shift;
    float x, y;
    bool operator==(const Mouse&) const = default;
};

class IconForm : public toolkit::Form {
public:
    IconForm() : Form(L"frmIcon")
    {
        BorderStyle(toolkit::FormBorderStyle::None);
        StartUpPosition(toolkit::StartUpPosition::CenterScreen);
        ClientSize(toolkit::ToTwipsX(kSide * 2), toolkit::ToTwipsY(kSide * 2));
        ctlIcon.Move(0, 0, toolkit::ToTwipsX(kSide), toolkit::ToTwipsY(kSide));
        ctlIcon.Click = [this] { events.push_back(L"Click"); };
        ctlIcon.DblClick = [this] { events.push_back(L"DblClick"); };
        ctlIcon.MouseDown = [this](int b, int s, float x, float y) { Note(L"MouseDown", {b, s, x, y}); };
        ctlIcon.MouseMove = [this](int b, int s, float x, float y) { Note(L"MouseMove", {b, s, x, y}); };
        ctlIcon.MouseUp = [this](int b, int s, float x, float y) { Note(L"MouseUp", {b, s, x, y}); };
    }
    ~IconForm() override { Unload(); }

    toolkit::OleControlHost ctlIcon{*this, L"ctlIcon", L"Velmora.ucIconControl"};
    std::vector<std::wstring> events;
    std::vector<Mouse> mouse;

private:
    void Note(const wchar_t* name, Mouse arguments)
    {
        events.push_back(name);
        mouse.push_back(arguments);
    }
};

// One pixel of the control's window as the screen shows it.
COLORREF ShownPixel(HWND window, int x, int y)
{
    ::UpdateWindow(window);
    support::WindowDC dc(window);
    return ::GetPixel(dc.get(), x, y);
}

float Twips(int pixels)
{
    return static_cast<float>(toolkit::ToTwipsX(pixels));
}

} // namespace

TEST_CASE("OleControlHost::IconControlDrawsOnTheForm")
{
    Com com;
    Registration registration;
    IconForm form;
    form.Show();
    HWND window = form.ctlIcon.ControlWindow();
    REQUIRE(window);
    CHECK(::GetParent(window) == form.ctlIcon.hWnd());
    RECT shown{};
    ::GetClientRect(window, &shown);
    CHECK(shown.right == kSide);
    CHECK(shown.bottom == kSide);
    auto extender = form.ctlIcon.Dispatch();
    auto control = form.ctlIcon.Object();
    REQUIRE(control);
    std::vector<DISPID> changed;
    form.ctlIcon.PropertyChanged = [&](DISPID property) { changed.push_back(property); };

    // A new instance shows its back colour (button face) and an empty picture.
    CHECK(ShownPixel(window, 0, 0) == ::GetSysColor(COLOR_BTNFACE));

    // Set through the extender, which passes the control's own names on.
    REQUIRE(Assign(extender.get(), L"Picture", Variant::Object(IconPicture(kRed).get()).release()) == S_OK);
    CHECK(ShownPixel(window, 0, 0) == kRed);
    CHECK(ShownPixel(window, 31, 31) == kRed);
    CHECK(ShownPixel(window, 40, 40) == ::GetSysColor(COLOR_BTNFACE));

    // A second icon over the first: where it is transparent the first stays.
    REQUIRE(Assign(control.get(), L"Picture", Variant::Object(IconPicture(kBlue, 16).get()).release()) ==
            S_OK);
    CHECK(ShownPixel(window, 0, 0) == kBlue);
    CHECK(ShownPixel(window, 20, 0) == kRed);

    // No picture clears to the back colour.
    REQUIRE(Assign(extender.get(), L"BackColor", Long(0x00808000)) == S_OK);
    REQUIRE(Assign(extender.get(), L"Picture", Variant::Object(nullptr).release()) == S_OK);
    CHECK(ShownPixel(window, 0, 0) == RGB(0, 0x80, 0x80));
    CHECK(ShownPixel(window, 20, 0) == RGB(0, 0x80, 0x80));
    CHECK(changed == std::vector<DISPID>{DISPID_PICTURE, DISPID_PICTURE, DISPID_BACKCOLOR, DISPID_PICTURE});

    // The extender keeps its own members; it knows no names the control does not know either.
    CHECK(Read(extender.get(), L"Name").get()->vt == VT_BSTR);
    CHECK(Read(extender.get(), L"BackColor").get()->lVal == 0x00808000);
    CHECK(support::SameObject(Read(extender.get(), L"Object").get()->pdispVal, control.get()));
    CHECK(CallByName(extender.get(), L"NoSuchMember", {}).hr == DISP_E_UNKNOWNNAME);

    // Moving the host moves and sizes the control with it.
    form.ctlIcon.Move(0, 0, toolkit::ToTwipsX(kSide / 2), toolkit::ToTwipsY(kSide / 2));
    ::GetClientRect(window, &shown);
    CHECK(shown.right == kSide / 2);
    CHECK(shown.bottom == kSide / 2);
}

TEST_CASE("OleControlHost::SiteAnswersTheControl")
{
    Com com;
    Registration registration;
    IconForm form;
    form.BackColor(0x00123456);
    form.Load();
    auto object = form.ctlIcon.Object().as<IOleObject>();
    REQUIRE(object);
    ComPtr<IOleClientSite> site;
    REQUIRE(object->GetClientSite(site.put()) == S_OK);
    auto ambient = site.as<IDispatch>();
    REQUIRE(ambient);
    auto property = [&](DISPID id) {
        Variant value;
        DISPPARAMS none{};
        HRESULT hr =
            ambient->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.get(), nullptr, nullptr);
        CHECK_MESSAGE(hr == S_OK, "ambient ", id, " hr ", hr);
        return value;
    };
    CHECK(property(DISPID_AMBIENT_USERMODE).get()->boolVal == VARIANT_TRUE);
    CHECK(property(DISPID_AMBIENT_BACKCOLOR).get()->lVal == 0x00123456);
    auto font = property(DISPID_AMBIENT_FONT);
    REQUIRE(font.vt() == VT_DISPATCH);
    // The font system may answer another face name for the one asked; the size is the form's.
    CHECK(Read(font.get()->pdispVal, L"Size").get()->cyVal.int64 == std::llround(form.Font().Size * 10000));

    // Ambient properties are asked by DISPID: there is no type information and no name.
    UINT infos = 1;
    CHECK(ambient->GetTypeInfoCount(&infos) == S_OK);
    CHECK(infos == 0);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    CHECK(ambient->GetTypeInfo(0, 0, &info) == DISP_E_BADINDEX);
    CHECK(info == nullptr);
    support::Bstr name(L"BackColor");
    LPOLESTR names[] = {name.get()};
    DISPID id = 0;
    CHECK(ambient->GetIDsOfNames(IID_NULL, names, 1, 0, &id) == DISP_E_UNKNOWNNAME);
    CHECK(id == DISPID_UNKNOWN);

    // The control site hands out the extender.
    ComPtr<IDispatch> extended;
    REQUIRE(site.as<IOleControlSite>()->GetExtendedControl(extended.put()) == S_OK);
    CHECK(support::SameObject(extended.get(), form.ctlIcon.Dispatch().get()));
}

TEST_CASE("OleControlHost::PropertiesSurviveUnloadAndLoad")
{
    Com com;
    Registration registration;
    auto picture = IconPicture(kRed), mouseIcon = IconPicture(kBlue);
    IconForm form;
    form.Show();
    auto control = form.ctlIcon.Object();
    REQUIRE(Assign(control.get(), L"Picture", Variant::Object(picture.get()).release()) == S_OK);
    REQUIRE(Assign(control.get(), L"BackColor", Long(0x00808000)) == S_OK);
    REQUIRE(Assign(control.get(), L"MouseIcon", Variant::Object(mouseIcon.get()).release()) == S_OK);
    REQUIRE(Assign(control.get(), L"MousePointer", Long(99)) == S_OK);
    toolkit::PropertyBag bag;
    form.ctlIcon.SaveProperties(bag);
    CHECK(bag.Contains(L"_extentx"));
    CHECK(bag.Read(L"backcolor").get()->lVal == 0x00808000);
    control.reset();
    form.Unload();
    CHECK_FALSE(form.ctlIcon.Object());

    form.ctlIcon.Properties(bag);
    form.Show();
    control = form.ctlIcon.Object();
    REQUIRE(control);
    CHECK(support::SameObject(Read(control.get(), L"Picture").get()->pdispVal, picture.get()));
    CHECK(Read(control.get(), L"BackColor").get()->lVal == 0x00808000);
    CHECK(support::SameObject(Read(control.get(), L"MouseIcon").get()->pdispVal, mouseIcon.get()));
    CHECK(Read(control.get(), L"MousePointer").get()->iVal == 99);
    CHECK(ShownPixel(form.ctlIcon.ControlWindow(), 0, 0) == kRed);
    CHECK(ShownPixel(form.ctlIcon.ControlWindow(), 40, 40) == RGB(0, 0x80, 0x80));

    // A later save replaces the bag: a value back at its default is not kept from before.
    REQUIRE(Assign(control.get(), L"BackColor", Long(0x8000000F)) == S_OK);
    form.ctlIcon.SaveProperties(bag);
    CHECK_FALSE(bag.Contains(L"BackColor"));
    CHECK(bag.Contains(L"Picture"));
}

TEST_CASE("OleControlHost::MouseEventsReachTheForm")
{
    Com com;
    Registration registration;
    IconForm form;
    form.Show();
    HWND window = form.ctlIcon.ControlWindow();
    REQUIRE(window);
    // Only the messages posted here: the real pointer stays off the control.
    ::SetCursorPos(0, 0);
    PumpMessages();
    form.events.clear();
    form.mouse.clear();
    auto post = [&](UINT message, WPARAM keys, int x, int y) {
        ::PostMessageW(window, message, keys, MAKELPARAM(x, y));
        PumpMessages();
    };
    post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 3, 4);
    post(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, 10, 2);
    post(WM_LBUTTONUP, MK_SHIFT, 3, 4);
    post(WM_LBUTTONDBLCLK, MK_LBUTTON, 1, 1);
    post(WM_LBUTTONUP, 0, 1, 1);
    post(WM_RBUTTONDOWN, MK_RBUTTON, 7, 8);
    CHECK(form.events == std::vector<std::wstring>{L"MouseDown", L"MouseMove", L"MouseUp", L"Click",
                                                   L"DblClick", L"MouseUp", L"MouseDown"});
    CHECK(form.mouse == std::vector<Mouse>{{1, 1, Twips(3), Twips(4)},
                                           {1, 2, Twips(10), Twips(2)},
                                           {1, 1, Twips(3), Twips(4)},
                                           {1, 0, Twips(1), Twips(1)},
                                           {2, 0, Twips(7), Twips(8)}});
    post(WM_RBUTTONUP, 0, 7, 8);
}

TEST_CASE("OleControlHost::UnloadGivesBackWhatLoadTakes")
{
    Com com;
    Registration registration;
    auto canUnload = Registration::Get("DllCanUnloadNow");
    IconForm form;
    CheckRoundsLeaveNothing(50, [&] {
        form.Show();
        REQUIRE(Assign(form.ctlIcon.Object().get(), L"Picture",
                       Variant::Object(IconPicture(kRed).get()).release()) == S_OK);
        ShownPixel(form.ctlIcon.ControlWindow(), 0, 0);
        toolkit::PropertyBag bag;
        form.ctlIcon.SaveProperties(bag);
        form.Unload();
        PumpMessages();
    });
    // No object of the server is left: the host released the control and everything it lent it.
    CHECK(canUnload() == S_OK);
}
