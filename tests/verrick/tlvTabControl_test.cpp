#include <doctest.h>

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <vector>

#include "server.h"
#include "support/handles.h"

using namespace verrick_test;

namespace {

constexpr HRESULT kInvalidProcedureCall = MAKE_HRESULT(1, FACILITY_CONTROL, 5);
constexpr HRESULT kInvalidPropertyValue = MAKE_HRESULT(1, FACILITY_CONTROL, 380);
constexpr HRESULT kSubscriptOutOfRange = MAKE_HRESULT(1, FACILITY_CONTROL, 9);

// A page as a form's frame is one: a child window whose ZOrder and Visible
// move and show the window itself.
class WindowPage final : public IDispatch {
public:
    explicit WindowPage(HWND parent)
        : window_(
              ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr))
    {}
    HWND Window() const { return window_.get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    // Owned by the test; the last release may run client code.
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (--references_ == 0 && onLastRelease) onLastRelease();
        return references_;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        if (::lstrcmpiW(names[0], L"ZOrder") == 0) return *ids = 1, S_OK;
        if (::lstrcmpiW(names[0], L"Visible") == 0) return *ids = 2, S_OK;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        if (member == 1) return ::SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), S_OK;
        if (member != 2 || !(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
        ::ShowWindow(Window(), params->rgvarg[0].boolVal ? SW_SHOWNA : SW_HIDE);
        return S_OK;
    }
    ULONG references_ = 0;
    std::function<void()> onLastRelease;

private:
    support::UniqueWindow window_;
};

// A client's array of pages as FillTabs reads it: LBound, UBound and the element by index.
class PageArray final : public IDispatch {
public:
    explicit PageArray(std::vector<WindowPage*> pages) : pages_(std::move(pages)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        if (::lstrcmpiW(names[0], L"LBound") == 0) return *ids = 1, S_OK;
        if (::lstrcmpiW(names[0], L"UBound") == 0) return *ids = 2, S_OK;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override
    {
        if (!result) return E_INVALIDARG;
        ::VariantInit(result);
        result->vt = VT_I4;
        if (member == 1) return result->lVal = 0, S_OK;
        if (member == 2) return result->lVal = static_cast<LONG>(pages_.size()) - 1, S_OK;
        if (member != DISPID_VALUE || params->cArgs != 1 || params->rgvarg[0].vt != VT_I4)
            return DISP_E_MEMBERNOTFOUND;
        WindowPage* page = pages_.at(static_cast<size_t>(params->rgvarg[0].lVal));
        page->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = page;
        return S_OK;
    }

private:
    std::vector<WindowPage*> pages_;
};

// A client's event sink, found the way hosts find it: from the class information.
class Sink final : public IDispatch {
public:
    std::vector<LONG> shown;
    std::function<void()> onEvent;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                     IsEqualIID(iid, DIID___tlvTabControl);
        *object = known ? this : nullptr;
        if (!known) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        if (member != 1 || flags != DISPATCH_METHOD || params->cArgs != 1 || params->rgvarg[0].vt != VT_I4)
            return DISP_E_MEMBERNOTFOUND;
        shown.push_back(params->rgvarg[0].lVal);
        if (onEvent) onEvent();
        return E_FAIL; // a failing sink must not stop the others
    }
    ULONG references_ = 0;
};

DWORD Connect(IUnknown* source, Sink& sink)
{
    auto info = ComPtr<IUnknown>(source).as<IProvideClassInfo2>();
    REQUIRE(info);
    IID events{};
    REQUIRE(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events) == S_OK);
    CHECK(IsEqualIID(events, DIID___tlvTabControl));
    auto container = ComPtr<IUnknown>(source).as<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    REQUIRE(container->FindConnectionPoint(events, point.put()) == S_OK);
    DWORD cookie = 0;
    REQUIRE(point->Advise(&sink, &cookie) == S_OK);
    return cookie;
}

void Disconnect(IUnknown* source, DWORD cookie)
{
    ComPtr<IConnectionPoint> point;
    ComPtr<IUnknown>(source).as<IConnectionPointContainer>()->FindConnectionPoint(DIID___tlvTabControl,
                                                                                  point.put());
    CHECK(point->Unadvise(cookie) == S_OK);
    CHECK(point->Unadvise(cookie) == CONNECT_E_NOCONNECTION);
}

// The pages from the top of the z-order down, as 1-based numbers.
std::vector<int> Stacking(HWND parent, const std::vector<std::unique_ptr<WindowPage>>& pages)
{
    std::vector<int> order;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        for (size_t i = 0; i < pages.size(); ++i)
            if (pages[i]->Window() == child) order.push_back(static_cast<int>(i) + 1);
    return order;
}

