#include "toolkit/combo_box.h"

#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {
namespace {

// Room for the drop-down list below the edit part, in pixels.
constexpr int kDropDownHeight = 160;

} // namespace

ComboBox::ComboBox(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

ComboBox::ComboBox(const ComboBox& source, int index)
    : WindowedControl(source, index), style_(source.style_), items_(source.items_)
{}

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
    for (const std::wstring& item : items_)
        ::SendMessageW(hWnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SelectInWindow();
    if (listIndex_ < 0 && style_ != vbComboDropdownList) ::SetWindowTextW(hWnd(), text_.c_str());
}

void ComboBox::Detach()
{
    if (hWnd() && style_ != vbComboDropdownList) text_ = Text();
    WindowedControl::Detach();
}

void ComboBox::SelectInWindow()
{
    if (hWnd()) ::SendMessageW(hWnd(), CB_SETCURSEL, static_cast<WPARAM>(listIndex_), 0);
}

void ComboBox::AddItem(const std::wstring& item, int index)
{
    if (index < -1 || index > ListCount()) support::Raise(support::err::InvalidProcedureCall);
    size_t at = index < 0 ? items_.size() : static_cast<size_t>(index);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    if (listIndex_ >= 0 && static_cast<size_t>(listIndex_) >= at) ++listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(item.c_str()));
}

void ComboBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_.erase(items_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    if (hWnd()) ::SendMessageW(hWnd(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboBox::Clear()
{
    items_.clear();
    listIndex_ = -1;
    if (hWnd()) ::SendMessageW(hWnd(), CB_RESETCONTENT, 0, 0);
}

std::wstring ComboBox::List(int index) const
{
    if (index < 0 || index >= ListCount()) return {};
    return items_[static_cast<size_t>(index)];
}

void ComboBox::List(int index, const std::wstring& item)
{
    if (index < 0 || index >= ListCount()) support::Raise(support::err::InvalidProcedureCall);
    items_[static_cast<size_t>(index)] = item;
    if (!hWnd()) return;
    ::SendMessageW(hWnd(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(hWnd(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(item.c_str()));
    if (listIndex_ == index) SelectInWindow();
}

void ComboBox::ListIndex(int index)
{
    if (index < -1 || index >= ListCount()) support::Raise(support::err::InvalidPropertyValue);
    bool changed = index != listIndex_;
    listIndex_ = index;
    SelectInWindow();
    if (changed && Click) Click();
}

std::wstring ComboBox::Text() const
{
    if (style_ == vbComboDropdownList || !hWnd()) return listIndex_ >= 0 ? List(listIndex_) : text_;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hWnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hWnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void ComboBox::Text(const std::wstring& text)
{
    if (style_ == vbComboDropdownList) {
        for (size_t i = 0; i < items_.size(); ++i)
            if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, items_[i].c_str(), -1, text.c_str(),
                                 -1) == CSTR_EQUAL) {
                ListIndex(static_cast<int>(i));
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
        if (selected != listIndex_) {
            listIndex_ = selected;
            if (Click) Click();
        }
        break;
    }
    case CBN_EDITCHANGE:
        listIndex_ = -1;
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
        using automation::Call;
        using automation::ToLong;
        using automation::ToText;
        using support::Variant;
        automation::Members<ComboBox>(made)
            .Property(
                L"Text", [](ComboBox& c) { return Variant::Text(c.Text()); },
                [](ComboBox& c, const VARIANT& v) { c.Text(ToText(v)); })
            .Property(L"Style", [](ComboBox& c) { return Variant::Long(c.Style()); })
            .Property(L"ListCount", [](ComboBox& c) { return Variant::Long(c.ListCount()); })
            .Property(
                L"ListIndex", [](ComboBox& c) { return Variant::Long(c.ListIndex()); },
                [](ComboBox& c, const VARIANT& v) { c.ListIndex(ToLong(v)); })
            .Indexed(L"List",
                     [](ComboBox& c, const Call& call) {
                         int index = ToLong(call.Required(0));
                         if (call.IsPut()) {
                             c.List(index, ToText(*call.value));
                             return Variant();
                         }
                         return Variant::Text(c.List(index));
                     })
            .Method(L"AddItem",
                    [](ComboBox& c, const Call& call) {
                        const VARIANT* index = call.Optional(1);
                        c.AddItem(ToText(call.Required(0)), index ? ToLong(*index) : -1);
                        return Variant();
                    })
            .Method(L"RemoveItem",
                    [](ComboBox& c, const Call& call) {
                        c.RemoveItem(ToLong(call.Required(0)));
                        return Variant();
                    })
            .Method(L"Clear", [](ComboBox& c, const Call&) {
                c.Clear();
                return Variant();
            });
        made.Default(L"Text");
        return made;
    }();
    return info;
}

} // namespace toolkit
