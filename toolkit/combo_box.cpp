#include "toolkit/combo_box.h"

#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {
namespace {

// Room for the drop-down list below the edit part, in pixels.
constexpr int kDropDownHeight = 160;

constexpr ListControl::ListMessages kComboMessages{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING,
                                                   CB_RESETCONTENT, CB_SETCURSEL};

} // namespace

ComboBox::ComboBox(Form& parent, std::wstring name) : ListControl(parent, std::move(name), kComboMessages) {}

ComboBox::ComboBox(const ComboBox& source, int index) : ListControl(source, index), style_(source.style_) {}

const wchar_t* ComboBox::ClassName() const
{
    static const wchar_t* name = RegisterToolkitSuperclass(L"ToolkitComboBox", L"COMBOBOX");
    return name;
}

DWORD ComboBox::WindowStyle() const
{
    DWORD kind = style_ == vbComboSimple         ? CBS_SIMPLE
                 : style_ == vbComboDropdownList ? CBS_DROPDOWNLIST
                                                 : CBS_DROPDOWN;
    return WindowedControl::WindowStyle() | WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL | kind;
}

int ComboBox::WindowHeight(int pixels) const
{
    return style_ == vbComboSimple ? pixels : pixels + kDropDownHeight;
}

void ComboBox::Style(int style)
{
    if (hWnd()) support::Raise(support::err::ReadOnlyAtRunTime, L"Property is read-only at run time");
    if (style < vbComboDropdown || style > vbComboDropdownList)
        support::Raise(support::err::InvalidPropertyValue);
    style_ = style;
}

void ComboBox::OnCreated()
{
    FillWindow();
    if (ListIndex() < 0 && style_ != vbComboDropdownList) ::SetWindowTextW(hWnd(), text_.c_str());
}

void ComboBox::Detach()
{
    if (hWnd() && style_ != vbComboDropdownList) text_ = Text();
    WindowedControl::Detach();
}

void ComboBox::OnListIndexSet(bool changed)
{
    if (changed && Click) Click();
}

std::wstring ComboBox::Text() const
{
    if (style_ == vbComboDropdownList || !hWnd()) return ListIndex() >= 0 ? List(ListIndex()) : text_;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hWnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hWnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void ComboBox::Text(const std::wstring& text)
{
    if (style_ == vbComboDropdownList) {
        for (int i = 0; i < ListCount(); ++i)
            if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, List(i).c_str(), -1, text.c_str(),
                                 -1) == CSTR_EQUAL) {
                ListIndex(i);
                return;
            }
        support::Raise(support::err::ReadOnlyProperty, L"'Text' property is read-only");
    }
    text_ = text;
    if (hWnd()) ::SetWindowTextW(hWnd(), text.c_str());
}

void ComboBox::OnCommand(WORD code)
{
    switch (code) {
    case CBN_SELCHANGE: {
        int selected = static_cast<int>(::SendMessageW(hWnd(), CB_GETCURSEL, 0, 0));
        if (selected != ListIndex()) {
            StoreListIndex(selected);
            if (Click) Click();
        }
        break;
    }
    case CBN_EDITCHANGE:
        StoreListIndex(-1);
        if (Change) Change();
        break;
    default: break;
    }
}

const automation::ClassInfo& ComboBox::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"ComboBox");
        DescribeMembers(made);
        using automation::ToText;
        using support::Variant;
        automation::Members<ComboBox>(made)
            .Property(
                L"Text", [](ComboBox& c) { return Variant::Text(c.Text()); },
                [](ComboBox& c, const VARIANT& v) { c.Text(ToText(v)); })
            .Property(L"Style", [](ComboBox& c) { return Variant::Long(c.Style()); });
        DescribeListMembers(made);
        made.Default(L"Text");
        return made;
    }();
    return info;
}

} // namespace toolkit