std::vector<bool> Visibility(const std::vector<std::unique_ptr<WindowPage>>& pages)
{
    std::vector<bool> visible;
    for (const auto& page : pages)
        visible.push_back(::GetWindowLongW(page->Window(), GWL_STYLE) & WS_VISIBLE);
    return visible;
}

} // namespace

TEST_CASE("tlvTabControl::PagesStackShowAndWrapWithEvents")
{
    Com com;
    support::UniqueWindow form(
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    std::vector<std::unique_ptr<WindowPage>> pages;
    for (int i = 0; i < 3; ++i)
        pages.push_back(std::make_unique<WindowPage>(form.get()));
    Sink sink;
    {
        auto tabs = Create<_tlvTabControl>(CLSID_tlvTabControl);
        REQUIRE(tabs);
        DWORD cookie = Connect(tabs.get(), sink);

        // Nothing to show yet: error 5 and no event.
        CHECK(tabs->PopNextTab(VARIANT_FALSE, VARIANT_FALSE) == kInvalidProcedureCall);
        CHECK(tabs->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE) == kInvalidProcedureCall);
        CHECK(tabs->ArrangeTabs(VARIANT_FALSE) == kInvalidProcedureCall);
        CHECK(tabs->AddTab(nullptr, VARIANT_FALSE) == kInvalidPropertyValue);
        LONG count = -1, current = -1;
        tabs->get_TabsCount(&count);
        CHECK(count == 0);
        CHECK(sink.shown.empty());

        // One page: next and previous both show it again.
        REQUIRE(tabs->AddTab(pages[0].get(), VARIANT_FALSE) == S_OK);
        REQUIRE(tabs->PopNextTab(VARIANT_FALSE, VARIANT_FALSE) == S_OK);
        REQUIRE(tabs->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE) == S_OK);
        CHECK(sink.shown == std::vector<LONG>{1, 1, 1});

        // Each page added is shown on top; the others stay visible.
        REQUIRE(tabs->AddTab(pages[1].get(), VARIANT_FALSE) == S_OK);
        REQUIRE(tabs->AddTab(pages[2].get(), VARIANT_FALSE) == S_OK);
        CHECK(Stacking(form.get(), pages) == std::vector<int>{3, 2, 1});
        CHECK(Visibility(pages) == std::vector<bool>{true, true, true});

        // Wrap-around both ways.
        REQUIRE(tabs->PopNextTab(VARIANT_FALSE, VARIANT_TRUE) == S_OK);
        tabs->get_CurrentTab(&current);
        CHECK(current == 1);
        CHECK(Stacking(form.get(), pages) == std::vector<int>{1, 3, 2});
        CHECK(Visibility(pages) == std::vector<bool>{true, false, false});
        REQUIRE(tabs->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE) == S_OK);
        tabs->get_CurrentTab(&current);
        CHECK(current == 3);
        CHECK(Visibility(pages) == std::vector<bool>{true, true, true});

        // Only this tab: the others keep their relative stacking.
        REQUIRE(tabs->PopTab(1, VARIANT_FALSE, VARIANT_FALSE) == S_OK);
        REQUIRE(tabs->PopTab(2, VARIANT_TRUE, VARIANT_FALSE) == S_OK);
        CHECK(Stacking(form.get(), pages) == std::vector<int>{2, 1, 3});

        // A refused index changes nothing.
        sink.shown.clear();
        CHECK(tabs->PopTab(4, VARIANT_FALSE, VARIANT_FALSE) == kInvalidProcedureCall);
        CHECK(tabs->PopTab(0, VARIANT_FALSE, VARIANT_FALSE) == kInvalidProcedureCall);
        ComPtr<IDispatch> item;
        CHECK(tabs->get_TabItem(4, item.put()) == kSubscriptOutOfRange);
        REQUIRE(tabs->get_TabItem(2, item.put()) == S_OK);
        CHECK(item.get() == pages[1].get());
        tabs->get_CurrentTab(&current);
        CHECK(current == 2);
        CHECK(sink.shown.empty());

        // Cleared after page 2: the next page added is page 1, and current.
        REQUIRE(tabs->ClearTabs() == S_OK);
        CHECK(tabs->ArrangeTabs(VARIANT_FALSE) == kInvalidProcedureCall);
        REQUIRE(tabs->AddTab(pages[2].get(), VARIANT_FALSE) == S_OK);
        tabs->get_CurrentTab(&current);
        CHECK(current == 1);
        CHECK(sink.shown == std::vector<LONG>{1});

        // Late-bound, optional arguments omitted, as a script calls it.
        Outcome arranged = CallByName(tabs.get(), L"ArrangeTabs", {});
        CHECK(arranged.hr == S_OK);
        Outcome refused = CallByName(tabs.get(), L"AddTab", {Variant::Object(nullptr).release()});
        CHECK(refused.scode == kInvalidPropertyValue);
        CHECK(refused.source == L"Velmora.tlvTabControl");

        // A sink that disconnects the next one from inside its handler.
        Sink second;
        DWORD secondCookie = Connect(tabs.get(), second);
        sink.onEvent = [&] { Disconnect(tabs.get(), secondCookie); };
        sink.shown.clear();
        REQUIRE(tabs->PopNextTab(VARIANT_FALSE, VARIANT_FALSE) == S_OK);
        CHECK(sink.shown == std::vector<LONG>{1});
        CHECK(second.shown.empty());
        sink.onEvent = nullptr;
        Disconnect(tabs.get(), cookie);
        REQUIRE(tabs->AddTab(pages[0].get(), VARIANT_FALSE) == S_OK);
        CHECK(sink.shown.size() == 1);
        CHECK(sink.references_ == 0);
        CHECK(second.references_ == 0);

        // The last reference may go inside a handler.
        Connect(tabs.get(), sink);
        _tlvTabControl* raw = tabs.release();
        sink.onEvent = [&] { raw->Release(); };
        CHECK(raw->PopNextTab(VARIANT_FALSE, VARIANT_FALSE) == S_OK);
    }
    CHECK(sink.references_ == 0);
    for (const auto& page : pages)
        CHECK(page->references_ == 0);
}

