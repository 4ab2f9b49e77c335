#include "toolkit/list_box.h"

#include "toolkit/form.h"

namespace toolkit {
namespace {

constexpr ListControl::ListMessages kListMessages{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING,
                                                  LB_RESETCONTENT, LB_SETCURSEL};

} // namespace

ListBox::ListBox(Form& parent, std::wstring name) : ListControl(parent, std::move(name), kListMessages) {}

ListBox::ListBox(const ListBox& source, int index) : ListControl(source, index) {}

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
    FillWindow();
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

void ListBox::OnListIndexSet(bool)
{
    if (ListIndex() >= 0 && Click) Click();
}

std::wstring ListBox::Text() const
{
    return ListIndex() >= 0 ? List(ListIndex()) : std::wstring();
}

void ListBox::OnCommand(WORD code)
{
    if (code == LBN_DBLCLK) {
        if (DblClick) DblClick();
        return;
    }
    if (code != LBN_SELCHANGE) return;
    StoreListIndex(static_cast<int>(::SendMessageW(hWnd(), LB_GETCURSEL, 0, 0)));
    if (Click) Click();
}

const automation::ClassInfo& ListBox::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"ListBox");
        DescribeMembers(made);
        automation::Members<ListBox>(made).Property(
            L"Text", [](ListBox& l) { return support::Variant::Text(l.Text()); });
        DescribeListMembers(made);
        made.Default(L"Text");
        return made;
    }();
    return info;
}

} // namespace toolkit
