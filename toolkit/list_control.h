#pragma once
// What a list box and a combo box share: the list of items, kept while the
// form is unloaded and put into the window whenever there is one, and the
// selected index. Each kind names its window class's messages for the list.

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace toolkit {

class ListControl : public WindowedControl {
public:
    // The window class's messages for its list (LB_... or CB_...).
    struct ListMessages {
        UINT addString;
        UINT insertString;
        UINT deleteString;
        UINT resetContent;
        UINT setCurSel;
    };

    // Adds at the end, or before index; error 5 for an index past the end.
    void AddItem(const std::wstring& item, int index = -1);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const noexcept { return static_cast<int>(items_.size()); }
    // The item at index; empty text outside the list, as the system's lists answer.
    std::wstring List(int index) const;
    void List(int index, const std::wstring& item);
    // -1 when nothing is selected; setting it raises Click as the kind says.
    int ListIndex() const noexcept { return listIndex_; }
    void ListIndex(int index);

protected:
    ListControl(Form& parent, std::wstring name, const ListMessages& messages);
    // An array element copies the items; nothing is selected in it.
    ListControl(const ListControl& source, int index);

    // ListIndex was set from code (changed: to another index than it had).
    virtual void OnListIndexSet(bool changed) = 0;

    // Puts the items into a new window and selects the selected one.
    void FillWindow();
    void SelectInWindow();
    // The window's own selection, read on its notification.
    void StoreListIndex(int index) noexcept { listIndex_ = index; }
    // ListCount, ListIndex, List, AddItem, RemoveItem and Clear.
    static void DescribeListMembers(automation::ClassInfo& info);

private:
    const ListMessages& messages_;
    std::vector<std::wstring> items_;
    int listIndex_ = -1;
};

} // namespace toolkit
