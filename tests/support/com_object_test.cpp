#include <doctest.h>

#include <functional>
#include <vector>

#include "support/com_object.h"
#include "support/connection_point.h"
#include "support/enumerator.h"

using namespace support;

namespace {

std::vector<Variant> Numbers(std::initializer_list<long> values)
{
    std::vector<Variant> items;
    for (long value : values)
        items.push_back(Variant::Long(value));
    return items;
}

// Takes up to count items and returns their values; -1 stands for a non-number.
std::vector<long> Take(IEnumVARIANT* enumerator, ULONG count, HRESULT expected)
{
    std::vector<VARIANT> items(count);
    ULONG fetched = 99;
    CHECK(enumerator->Next(count, items.data(), &fetched) == expected);
    std::vector<long> values;
    for (ULONG i = 0; i < fetched; ++i) {
        values.push_back(items[i].vt == VT_I4 ? items[i].lVal : -1);
        ::VariantClear(&items[i]);
    }
    return values;
}

// A list whose items a test changes while an enumerator walks it.
struct LiveList {
    std::shared_ptr<std::vector<long>> values = std::make_shared<std::vector<long>>();

    size_t size() const noexcept { return values->size(); }
    HRESULT HandOut(size_t index, VARIANT& item) const noexcept
    {
        ::VariantInit(&item);
        item.vt = VT_I4;
        item.lVal = (*values)[index];
        return S_OK;
    }
    static void Free(VARIANT& item) noexcept { ::VariantClear(&item); }
};

// A sink of either kind that records what reached it.
class RecordingSink final : public ComObjectBase<IDispatch, IPropertyNotifySink> {
public:
    std::vector<DISPID> calls;
    std::function<void()> onCall;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return Record(member);
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID property) override { return Record(property); }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

private:
    HRESULT Record(DISPID id)
    {
        calls.push_back(id);
        if (onCall) onCall();
        return S_OK;
    }
};

// A sink that answers only IDispatch, as a script host's generic sink does.
class DispatchOnlySink final : public ComObjectBase<IDispatch> {
public:
    int calls = 0;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        ++calls;
        return S_OK;
    }
};

// {0B7C53C4-8B3E-4C1F-9E4D-61A2E0C5D7F1}
constexpr IID kEvents = {0x0b7c53c4, 0x8b3e, 0x4c1f, {0x9e, 0x4d, 0x61, 0xa2, 0xe0, 0xc5, 0xd7, 0xf1}};

// A source with one point of each kind.
class Source final : public ComObjectBase<IConnectionPointContainer> {
public:
    ConnectionPoint<IDispatch> events{*this, kEvents};
    ConnectionPoint<IPropertyNotifySink> changes{*this, IID_IPropertyNotifySink};
    static inline int alive = 0;

    Source() { ++alive; }
    ~Source() override { --alive; }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
};

std::vector<DWORD> Cookies(IConnectionPoint& point)
{
    ComPtr<IEnumConnections> connections;
    REQUIRE(point.EnumConnections(connections.put()) == S_OK);
    std::vector<DWORD> cookies;
    CONNECTDATA data{};
    while (connections->Next(1, &data, nullptr) == S_OK) {
        cookies.push_back(data.dwCookie);
        data.pUnk->Release();
    }
    return cookies;
}

} // namespace

TEST_CASE("ComObjectBase::QueryInterface")
{
    ComPtr<RecordingSink> sink = MakeObject<RecordingSink>();
    IUnknown* unknown = nullptr;
    REQUIRE(sink->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)) == S_OK);
    // The identity is the first interface of the list; every answer takes a reference.
    CHECK(unknown == static_cast<IDispatch*>(sink.get()));
    void* found = nullptr;
    REQUIRE(sink->QueryInterface(IID_IPropertyNotifySink, &found) == S_OK);
    CHECK(found == static_cast<IPropertyNotifySink*>(sink.get()));
    CHECK(static_cast<IUnknown*>(found)->Release() == 2);
    CHECK(unknown->Release() == 1);

    found = sink.get();
    CHECK(sink->QueryInterface(IID_IConnectionPoint, &found) == E_NOINTERFACE);
    CHECK(found == nullptr);
    CHECK(sink->QueryInterface(IID_IDispatch, nullptr) == E_POINTER);
}

