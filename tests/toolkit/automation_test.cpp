#include <doctest.h>

#include <string>
#include <vector>

#include "toolkit/combo_box.h"
#include "toolkit/command_button.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/option_button.h"
#include "toolkit/shape.h"
#include "toolkit/text_box.h"
#include "toolkit/timer.h"
#include "toolkit_test.h"

#include "support/runtime_error.h"

using namespace toolkit;
using namespace toolkit_test;
using support::ComPtr;
using support::Variant;

namespace {

struct Result {
    HRESULT hr = S_OK;
    Variant value;
    long number = 0;
};

// object.name(arguments) or object.name = value, as a script makes the call.
Result Late(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments = {}, WORD flags = 0)
{
    Result result;
    support::Bstr text(name);
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_VALUE;
    if (*name) {
        result.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(result.hr)) return result;
    }
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        reversed.push_back(*it->get());
    DISPID put = DISPID_PROPERTYPUT;
    bool isPut = flags & DISPATCH_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), isPut ? &put : nullptr, static_cast<UINT>(reversed.size()),
                      isPut ? 1u : 0u};
    EXCEPINFO exception{};
    result.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                               flags ? flags : DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                               isPut ? nullptr : result.value.get(), &exception, nullptr);
    if (result.hr == DISP_E_EXCEPTION) {
        result.number = HRESULT_CODE(exception.scode);
        support::ClearExcepInfo(exception);
    }
    return result;
}

void Put(IDispatch* object, const wchar_t* name, Variant value)
{
    Result result = Late(object, name, {std::move(value)}, DISPATCH_PROPERTYPUT);
    REQUIRE(result.hr == S_OK);
}

IDispatch* ObjectOf(const Result& result)
{
    REQUIRE(result.hr == S_OK);
    REQUIRE(result.value.vt() == VT_DISPATCH);
    return result.value.get()->pdispVal;
}

std::wstring TypeNameOf(IDispatch* object)
{
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()))) return {};
    support::Bstr name;
    info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    return std::wstring(name.view());
}

class AllControlsForm : public Form {
public:
    AllControlsForm() : Form(L"frmAll")
    {
        cmdOk.Click = [this] { ++clicks; };
        optMode(0).Value(true);
        optMode.Load(2);
        txtName.Text(L"Имя");
    }
    ~AllControlsForm() override { Unload(); }

    Label lblName{*this, L"lblName"};
    TextBox txtName{*this, L"txtName"};
    CommandButton cmdOk{*this, L"cmdOk"};
    ControlArray<OptionButton> optMode{*this, L"optMode"};
    ComboBox cboMode{*this, L"cboMode"};
    Shape shpBack{*this, L"shpBack"};
    Timer tmrTick{*this, L"tmrTick"};
    int clicks = 0;
};

} // namespace

TEST_CASE("Automation::TypeNamesAndIdentity")
{
    AllControlsForm form;
    CHECK(TypeNameOf(form.Dispatch().get()) == L"Form");
    CHECK(TypeNameOf(form.lblName.Dispatch().get()) == L"Label");
    CHECK(TypeNameOf(form.txtName.Dispatch().get()) == L"TextBox");
    CHECK(TypeNameOf(form.cmdOk.Dispatch().get()) == L"CommandButton");
    CHECK(TypeNameOf(form.optMode(0).Dispatch().get()) == L"OptionButton");
    CHECK(TypeNameOf(form.cboMode.Dispatch().get()) == L"ComboBox");
    CHECK(TypeNameOf(form.shpBack.Dispatch().get()) == L"Shape");
    CHECK(TypeNameOf(form.tmrTick.Dispatch().get()) == L"Timer");
    // One object, one identity; and the toolkit finds its own objects behind it.
    CHECK(form.cmdOk.Dispatch() == form.cmdOk.Dispatch());
    CHECK(Automatable::FromDispatch(form.cmdOk.Dispatch().get()) == &form.cmdOk);
}

