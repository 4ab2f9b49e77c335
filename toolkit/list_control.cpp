#include "toolkit/list_control.h"

#include "support/runtime_error.h"

namespace toolkit {

ListControl::ListControl(Form& parent, std::wstring name, const ListMessages& messages)
    : WindowedControl(parent, std::move(name)), messages_(messages)
{}

ListControl::ListControl(const ListControl& source, int index)
    : WindowedControl(source, index), messages_(source.messages_), items_(source.items_)
{}

void ListControl::FillWindow()
{
    for (const std::wstring& item : items_)
        ::SendMessageW(hWnd(), messages_.addString, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SelectInWindow();
}

void ListControl::SelectInWindow()
{
    if (hWnd()) ::SendMessageW(hWnd(), messages_.setCurSel, static_cast<WPARAM>(listIndex_), 0);
}

void ListControl::AddItem(const std::wstring& item, int index)
{
    if (index < -1 || index > ListCount()) support::Raise(support::err::InvalidProcedureCall);
    const size_t at = index < 0 ? items_.size() : static_cast<size_t>(index);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    if (listIndex_ >= 0 && static_cast<size_t>(listIndex_) >= at) ++listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), messages_.insertString, at, reinterpret_cast<LPARAM>(item.c_str()));
}

void ListControl::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_.erase(items_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), messages_.deleteString, static_cast<WPARAM>(index), 0);
}

void ListControl::Clear()
{
    items_.clear();
    listIndex_ = -1;
    if (hWnd()) ::SendMessageW(hWnd(), messages_.resetContent, 0, 0);
}

std::wstring ListControl::List(int index) const
{
    if (index < 0 || index >= ListCount()) return {};
    return items_[static_cast<size_t>(index)];
}

void ListControl::List(int index, const std::wstring& item)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_[static_cast<size_t>(index)] = item;
    if (!hWnd()) return;
    ::SendMessageW(hWnd(), messages_.deleteString, static_cast<WPARAM>(index), 0);
    ::SendMessageW(hWnd(), messages_.insertString, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item.c_str()));
    if (listIndex_ == index) SelectInWindow();
}

void ListControl::ListIndex(int index)
{
    if (index < -1 || index >= ListCount()) support::Raise(support::err::InvalidPropertyValue);
    const bool changed = index != listIndex_;
    listIndex_ = index;
    SelectInWindow();
    OnListIndexSet(changed);
}

void ListControl::DescribeListMembers(automation::ClassInfo& info)
{
    using automation::Call;
    using automation::ToLong;
    using automation::ToText;
    using support::Variant;
    automation::Members<ListControl>(info)
        .Property(L"ListCount", [](ListControl& l) { return Variant::Long(l.ListCount()); })
        .Property(
            L"ListIndex", [](ListControl& l) { return Variant::Long(l.ListIndex()); },
            [](ListControl& l, const VARIANT& v) { l.ListIndex(ToLong(v)); })
        .Indexed(L"List",
                 [](ListControl& l, const Call& call) {
                     int index = ToLong(call.Required(0));
                     if (call.IsPut()) {
                         l.List(index, ToText(*call.value));
                         return Variant();
                     }
                     return Variant::Text(l.List(index));
                 })
        .Method(L"AddItem",
                [](ListControl& l, const Call& call) {
                    const VARIANT* index = call.Optional(1);
                    l.AddItem(ToText(call.Required(0)), index ? ToLong(*index) : -1);
                    return Variant();
                })
        .Method(L"RemoveItem",
                [](ListControl& l, const Call& call) {
                    l.RemoveItem(ToLong(call.Required(0)));
                    return Variant();
                })
        .Method(L"Clear", [](ListControl& l, const Call&) {
            l.Clear();
            return Variant();
        });
}

} // namespace toolkit