TEST_CASE("DispidEventSink::AnswersBeyondItsEvents")
{
    struct EventSink final : DispidEventSink<ComObjectBase<IDispatch>> {
        std::vector<DISPID> events;
        void Event(DISPID member, const DISPPARAMS&) noexcept override { events.push_back(member); }
    };
    ComPtr<EventSink> sink = MakeObject<EventSink>();
    // Every out-parameter comes back cleared or marked unknown, never as the caller left it.
    auto* info = reinterpret_cast<ITypeInfo*>(sink.get());
    CHECK(sink->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info) == DISP_E_BADINDEX);
    CHECK(info == nullptr);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Click"), const_cast<LPOLESTR>(L"Button")};
    DISPID ids[] = {1, 2};
    CHECK(sink->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids) == DISP_E_UNKNOWNNAME);
    CHECK(ids[0] == DISPID_UNKNOWN);
    CHECK(ids[1] == DISPID_UNKNOWN);
    // An event without arguments, of a DISPID no handler knows, is still an event heard.
    VARIANT result;
    result.vt = VT_I4;
    CHECK(sink->Invoke(77, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, nullptr, &result, nullptr,
                       nullptr) == S_OK);
    CHECK(result.vt == VT_EMPTY);
    CHECK(sink->events == std::vector<DISPID>{77});
}

TEST_CASE("ComPart::QueryInterface")
{
    ComPtr<Source> source = MakeObject<Source>();
    IConnectionPoint& point = source->events;
    IUnknown* unknown = nullptr;
    REQUIRE(point.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)) == S_OK);
    // A part has an identity of its own, and its references are its owner's.
    CHECK(unknown == static_cast<IConnectionPoint*>(&point));
    CHECK(source->AddRef() == 3);
    CHECK(source->Release() == 2);
    CHECK(unknown->Release() == 1);

    // The owner's interfaces are not the part's.
    void* found = &point;
    CHECK(point.QueryInterface(IID_IConnectionPointContainer, &found) == E_NOINTERFACE);
    CHECK(found == nullptr);
}

TEST_CASE("SnapshotEnumerator::Walks")
{
    ComPtr<IEnumVARIANT> items =
        MakeSnapshotEnumerator<IEnumVARIANT, VARIANT, Variant>(Numbers({1, 2, 3, 4}));

    SUBCASE("Next hands out what is left, and says when it ran short")
    {
        CHECK(Take(items.get(), 3, S_OK) == std::vector<long>{1, 2, 3});
        CHECK(Take(items.get(), 3, S_FALSE) == std::vector<long>{4});
        CHECK(Take(items.get(), 1, S_FALSE).empty());
    }
    SUBCASE("Skip past the end stops at the end")
    {
        CHECK(items->Skip(2) == S_OK);
        CHECK(items->Skip(5) == S_FALSE);
        CHECK(Take(items.get(), 1, S_FALSE).empty());
        CHECK(items->Reset() == S_OK);
        CHECK(Take(items.get(), 1, S_OK) == std::vector<long>{1});
    }
    SUBCASE("a clone starts where its original stands and moves on its own")
    {
        CHECK(items->Skip(1) == S_OK);
        ComPtr<IEnumVARIANT> copy;
        REQUIRE(items->Clone(copy.put()) == S_OK);
        CHECK(Take(copy.get(), 2, S_OK) == std::vector<long>{2, 3});
        CHECK(Take(items.get(), 1, S_OK) == std::vector<long>{2});
        items.reset();
        CHECK(Take(copy.get(), 2, S_FALSE) == std::vector<long>{4});
    }
    SUBCASE("more than one item needs a count of what was fetched")
    {
        VARIANT two[2];
        CHECK(items->Next(2, two, nullptr) == E_POINTER);
        CHECK(items->Next(1, nullptr, nullptr) == E_POINTER);
        CHECK(items->Clone(nullptr) == E_POINTER);
    }
}