TEST_CASE("Automation::MalformedParametersAreRefused")
{
    AllControlsForm form;
    IDispatch* button = form.cmdOk.Dispatch().get();
    LPOLESTR name = const_cast<LPOLESTR>(L"Caption");
    DISPID id = DISPID_UNKNOWN;
    REQUIRE(button->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id) == S_OK);
    auto invoke = [&](DISPPARAMS& params, WORD flags) {
        Variant result;
        return button->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), nullptr,
                              nullptr);
    };

    Variant value = Variant::Text(L"x");
    DISPPARAMS namedWithoutIds{value.get(), nullptr, 1, 1};
    CHECK(invoke(namedWithoutIds, DISPATCH_PROPERTYPUT) == E_INVALIDARG);
    DISPPARAMS argumentsWithoutArray{nullptr, nullptr, 2, 0};
    CHECK(invoke(argumentsWithoutArray, DISPATCH_METHOD) == E_INVALIDARG);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS moreNamedThanArguments{value.get(), &put, 1, 2};
    CHECK(invoke(moreNamedThanArguments, DISPATCH_PROPERTYPUT) == E_INVALIDARG);

    VARIANT loop;
    loop.vt = VT_BYREF | VT_VARIANT;
    loop.pvarVal = &loop;
    DISPPARAMS referenceLoop{&loop, &put, 1, 1};
    CHECK(invoke(referenceLoop, DISPATCH_PROPERTYPUT) == E_INVALIDARG);
    VARIANT nullReference;
    nullReference.vt = VT_BYREF | VT_BSTR;
    nullReference.pbstrVal = nullptr;
    DISPPARAMS nullByReference{&nullReference, &put, 1, 1};
    CHECK(invoke(nullByReference, DISPATCH_PROPERTYPUT) == E_INVALIDARG);

    // A name that points nowhere is refused, not read.
    LPOLESTR noName = nullptr;
    DISPID noId = 0;
    CHECK(button->GetIDsOfNames(IID_NULL, &noName, 1, LOCALE_USER_DEFAULT, &noId) == E_INVALIDARG);

    CHECK(form.cmdOk.Caption() != L"x");
    DISPPARAMS sound{value.get(), &put, 1, 1};
    CHECK(invoke(sound, DISPATCH_PROPERTYPUT) == S_OK);
    CHECK(form.cmdOk.Caption() == L"x");
}

TEST_CASE("Automation::PropertiesAndMethodsByName")
{
    AllControlsForm form;
    form.Show();
    IDispatch* button = form.cmdOk.Dispatch().get();
    Put(button, L"caption", Variant::Text(L"Ok"));
    CHECK(form.cmdOk.Caption() == L"Ok");
    Put(button, L"Value", Variant::Bool(true));
    CHECK(form.clicks == 1);
    Put(button, L"Left", Variant::Double(120.5));
    Result left = Late(button, L"Left");
    CHECK(left.value.vt() == VT_R4);
    CHECK(left.value.get()->fltVal == 120.5f);
    Put(button, L"Enabled", Variant::Bool(false));
    CHECK_FALSE(::IsWindowEnabled(form.cmdOk.hWnd()));
    CHECK(Late(button, L"hWnd").value.get()->lVal ==
          static_cast<LONG>(reinterpret_cast<LONG_PTR>(form.cmdOk.hWnd())));
    CHECK(Late(ObjectOf(Late(button, L"Parent")), L"Name").value.get()->bstrVal == std::wstring(L"frmAll"));

    // Default members: a text box's Text, an option button's Value.
    CHECK(std::wstring(Late(form.txtName.Dispatch().get(), L"").value.get()->bstrVal) == L"Имя");
    CHECK(Late(form.optMode(0).Dispatch().get(), L"").value.get()->boolVal == VARIANT_TRUE);

    // Failures as a client's runtime reports them.
    CHECK(Late(button, L"NoSuchMember").hr == DISP_E_UNKNOWNNAME);
    CHECK(
        Late(form.tmrTick.Dispatch().get(), L"Interval", {Variant::Long(-1)}, DISPATCH_PROPERTYPUT).number ==
        380);
    CHECK(Late(form.txtName.Dispatch().get(), L"MultiLine", {Variant::Bool(true)}, DISPATCH_PROPERTYPUT)
              .number == 383);
    CHECK(Late(form.optMode(0).Dispatch().get(), L"Value", {Variant::Text(L"x")}, DISPATCH_PROPERTYPUT)
              .number == 13);
    CHECK(Late(form.cmdOk.Dispatch().get(), L"Index").number == 343);
    CHECK(Late(form.cmdOk.Dispatch().get(), L"SetFocus").number == 5);
    Result list = Late(form.cboMode.Dispatch().get(), L"AddItem", {Variant::Text(L"a")});
    CHECK(list.hr == S_OK);
    Put(form.cboMode.Dispatch().get(), L"ListIndex", Variant::Long(0));
    CHECK(std::wstring(
              Late(form.cboMode.Dispatch().get(), L"List", {Variant::Long(0)}).value.get()->bstrVal) == L"a");
}