TEST_CASE("tlvTabControl::ClassInformationNamesTheEventInterface")
{
    Com com;
    auto tabs = Create<_tlvTabControl>(CLSID_tlvTabControl);
    REQUIRE(tabs);
    auto provider = tabs.as<IProvideClassInfo>();
    REQUIRE(provider);
    ComPtr<ITypeInfo> coclass;
    REQUIRE(provider->GetClassInfo(coclass.put()) == S_OK);
    // What a script host reads: the default source interface and its member.
    int sources = 0;
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        REQUIRE(coclass->GetImplTypeFlags(i, &flags) == S_OK);
        if (!(flags & IMPLTYPEFLAG_FSOURCE)) continue;
        ++sources;
        CHECK((flags & IMPLTYPEFLAG_FDEFAULT));
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> events;
        REQUIRE(coclass->GetRefTypeOfImplType(i, &reference) == S_OK);
        REQUIRE(coclass->GetRefTypeInfo(reference, events.put()) == S_OK);
        Bstr name(L"TabShown");
        LPOLESTR names[] = {name.get()};
        MEMBERID id = 0;
        REQUIRE(events->GetIDsOfNames(names, 1, &id) == S_OK);
        CHECK(id == 1);
    }
    CHECK(sources == 1);
    auto container = tabs.as<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    CHECK(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()) == CONNECT_E_NOCONNECTION);
    ComPtr<IEnumConnectionPoints> all;
    REQUIRE(container->EnumConnectionPoints(all.put()) == S_OK);
    ULONG fetched = 0;
    REQUIRE(all->Next(1, point.put(), &fetched) == S_OK);
    IID iid{};
    point->GetConnectionInterface(&iid);
    CHECK(IsEqualIID(iid, DIID___tlvTabControl));
}

TEST_CASE("tlvTabControl::PagesReleasedByFillTabsSeeAnEmptyList")
{
    Com com;
    support::UniqueWindow form(
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    WindowPage first(form.get()), second(form.get()), third(form.get());
    auto tabs = Create<_tlvTabControl>(CLSID_tlvTabControl);
    REQUIRE(tabs);
    PageArray firstTwo({&first, &second});
    REQUIRE(tabs->FillTabs(&firstTwo, VARIANT_FALSE) == S_OK);
    CHECK(first.references_ == 1);
    CHECK(second.references_ == 1);

    // A page's code asks the control about its pages while the page goes.
    std::vector<LONG> countsSeen;
    auto lookBack = [&] {
        LONG count = -1;
        CHECK(tabs->get_TabsCount(&count) == S_OK);
        countsSeen.push_back(count);
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IDispatch> item;
            CHECK(tabs->get_TabItem(i, item.put()) == S_OK);
            CHECK(item);
        }
    };
    first.onLastRelease = lookBack;
    second.onLastRelease = lookBack;
    PageArray replacement({&third});
    REQUIRE(tabs->FillTabs(&replacement, VARIANT_FALSE) == S_OK);
    CHECK(countsSeen == std::vector<LONG>{0, 0});
    LONG count = 0;
    tabs->get_TabsCount(&count);
    CHECK(count == 1);
    first.onLastRelease = second.onLastRelease = nullptr;
    REQUIRE(tabs->ClearTabs() == S_OK);
    CHECK(third.references_ == 0);
}
