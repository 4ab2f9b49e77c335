#include "toolkit/option_button.h"

#include "toolkit/form.h"

namespace toolkit {

OptionButton::OptionButton(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

OptionButton::OptionButton(const OptionButton& source, int index)
    : WindowedControl(source, index), caption_(source.caption_)
{}

const wchar_t* OptionButton::ClassName() const
{
    static const wchar_t* name = RegisterToolkitSuperclass(L"ToolkitOptionButton", L"BUTTON");
    return name;
}

// Not an automatic radio button: the group is the form's, kept by Value.
DWORD OptionButton::WindowStyle() const
{
    return WindowedControl::WindowStyle() | WS_TABSTOP | BS_RADIOBUTTON;
}

void OptionButton::OnCreated()
{
    ::SetWindowTextW(hWnd(), caption_.c_str());
    ::SendMessageW(hWnd(), BM_SETCHECK, value_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionButton::Caption(std::wstring caption)
{
    caption_ = std::move(caption);
    if (hWnd()) ::SetWindowTextW(hWnd(), caption_.c_str());
}

void OptionButton::Value(bool value)
{
    bool changed = value != value_;
    value_ = value;
    if (hWnd()) ::SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!value) return;
    for (Control* control : Parent().Controls())
        if (auto* other = dynamic_cast<OptionButton*>(control); other && other != this && other->value_)
            other->Value(false);
    if (changed && Click) Click();
}

void OptionButton::OnCommand(WORD code)
{
    if (code == BN_CLICKED) Value(true);
}

const automation::ClassInfo& OptionButton::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"OptionButton");
        DescribeMembers(made);
        using support::Variant;
        automation::Members<OptionButton>(made)
            .Property(
                L"Caption", [](OptionButton& b) { return Variant::Text(b.Caption()); },
                [](OptionButton& b, const VARIANT& v) { b.Caption(automation::ToText(v)); })
            .Property(
                L"Value", [](OptionButton& b) { return Variant::Bool(b.Value()); },
                [](OptionButton& b, const VARIANT& v) { b.Value(automation::ToBool(v)); });
        made.Default(L"Value");
        return made;
    }();
    return info;
}

} // namespace toolkit
