#pragma once
// tlvTabControl: tab pages without a tab strip. Any objects answering ZOrder
// and Visible (typically a control array of frames stacked at one place) are
// kept in order; one is brought to the front and shown, the others stacked
// below or hidden, and TabShown tells the owner which page is now current.

#include <windows.h>

#include <string_view>
#include <vector>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/com/connection_points.h"

namespace verrick {

class tlvTabControl final : public EventSourceObject<tlvTabControl, _tlvTabControl> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvTabControl";

    tlvTabControl() noexcept;

    HRESULT STDMETHODCALLTYPE get_CurrentTab(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_TabsCount(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_TabItem(LONG Index, IDispatch** Result) override;
    HRESULT STDMETHODCALLTYPE FillTabs(IDispatch* vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE AddTab(IDispatch* vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ClearTabs() override;
    HRESULT STDMETHODCALLTYPE PopTab(LONG Index, VARIANT_BOOL PopOnlyThisTab,
                                     VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopPrevTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopNextTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ArrangeTabs(VARIANT_BOOL HideOtherTabs) override;

private:
    static constexpr DISPID kTabShown = 1;

    LONG Count() const noexcept { return static_cast<LONG>(Tabs.size()); }
    // Every public operation ends here; raises 5 for an index outside the pages.
    void Pop(LONG index, bool popOnlyThisTab, bool hideOtherTabs);
    // Empties the list, then releases the pages: a page's release may call back into us.
    void ReleaseTabs() noexcept;

    std::vector<support::ComPtr<IDispatch>> Tabs;
    LONG currentTab_ = 0;
};

} // namespace verrick
