#include <doctest.h>

#include <ocidl.h>
#include <olectl.h>

#include "server.h"

using namespace verrick_test;

namespace {

constexpr HRESULT kSubscriptOutOfRange = MAKE_HRESULT(1, FACILITY_CONTROL, 9);

VARIANT Text(const wchar_t* value)
{
    return Variant::Text(value).release();
}

VARIANT Object(IDispatch* object)
{
    return Variant::Object(object).release();
}

VARIANT Missing()
{
    return Variant::Missing().release();
}

} // namespace

TEST_CASE("tlvMain::ArraySearchesAgreeEarlyAndLateBound")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    // Bounds 5 to 9, as a VB client's Dim a(5 To 9) As Long.
    Variant numbers = ArrayVariant(VT_I4, LongArray(5, {50, 60, 70, 80, 90}));
    SAFEARRAY* array = numbers.get()->parray;

    struct Case {
        LONG find;
        LONG expected;
        bool found;
    };
    for (Case c : {Case{99, 4, false}, Case{50, 5, true}, Case{90, 9, true}}) {
        CAPTURE(c.find);
        VARIANT_BOOL isFound = VARIANT_TRUE;
        LONG early = 0;
        REQUIRE(tlv->InArrayLong(&array, c.find, Missing(), Missing(), &isFound, &early) == S_OK);
        CHECK(early == c.expected);
        CHECK((isFound == VARIANT_TRUE) == c.found);

        Variant lateFound;
        Outcome late = CallByName(tlv.get(), L"InArrayLong",
                                  {Ref(numbers), Long(c.find), Missing(), Missing(), Ref(lateFound)});
        REQUIRE(late.hr == S_OK);
        CHECK(late.result.get()->lVal == c.expected);
        CHECK(lateFound.vt() == VT_BOOL);
        CHECK((lateFound.get()->boolVal == VARIANT_TRUE) == c.found);
    }

    // StartAt below LBound: subscript out of range, with error info on both paths.
    LONG ignored = 0;
    CHECK(tlv->InArrayLong(&array, 1, Long(4), Missing(), nullptr, &ignored) == kSubscriptOutOfRange);
    CHECK(LastErrorDescription() == L"Subscript out of range");
    Outcome late = CallByName(tlv.get(), L"InArrayLong", {Ref(numbers), Long(1), Long(4)});
    CHECK(late.hr == DISP_E_EXCEPTION);
    CHECK(late.scode == kSubscriptOutOfRange);
    CHECK(late.description == L"Subscript out of range");
    CHECK(late.source == L"Velmora.tlvMain");

    Variant strings = ArrayVariant(VT_BSTR, StringArray(1, {L"abc", L"ABC"}));
    SAFEARRAY* text = strings.get()->parray;
    Bstr wanted(L"aBc");
    LONG early = 0;
    REQUIRE(tlv->InArrayStringText(&text, wanted.get(), Missing(), Missing(), nullptr, &early) == S_OK);
    CHECK(early == 1);
    REQUIRE(tlv->InArrayString(&text, wanted.get(), Missing(), Missing(), nullptr, &early) == S_OK);
    CHECK(early == 0);
    late = CallByName(tlv.get(), L"InArrayString", {Ref(strings), Text(L"ABC")});
    CHECK(late.result.get()->lVal == 2);
}

