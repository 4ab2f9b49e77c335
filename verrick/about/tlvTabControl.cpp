#include "verrick/about/tlvTabControl.h"

#include "support/runtime_error.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::Variant;

void BringToFront(IDispatch* page)
{
    late::Call(page, L"ZOrder");
}

void SetVisible(IDispatch* page, bool visible)
{
    late::Put(page, L"Visible", *Variant::Bool(visible));
}

} // namespace

tlvTabControl::tlvTabControl() noexcept : EventSourceObject(DIID___tlvTabControl) {}

void tlvTabControl::Pop(LONG index, bool popOnlyThisTab, bool hideOtherTabs)
{
    if (index == -1) index = currentTab_;
    if (index < 1 || index > Count()) support::Raise(support::err::InvalidProcedureCall);
    // The pages as they are now: a page's own code may change the list meanwhile.
    const std::vector<ComPtr<IDispatch>> pages = Tabs;
    if (!popOnlyThisTab) {
        // One after another from the first, so the pages end up stacked in list order.
        for (const auto& page : pages)
            BringToFront(page.get());
    }
    for (const auto& page : pages)
        SetVisible(page.get(), !hideOtherTabs);
    IDispatch* shown = pages[static_cast<size_t>(index - 1)].get();
    BringToFront(shown);
    SetVisible(shown, true);
    currentTab_ = index;
    RaiseEvent(kTabShown, {*Variant::Long(index)});
}

HRESULT tlvTabControl::get_CurrentTab(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = currentTab_;
    });
}

HRESULT tlvTabControl::get_TabsCount(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Count();
    });
}

HRESULT tlvTabControl::get_TabItem(LONG Index, IDispatch** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        if (Index < 1 || Index > Count()) support::Raise(support::err::SubscriptOutOfRange);
        Tabs[static_cast<size_t>(Index - 1)].copy_to(Result);
    });
}

HRESULT tlvTabControl::FillTabs(IDispatch* vData, VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] {
        ReleaseTabs();
        const LONG lower = vb::ToLong(*late::Get(vData, L"LBound"));
        const LONG upper = vb::ToLong(*late::Get(vData, L"UBound"));
        // A gap in the array fails on the missing element; the pages before it stay.
        for (LONGLONG i = lower; i <= upper; ++i) {
            Variant element = late::GetDefault(vData, {*Variant::Long(static_cast<LONG>(i))});
            Tabs.push_back(late::ObjectOf(*element));
        }
        Pop(Count(), false, HideOtherTabs != VARIANT_FALSE);
    });
}

HRESULT tlvTabControl::AddTab(IDispatch* vData, VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] {
        if (!vData) support::Raise(support::err::InvalidPropertyValue);
        Tabs.emplace_back(vData);
        Pop(Count(), false, HideOtherTabs != VARIANT_FALSE);
    });
}

HRESULT tlvTabControl::ClearTabs()
{
    return GuardMethod([&] { ReleaseTabs(); });
}

void tlvTabControl::ReleaseTabs() noexcept
{
    std::vector<ComPtr<IDispatch>> released;
    released.swap(Tabs);
}

HRESULT tlvTabControl::PopTab(LONG Index, VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] { Pop(Index, PopOnlyThisTab != VARIANT_FALSE, HideOtherTabs != VARIANT_FALSE); });
}

HRESULT tlvTabControl::PopPrevTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] {
        LONG index = currentTab_ - 1;
        if (index < 1) index = Count();
        Pop(index, PopOnlyThisTab != VARIANT_FALSE, HideOtherTabs != VARIANT_FALSE);
    });
}

HRESULT tlvTabControl::PopNextTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] {
        LONG index = currentTab_ + 1;
        if (index > Count()) index = 1;
        Pop(index, PopOnlyThisTab != VARIANT_FALSE, HideOtherTabs != VARIANT_FALSE);
    });
}

HRESULT tlvTabControl::ArrangeTabs(VARIANT_BOOL HideOtherTabs)
{
    return GuardMethod([&] { Pop(-1, false, HideOtherTabs != VARIANT_FALSE); });
}

} // namespace verrick