TEST_CASE("Automation::ControlsAndControlArrays")
{
    AllControlsForm form;
    IDispatch* self = form.Dispatch().get();
    IDispatch* controls = ObjectOf(Late(self, L"Controls"));
    CHECK(Late(controls, L"Count").value.get()->lVal == static_cast<LONG>(form.Controls().size()));
    CHECK(Late(controls, L"Item", {Variant::Long(0)}).value.get()->pdispVal == form.lblName.Dispatch().get());
    CHECK(Late(controls, L"", {Variant::Text(L"CMDOK")}).value.get()->pdispVal ==
          form.cmdOk.Dispatch().get());
    CHECK(Late(controls, L"Item", {Variant::Long(99)}).number == 9);

    // For Each walks every control once, array elements one by one.
    Result enumerator = Late(controls, L"_NewEnum");
    REQUIRE(enumerator.hr == S_OK);
    auto items = ComPtr<IUnknown>(enumerator.value.get()->punkVal).as<IEnumVARIANT>();
    REQUIRE(items);
    std::vector<Control*> seen;
    Variant item;
    ULONG fetched = 0;
    while (items->Next(1, item.put(), &fetched) == S_OK && fetched == 1)
        seen.push_back(dynamic_cast<Control*>(Automatable::FromDispatch(item.get()->pdispVal)));
    CHECK(seen == form.Controls());

    // The array by its name on the form: bounds, count and the element by index.
    IDispatch* array = ObjectOf(Late(self, L"optMode"));
    CHECK(array == form.optMode.Dispatch().get());
    CHECK(Late(array, L"LBound").value.get()->lVal == 0);
    CHECK(Late(array, L"UBound").value.get()->lVal == 2);
    CHECK(Late(array, L"Count").value.get()->lVal == 2);
    CHECK(Late(array, L"", {Variant::Long(2)}).value.get()->pdispVal == form.optMode(2).Dispatch().get());
    CHECK(Late(array, L"", {Variant::Long(1)}).number == 340);
    CHECK(Late(self, L"optMode", {Variant::Long(2)}).value.get()->pdispVal ==
          form.optMode(2).Dispatch().get());
    CHECK(Late(ObjectOf(Late(array, L"", {Variant::Long(2)})), L"Index").value.get()->lVal == 2);
}

TEST_CASE("Automation::FontChangesReachTheWindow")
{
    AllControlsForm form;
    form.Show();
    IDispatch* font = ObjectOf(Late(form.txtName.Dispatch().get(), L"Font"));
    // Fonts the system has (the font object reads back the face it really got).
    Put(font, L"Name", Variant::Text(L"DejaVu Serif"));
    Put(font, L"Size", Variant::Double(12));
    Put(font, L"Italic", Variant::Bool(true));
    CHECK(form.txtName.Font().Name == L"DejaVu Serif");
    CHECK(form.txtName.Font().Size == 12);
    CHECK(form.txtName.Font().Italic);
    LOGFONTW shown{};
    auto* handle = reinterpret_cast<HFONT>(::SendMessageW(form.txtName.hWnd(), WM_GETFONT, 0, 0));
    REQUIRE(::GetObjectW(handle, sizeof shown, &shown) == sizeof shown);
    CHECK(std::wstring(shown.lfFaceName) == L"DejaVu Serif");
    CHECK(shown.lfItalic);
    // The form's font stays; a change made in code shows in the font object.
    CHECK(form.Font().Name != L"DejaVu Serif");
    FontSpec bold = form.txtName.Font();
    bold.Bold = true;
    form.txtName.Font(bold);
    CHECK(Late(font, L"Bold").value.get()->boolVal == VARIANT_TRUE);
    CHECK(form.txtName.Font().Name == L"DejaVu Serif");
}

TEST_CASE("Automation::CallsAfterTheObjectIsGone")
{
    ComPtr<IDispatch> button;
    {
        Form form(L"frmGone");
        CommandButton cmdGone(form, L"cmdGone");
        button = cmdGone.Dispatch();
    }
    CHECK(Late(button.get(), L"Caption").hr == DISP_E_UNKNOWNNAME);
    Result call = Late(button.get(), L"", {}, DISPATCH_PROPERTYGET);
    CHECK(call.number == 364);
}

TEST_CASE("Automation::ModalShowWithAnOwner")
{
    Form owner(L"frmOwner");
    owner.Show();
    AllControlsForm modal;
    modal.tmrTick.Interval(30);
    bool ownerDisabled = false;
    modal.tmrTick.OnTimer = [&] {
        modal.tmrTick.Enabled(false);
        ownerDisabled = !::IsWindowEnabled(owner.hWnd());
        modal.Hide();
    };
    Result shown = Late(modal.Dispatch().get(), L"Show",
                        {Variant::Long(vbModal), Variant::Object(owner.Dispatch().get())});
    CHECK(shown.hr == S_OK);
    CHECK(ownerDisabled);
    CHECK(::IsWindowEnabled(owner.hWnd()));
    CHECK(::GetWindow(modal.hWnd(), GW_OWNER) == owner.hWnd());
    owner.Unload();
}