TEST_CASE("tlvMain::BuildersAndCollectionsAgreeEarlyAndLateBound")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);

    // The ParamArray through the vtable is a Variant array; late-bound it is the argument list.
    SafeArray args = SafeArray::Vector(VT_VARIANT, 0, 3);
    {
        support::SafeArrayData<VARIANT> data(args.get());
        data[0] = Long(10);
        data[1] = Text(L"x");
        data[2] = Variant::Double(3.5).release();
    }
    SAFEARRAY* argsPointer = args.get();
    ComPtr<_Collection> early;
    REQUIRE(tlv->Collection(&argsPointer, early.put()) == S_OK);
    Outcome late =
        CallByName(tlv.get(), L"Collection", {Long(10), Text(L"x"), Variant::Double(3.5).release()});
    REQUIRE(late.hr == S_OK);
    REQUIRE(late.result.vt() == VT_DISPATCH);

    for (const wchar_t* key : {L"1", L"2", L"3"}) {
        CAPTURE(std::wstring(key));
        Variant byEarly, byLate;
        REQUIRE(early->Item(Text(key), byEarly.put()) == S_OK);
        Outcome item = CallByName(late.result.get()->pdispVal, L"Item", {Text(key)});
        REQUIRE(item.hr == S_OK);
        CHECK(::VarCmp(byEarly.get(), item.result.get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ);
    }

    IDispatch* collection = early.get();
    Bstr joined;
    Bstr delimiter(L"; ");
    REQUIRE(tlv->JoinCollection(&collection, delimiter.get(), VARIANT_FALSE, joined.put()) == S_OK);
    Outcome lateJoined = CallByName(tlv.get(), L"JoinCollection", {Object(collection), Text(L"; ")});
    CHECK(joined.view() == L"10; x; 3.5");
    CHECK(support::BstrView(lateJoined.result.get()->bstrVal) == joined.view());

    VARIANT_BOOL found = VARIANT_FALSE;
    LONG position = 0;
    REQUIRE(tlv->InCollection(&collection, Text(L"x"), Missing(), Missing(), &found, &position) == S_OK);
    CHECK(position == 2);
    CHECK(found == VARIANT_TRUE);
    Outcome lateIn = CallByName(tlv.get(), L"InCollection", {Object(collection), Text(L"x")});
    CHECK(lateIn.result.get()->lVal == 2);

    Bstr expression(L"a,b,,c");
    ComPtr<_Collection> parts;
    REQUIRE(tlv->SplitCollection(expression.get(), Text(L","), -1, 0, VARIANT_FALSE, parts.put()) == S_OK);
    long count = 0;
    parts->Count(&count);
    CHECK(count == 4);
    Outcome lateSplit = CallByName(tlv.get(), L"SplitCollection", {Text(L"a,b,,c"), Text(L",")});
    Outcome lateCount = CallByName(lateSplit.result.get()->pdispVal, L"Count", {});
    CHECK(lateCount.result.get()->lVal == 4);

    // No arguments: an unallocated array on both paths.
    SafeArray none = SafeArray::Vector(VT_VARIANT, 0, 0);
    SAFEARRAY* nonePointer = none.get();
    SAFEARRAY* strings = reinterpret_cast<SAFEARRAY*>(1);
    REQUIRE(tlv->ArrayString(&nonePointer, &strings) == S_OK);
    CHECK(strings == nullptr);
    Outcome lateStrings = CallByName(tlv.get(), L"ArrayString", {});
    CHECK(lateStrings.result.vt() == (VT_ARRAY | VT_BSTR));
    CHECK(lateStrings.result.get()->parray == nullptr);
}

