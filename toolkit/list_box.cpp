#include "toolkit/list_box.h"

#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {

ListBox::ListBox(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

ListBox::ListBox(const ListBox& source, int index) : WindowedControl(source, index), items_(source.items_) {}

const wchar_t* ListBox::ClassName() const
{
    static const wchar_t* name = RegisterToolkitSuperclass(L"ToolkitListBox", L"LISTBOX");
    return name;
}

DWORD ListBox::WindowStyle() const
{
    // Tabs in an item expand to the default stops, every 32 dialog units, as columns.
    return WindowedControl::WindowStyle() | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
           (horizontalScrollBar_ ? WS_HSCROLL : 0);
}

void ListBox::HorizontalExtent(int pixels)
{
    horizontalExtent_ = pixels;
    if (hWnd()) ::SendMessageW(hWnd(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

int ListBox::HorizontalExtent() const
{
    if (!hWnd()) return horizontalExtent_;
    return static_cast<int>(::SendMessageW(hWnd(), LB_GETHORIZONTALEXTENT, 0, 0));
}

void ListBox::OnCreated()
{
    for (const std::wstring& item : items_)
        ::SendMessageW(hWnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SelectInWindow();
    if (horizontalExtent_)
        ::SendMessageW(hWnd(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(horizontalExtent_), 0);
    OnResized();
}

void ListBox::OnResized()
{
    // The window keeps whole lines: the height is what it kept.
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    if (r.bottom - r.top != PixelHeight()) SetPixelSize(r.right - r.left, r.bottom - r.top);
}

void ListBox::SelectInWindow()
{
    if (hWnd()) ::SendMessageW(hWnd(), LB_SETCURSEL, static_cast<WPARAM>(listIndex_), 0);
}

void ListBox::AddItem(const std::wstring& item, int index)
{
    if (index < -1 || index > ListCount()) support::Raise(support::err::InvalidProcedureCall);
    const size_t at = index < 0 ? items_.size() : static_cast<size_t>(index);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    if (listIndex_ >= 0 && static_cast<size_t>(listIndex_) >= at) ++listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(item.c_str()));
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_.erase(items_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ListBox::Clear()
{
    items_.clear();
    listIndex_ = -1;
    if (hWnd()) ::SendMessageW(hWnd(), LB_RESETCONTENT, 0, 0);
}

std::wstring ListBox::List(int index) const
{
    if (index < 0 || index >= ListCount()) return {};
    return items_[static_cast<size_t>(index)];
}

void ListBox::List(int index, const std::wstring& item)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_[static_cast<size_t>(index)] = item;
    if (!hWnd()) return;
    ::SendMessageW(hWnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(hWnd(), LB_INSERTSTRING, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item.c_str()));
    if (listIndex_ == index) SelectInWindow();
}

void ListBox::ListIndex(int index)
{
    if (index < -1 || index >= ListCount()) support::Raise(support::err::InvalidPropertyValue);
    listIndex_ = index;
    SelectInWindow();
    if (index >= 0 && Click) Click();
}

std::wstring ListBox::Text() const
{
    return listIndex_ >= 0 ? List(listIndex_) : std::wstring();
}

void ListBox::OnCommand(WORD code)
{
    if (code == LBN_DBLCLK) {
        if (DblClick) DblClick();
        return;
    }
    if (code != LBN_SELCHANGE) return;
    listIndex_ = static_cast<int>(::SendMessageW(hWnd(), LB_GETCURSEL, 0, 0));
    if (Click) Click();
}

const automation::ClassInfo& ListBox::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"ListBox");
        DescribeMembers(made);
        using automation::Call;
        using automation::ToLong;
        using automation::ToText;
        using support::Variant;
        automation::Members<ListBox>(made)
            .Property(L"Text", [](ListBox& l) { return Variant::Text(l.Text()); })
            .Property(L"ListCount", [](ListBox& l) { return Variant::Long(l.ListCount()); })
            .Property(
                L"ListIndex", [](ListBox& l) { return Variant::Long(l.ListIndex()); },
                [](ListBox& l, const VARIANT& v) { l.ListIndex(ToLong(v)); })
            .Indexed(L"List",
                     [](ListBox& l, const Call& call) {
                         int index = ToLong(call.Required(0));
                         if (call.IsPut()) {
                             l.List(index, ToText(*call.value));
                             return Variant();
                         }
                         return Variant::Text(l.List(index));
                     })
            .Method(L"AddItem",
                    [](ListBox& l, const Call& call) {
                        const VARIANT* index = call.Optional(1);
                        l.AddItem(ToText(call.Required(0)), index ? ToLong(*index) : -1);
                        return Variant();
                    })
            .Method(L"RemoveItem",
                    [](ListBox& l, const Call& call) {
                        l.RemoveItem(ToLong(call.Required(0)));
                        return Variant();
                    })
            .Method(L"Clear", [](ListBox& l, const Call&) {
                l.Clear();
                return Variant();
            });
        made.Default(L"Text");
        return made;
    }();
    return info;
}

} // namespace toolkit