TEST_CASE("Enumerator::LiveSource")
{
    LiveList list;
    *list.values = {10, 20};
    ComPtr<IEnumVARIANT> items =
        ComPtr<IEnumVARIANT>::Attach(MakeObject<Enumerator<IEnumVARIANT, VARIANT, LiveList>>(list).release());
    CHECK(Take(items.get(), 1, S_OK) == std::vector<long>{10});
    list.values->push_back(30);
    CHECK(Take(items.get(), 5, S_FALSE) == std::vector<long>{20, 30});
    list.values->clear();
    CHECK(items->Reset() == S_OK);
    CHECK(items->Skip(1) == S_FALSE);
}

TEST_CASE("ConnectionPoint::TwoSinkKinds")
{
    auto source = MakeObject<Source>();
    auto sink = MakeObject<RecordingSink>();
    auto other = MakeObject<RecordingSink>();

    SUBCASE("each point takes sinks of its own interface and calls them")
    {
        DWORD eventCookie = 0, changeCookie = 0;
        REQUIRE(source->events.Advise(static_cast<IDispatch*>(sink.get()), &eventCookie) == S_OK);
        REQUIRE(source->changes.Advise(static_cast<IDispatch*>(other.get()), &changeCookie) == S_OK);
        source->events.Notify([](IDispatch* s) {
            s->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
        });
        source->changes.Notify([](IPropertyNotifySink* s) { s->OnChanged(9); });
        CHECK(sink->calls == std::vector<DISPID>{7});
        CHECK(other->calls == std::vector<DISPID>{9});

        IID iid{};
        CHECK(source->changes.GetConnectionInterface(&iid) == S_OK);
        CHECK(IsEqualIID(iid, IID_IPropertyNotifySink));
        CHECK(source->events.Unadvise(eventCookie) == S_OK);
        CHECK(source->events.Unadvise(eventCookie) == CONNECT_E_NOCONNECTION);
    }
    SUBCASE("a notification point refuses a sink without its interface; an event point takes IDispatch")
    {
        auto plain = MakeObject<DispatchOnlySink>();
        DWORD cookie = 5;
        CHECK(source->changes.Advise(plain.get(), &cookie) == CONNECT_E_CANNOTCONNECT);
        CHECK(cookie == 0);
        CHECK(source->events.Advise(plain.get(), &cookie) == S_OK);
        source->events.Notify([](IDispatch* s) {
            s->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
        });
        CHECK(plain->calls == 1);
        CHECK(source->events.Advise(nullptr, &cookie) == E_POINTER);
    }
    SUBCASE("the connections are listed, and a sink cut off during a call is not called")
    {
        DWORD first = 0, second = 0;
        REQUIRE(source->changes.Advise(static_cast<IDispatch*>(sink.get()), &first) == S_OK);
        REQUIRE(source->changes.Advise(static_cast<IDispatch*>(other.get()), &second) == S_OK);
        CHECK(Cookies(source->changes) == std::vector<DWORD>{first, second});
        sink->onCall = [&] { source->changes.Unadvise(second); };
        source->changes.Notify([](IPropertyNotifySink* s) { s->OnChanged(3); });
        CHECK(sink->calls == std::vector<DISPID>{3});
        CHECK(other->calls.empty());
        CHECK(Cookies(source->changes) == std::vector<DWORD>{first});
    }
    SUBCASE("a point shares its container's count: holding it keeps the container")
    {
        int before = Source::alive;
        ComPtr<IConnectionPoint> held(&source->changes);
        ComPtr<IUnknown> same;
        CHECK(held->QueryInterface(IID_IConnectionPoint, same.put_void()) == S_OK);
        same.reset();
        source.reset();
        CHECK(Source::alive == before);
        ComPtr<IConnectionPointContainer> container;
        CHECK(held->GetConnectionPointContainer(container.put()) == S_OK);
        container.reset();
        held.reset();
        CHECK(Source::alive == before - 1);
    }
}