TEST_CASE("tlvMain::BadInputNeverCrashes")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    LONG result = 0;
    // Through the vtable: null and unallocated arrays, wrong element types, null out-pointers.
    CHECK(tlv->InArrayLong(nullptr, 1, Missing(), Missing(), nullptr, &result) == kSubscriptOutOfRange);
    SAFEARRAY* empty = nullptr;
    CHECK(tlv->InArrayLong(&empty, 1, Missing(), Missing(), nullptr, &result) == kSubscriptOutOfRange);
    SafeArray strings = StringArray(0, {L"a"});
    SAFEARRAY* wrongType = strings.get();
    CHECK(tlv->InArrayLong(&wrongType, 1, Missing(), Missing(), nullptr, &result) ==
          MAKE_HRESULT(1, FACILITY_CONTROL, 13));
    CHECK(FAILED(tlv->ArrayLong(nullptr, nullptr)));
    IDispatch* nothing = nullptr;
    CHECK(tlv->InCollection(&nothing, Long(1), Missing(), Missing(), nullptr, &result) ==
          MAKE_HRESULT(1, FACILITY_CONTROL, 424));

    // A two-dimensional array cannot be searched with one subscript.
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    SafeArray square(::SafeArrayCreate(VT_I4, 2, bounds));
    SAFEARRAY* squarePointer = square.get();
    CHECK(tlv->InArrayLong(&squarePointer, 1, Missing(), Missing(), nullptr, &result) ==
          kSubscriptOutOfRange);

    // Through IDispatch: arguments of the wrong kind and malformed calls.
    Variant holder;
    CHECK(CallByName(tlv.get(), L"InArrayLong", {Ref(holder), Long(1)}).hr == DISP_E_TYPEMISMATCH);
    Variant deep = Variant::Long(7);
    Variant outer;
    *outer.put() = Ref(deep);
    Outcome chained = CallByName(tlv.get(), L"IsInArrayLong", {Ref(outer), Long(7)});
    CHECK(chained.hr == DISP_E_TYPEMISMATCH);
    DISPPARAMS broken{nullptr, nullptr, 2, 0};
    CHECK(tlv->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &broken, nullptr, nullptr, nullptr) == E_INVALIDARG);
    DISPID unknownName = 42;
    VARIANT argument = Long(1);
    DISPPARAMS named{&argument, &unknownName, 1, 1};
    UINT argumentError = 99;
    CHECK(tlv->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &named, nullptr, nullptr, &argumentError) ==
          DISP_E_PARAMNOTFOUND);
    CHECK(argumentError == 0);
    CHECK(CallByName(tlv.get(), L"InArrayLong", {Long(1), Long(1)}).hr == DISP_E_TYPEMISMATCH);
    // Records (user-defined types) convert to no element type, by value or by reference.
    Variant records = ArrayVariant(VT_RECORD, RecordArray(3));
    REQUIRE(records.get()->parray);
    CHECK(CallByName(tlv.get(), L"InArrayLong", {*records, Long(0)}).hr == DISP_E_TYPEMISMATCH);
    Variant nothingFound = Variant::Text(L"");
    CHECK(CallByName(tlv.get(), L"IsInArrayString", {Ref(records), *nothingFound}).hr == DISP_E_TYPEMISMATCH);

    // A huge collection: built and joined in one go.
    SafeArray many = SafeArray::Vector(VT_VARIANT, 0, 200000);
    {
        support::SafeArrayData<VARIANT> data(many.get());
        for (ULONG i = 0; i < 200000; ++i)
            data[i] = Long(static_cast<LONG>(i % 10));
    }
    SAFEARRAY* manyPointer = many.get();
    ComPtr<_Collection> big;
    REQUIRE(tlv->Collection(&manyPointer, big.put()) == S_OK);
    IDispatch* bigDispatch = big.get();
    Bstr joined;
    Bstr empty_(L"");
    REQUIRE(tlv->JoinCollection(&bigDispatch, empty_.get(), VARIANT_FALSE, joined.put()) == S_OK);
    CHECK(joined.length() == 200000);
}

TEST_CASE("tlvMain::PressButtonNeedsAnEnabledCommandButton")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    auto button = FakeControl::Make(L"CommandButton");
    button->Property(L"Enabled") = Variant::Bool(true);
    IDispatch* target = button.get();
    VARIANT_BOOL pressed = VARIANT_FALSE;
    REQUIRE(tlv->PressButton(&target, &pressed) == S_OK);
    CHECK(pressed == VARIANT_TRUE);
    REQUIRE(button->Log().size() == 1);
    CHECK(button->Log()[0] == L"value=True");

    button->Property(L"Enabled") = Variant::Bool(false);
    REQUIRE(tlv->PressButton(&target, &pressed) == S_OK);
    CHECK(pressed == VARIANT_FALSE);

    auto label = FakeControl::Make(L"Label");
    label->Property(L"Enabled") = Variant::Bool(true);
    target = label.get();
    REQUIRE(tlv->PressButton(&target, &pressed) == S_OK);
    CHECK(pressed == VARIANT_FALSE);
    CHECK(label->Log().empty());
}

