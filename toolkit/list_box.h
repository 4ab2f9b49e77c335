#pragma once
// A list box: a list of texts, one of which may be selected. Without
// IntegralHeight off, the window shows whole lines only and its height is
// rounded down to them: Height then reads the height the list really has.
// A tab in an item moves the rest of it to the next tab stop, so items show
// as columns (LB_SETTABSTOPS sets other stops).

#include <functional>
#include <string>

#include "toolkit/list_control.h"

namespace toolkit {

class ListBox : public ListControl {
public:
    ListBox(Form& parent, std::wstring name);
    ListBox(const ListBox& source, int index);

    // The selected item's text, or "" when none is selected.
    std::wstring Text() const;

    std::function<void()> Click;
    std::function<void()> DblClick;

    // A horizontal scroll bar over the extent set with HorizontalExtent (design time).
    void HorizontalScrollBar(bool shown) noexcept { horizontalScrollBar_ = shown; }
    // The width in pixels the list scrolls over sideways (LB_SETHORIZONTALEXTENT).
    void HorizontalExtent(int pixels);
    int HorizontalExtent() const;

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    void OnCreated() override;
    void OnResized() override;
    void OnCommand(WORD code) override;
    bool TakesFocus() const override { return true; }
    // Click whenever an item is selected, the same one again included.
    void OnListIndexSet(bool changed) override;

private:
    bool horizontalScrollBar_ = false;
    int horizontalExtent_ = 0;
};

} // namespace toolkit
