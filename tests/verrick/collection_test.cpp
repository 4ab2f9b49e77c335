#include <doctest.h>

#include "server.h"

using namespace verrick_test;

namespace {

ComPtr<_Collection> NewCollection(ComPtr<_tlvMain>& tlv)
{
    SafeArray none = SafeArray::Vector(VT_VARIANT, 0, 0);
    SAFEARRAY* pointer = none.get();
    ComPtr<_Collection> result;
    tlv->Collection(&pointer, result.put());
    return result;
}

std::wstring Items(_Collection* items)
{
    ComPtr<IUnknown> unknown;
    items->_NewEnum(unknown.put());
    auto enumerator = unknown.as<IEnumVARIANT>();
    std::wstring text;
    VARIANT item;
    ULONG fetched = 0;
    while (enumerator && enumerator->Next(1, &item, &fetched) == S_OK) {
        Variant owned = Variant::Attach(item);
        text += support::BstrView(owned.get()->bstrVal);
    }
    return text;
}

} // namespace

TEST_CASE("Collection::AddPlacesItemsByBeforeAndAfter")
{
    Com com;
    auto tlv = CreateMain();
    auto items = NewCollection(tlv);
    REQUIRE(items);
    auto missing = [] { return Variant::Missing().release(); };
    auto text = [](const wchar_t* value) { return Variant::Text(value).release(); };
    REQUIRE(items->Add(text(L"b"), text(L"kb"), missing(), missing()) == S_OK);
    REQUIRE(items->Add(text(L"d"), missing(), missing(), missing()) == S_OK);
    REQUIRE(items->Add(text(L"a"), missing(), text(L"KB"), missing()) == S_OK);
    REQUIRE(items->Add(text(L"c"), missing(), missing(), Variant::Long(2).release()) == S_OK);
    CHECK(Items(items.get()) == L"abcd");

    CHECK(items->Add(text(L"x"), text(L"Kb"), missing(), missing()) ==
          MAKE_HRESULT(1, FACILITY_CONTROL, 457));
    CHECK(items->Remove(text(L"nothing")) == MAKE_HRESULT(1, FACILITY_CONTROL, 5));
    REQUIRE(items->Remove(text(L"kB")) == S_OK);
    CHECK(Items(items.get()) == L"acd");
    // The key is free again once its item is gone.
    CHECK(items->Add(text(L"b2"), text(L"kb"), missing(), missing()) == S_OK);
}

TEST_CASE("Collection::ItemThatFailsGivesBackEmpty")
{
    Com com;
    auto tlv = CreateMain();
    auto items = NewCollection(tlv);
    REQUIRE(items);
    REQUIRE(items->Add(*Variant::Text(L"a"), *Variant::Text(L"ka"), *Variant::Missing(),
                       *Variant::Missing()) == S_OK);
    const Variant indexes[] = {Variant::Long(0), Variant::Long(2), Variant::Text(L"kb"), Variant::Missing()};
    for (const Variant& index : indexes) {
        // A value left in the caller's variable from before the call.
        VARIANT result;
        result.vt = VT_I4;
        result.lVal = 12345;
        CHECK(FAILED(items->Item(*index, &result)));
        CHECK(result.vt == VT_EMPTY);
    }
}

TEST_CASE("Collection::EnumeratorCloneAndSkip")
{
    Com com;
    auto tlv = CreateMain();
    auto items = NewCollection(tlv);
    for (const wchar_t* value : {L"p", L"q", L"r"})
        items->Add(Variant::Text(value).release(), Variant::Missing().release(), Variant::Missing().release(),
                   Variant::Missing().release());
    ComPtr<IUnknown> unknown;
    REQUIRE(items->_NewEnum(unknown.put()) == S_OK);
    auto enumerator = unknown.as<IEnumVARIANT>();
    REQUIRE(enumerator);
    CHECK(enumerator->Skip(1) == S_OK);
    ComPtr<IEnumVARIANT> clone;
    REQUIRE(enumerator->Clone(clone.put()) == S_OK);
    VARIANT batch[3];
    ULONG fetched = 0;
    CHECK(clone->Next(3, batch, &fetched) == S_FALSE);
    REQUIRE(fetched == 2);
    Variant first = Variant::Attach(batch[0]);
    Variant second = Variant::Attach(batch[1]);
    CHECK(support::BstrView(first.get()->bstrVal) == L"q");
    CHECK(support::BstrView(second.get()->bstrVal) == L"r");
    // The enumerator keeps the collection alive after the client lets go of it.
    items.reset();
    tlv.reset();
    CHECK(enumerator->Reset() == S_OK);
    VARIANT one;
    CHECK(enumerator->Next(1, &one, &fetched) == S_OK);
    Variant held = Variant::Attach(one);
    CHECK(support::BstrView(held.get()->bstrVal) == L"p");
}