TEST_CASE("tlvMain::FixCBCursorsTouchesDropDownListCombosOnly")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    auto list = FakeControl::Make(L"ComboBox");
    list->Property(L"Style") = Variant::Long(2);
    auto dropDown = FakeControl::Make(L"ComboBox");
    dropDown->Property(L"Style") = Variant::Long(0);
    auto text = FakeControl::Make(L"TextBox");
    text->Property(L"Style") = Variant::Long(2);
    auto form = FakeControl::Make(L"Form");
    auto controls = CallByName(tlv.get(), L"Collection",
                               {Object(list.get()), Object(dropDown.get()), Object(text.get())});
    REQUIRE(controls.hr == S_OK);
    form->Property(L"Controls") = std::move(controls.result);

    IDispatch* target = form.get();
    REQUIRE(tlv->FixCBCursors(&target) == S_OK);
    CHECK(list->Property(L"MousePointer").get()->lVal == 99);
    Variant& icon = list->Property(L"MouseIcon");
    REQUIRE(icon.vt() == VT_DISPATCH);
    Outcome handle = CallByName(icon.get()->pdispVal, L"Handle", {}, DISPATCH_PROPERTYGET);
    CHECK(handle.hr == S_OK);
    CHECK(handle.result.get()->lVal != 0);
    CHECK(dropDown->Log().empty());
    CHECK(text->Log().empty());
}

TEST_CASE("tlvMain::OptionGroupsOnAControlArray")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    auto group = FakeControl::Make(L"Object");
    std::vector<ComPtr<FakeControl>> buttons;
    for (LONG index : {0, 2, 3}) {
        auto button = FakeControl::Make(L"OptionButton");
        button->Property(L"Value") = Variant::Bool(index == 3);
        group->SetElement(index, button.get());
        buttons.push_back(button);
    }
    IDispatch* target = group.get();
    LONG selected = 0;
    REQUIRE(tlv->GetSelectedOptionButtonIndex(&target, &selected) == S_OK);
    CHECK(selected == 3);
    REQUIRE(tlv->SetSelectedOptionButtonIndex(&target, 1) == S_OK);
    CHECK(buttons[0]->Property(L"Value").get()->boolVal == VARIANT_TRUE);
}

// Malformed calls from a C++ client are refused, never followed into memory.
TEST_CASE("Frame::MalformedDispatchAndConnectionCallsAreRefused")
{
    Com com;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    auto invoke = [&](DISPPARAMS& params, UINT* argumentError = nullptr) {
        return tlv->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, argumentError);
    };

    SUBCASE("DISPPARAMS")
    {
        VARIANT arguments[2] = {Long(1), ArrayVariant(VT_I4, LongArray(0, {1})).release()};
        DISPID names[1] = {1};
        DISPPARAMS noNames{arguments, nullptr, 2, 1};
        CHECK(invoke(noNames) == E_INVALIDARG);
        DISPPARAMS moreNamedThanAll{arguments, names, 1, 2};
        CHECK(invoke(moreNamedThanAll) == E_INVALIDARG);
        DISPPARAMS noValues{nullptr, names, 2, 1};
        CHECK(invoke(noValues) == E_INVALIDARG);
        ::VariantClear(&arguments[1]);
    }
    SUBCASE("by-reference arguments that lead nowhere")
    {
        UINT argumentError = 99;
        VARIANT nowhere[2];
        nowhere[0] = Long(1);
        nowhere[1].vt = VT_BYREF | VT_VARIANT;
        nowhere[1].pvarVal = nullptr;
        DISPPARAMS params{nowhere, nullptr, 2, 0};
        CHECK(invoke(params, &argumentError) == E_INVALIDARG);
        CHECK(argumentError == 1);

        nowhere[1].vt = VT_BYREF | VT_ARRAY | VT_I4;
        nowhere[1].pparray = nullptr;
        CHECK(invoke(params) == E_INVALIDARG);

        // A reference to itself would be followed for ever.
        VARIANT loop;
        loop.vt = VT_BYREF | VT_VARIANT;
        loop.pvarVal = &loop;
        nowhere[1] = loop;
        nowhere[1].pvarVal = &loop;
        CHECK(invoke(params) == E_INVALIDARG);
    }
    SUBCASE("GetIDsOfNames")
    {
        Bstr name(L"InArrayLong");
        LPOLESTR names[] = {name.get()};
        LPOLESTR noName[] = {nullptr};
        DISPID id = 0;
        CHECK(tlv->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id) == E_INVALIDARG);
        CHECK(tlv->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr) == E_INVALIDARG);
        CHECK(tlv->GetIDsOfNames(IID_NULL, noName, 1, 0, &id) == E_INVALIDARG);
        CHECK(tlv->GetIDsOfNames(IID_NULL, names, 1, 0, &id) == S_OK);
        CHECK(id == 13);
        // Names are found whatever their case; argument names after the member's.
        Bstr lower(L"isinarraylong"), argument(L"findwhat"), unknown(L"IsInArrayLongs");
        LPOLESTR other[] = {lower.get()};
        CHECK(tlv->GetIDsOfNames(IID_NULL, other, 1, 0, &id) == S_OK);
        CHECK(id == 14);
        LPOLESTR withArgument[] = {name.get(), argument.get()};
        DISPID both[2] = {};
        CHECK(tlv->GetIDsOfNames(IID_NULL, withArgument, 2, 0, both) == S_OK);
        CHECK(both[0] == 13);
        CHECK(both[1] == 1);
        LPOLESTR missing[] = {unknown.get()};
        CHECK(tlv->GetIDsOfNames(IID_NULL, missing, 1, 0, &id) == DISP_E_UNKNOWNNAME);
        CHECK(tlv->GetTypeInfoCount(nullptr) == E_POINTER);
        CHECK(tlv->GetTypeInfo(0, 0, nullptr) == E_POINTER);
    }
    SUBCASE("connection points")
    {
        auto tabs = Create<_tlvTabControl>(CLSID_tlvTabControl);
        REQUIRE(tabs);
        auto container = tabs.as<IConnectionPointContainer>();
        REQUIRE(container);
        CHECK(container->FindConnectionPoint(DIID___tlvTabControl, nullptr) == E_POINTER);
        CHECK(container->EnumConnectionPoints(nullptr) == E_POINTER);
        ComPtr<IConnectionPoint> point;
        REQUIRE(container->FindConnectionPoint(DIID___tlvTabControl, point.put()) == S_OK);
        DWORD cookie = 7;
        CHECK(point->Advise(nullptr, &cookie) == E_POINTER);
        CHECK(cookie == 0);
        CHECK(point->Advise(tlv.get(), nullptr) == E_POINTER);
        CHECK(point->GetConnectionInterface(nullptr) == E_POINTER);
        CHECK(point->GetConnectionPointContainer(nullptr) == E_POINTER);
        CHECK(point->EnumConnections(nullptr) == E_POINTER);
        CHECK(point->Unadvise(0) == CONNECT_E_NOCONNECTION);
        ComPtr<IEnumConnections> connections;
        REQUIRE(point->EnumConnections(connections.put()) == S_OK);
        CONNECTDATA data[2];
        CHECK(connections->Next(1, nullptr, nullptr) == E_POINTER);
        CHECK(connections->Next(2, data, nullptr) == E_POINTER);
        auto info = tabs.as<IProvideClassInfo2>();
        REQUIRE(info);
        CHECK(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr) == E_POINTER);
        CHECK(info->GetClassInfo(nullptr) == E_POINTER);
    }
}
