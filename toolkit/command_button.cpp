#include "toolkit/command_button.h"

#include "toolkit/form.h"

namespace toolkit {

CommandButton::CommandButton(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

// Array elements copy the caption; the default and cancel roles stay with the original.
CommandButton::CommandButton(const CommandButton& source, int index)
    : WindowedControl(source, index), caption_(source.caption_)
{}

const wchar_t* CommandButton::ClassName() const
{
    static const wchar_t* name = RegisterToolkitSuperclass(L"ToolkitCommandButton", L"BUTTON");
    return name;
}

DWORD CommandButton::WindowStyle() const
{
    return WindowedControl::WindowStyle() | WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void CommandButton::OnCreated()
{
    ::SetWindowTextW(hWnd(), caption_.c_str());
}

void CommandButton::Caption(std::wstring caption)
{
    caption_ = std::move(caption);
    if (hWnd()) ::SetWindowTextW(hWnd(), caption_.c_str());
}

void CommandButton::Default(bool isDefault)
{
    if (isDefault)
        for (Control* control : Parent().Controls())
            if (auto* other = dynamic_cast<CommandButton*>(control);
                other && other != this && other->default_)
                other->Default(false);
    default_ = isDefault;
    if (hWnd()) ::SendMessageW(hWnd(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void CommandButton::Cancel(bool isCancel)
{
    if (isCancel)
        for (Control* control : Parent().Controls())
            if (auto* other = dynamic_cast<CommandButton*>(control); other && other != this)
                other->cancel_ = false;
    cancel_ = isCancel;
}

void CommandButton::Value(bool value)
{
    if (value && Click) Click();
}

void CommandButton::OnCommand(WORD code)
{
    if (code == BN_CLICKED) Value(true);
}

const automation::ClassInfo& CommandButton::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"CommandButton");
        DescribeMembers(made);
        using automation::ToBool;
        using support::Variant;
        automation::Members<CommandButton>(made)
            .Property(
                L"Caption", [](CommandButton& b) { return Variant::Text(b.Caption()); },
                [](CommandButton& b, const VARIANT& v) { b.Caption(automation::ToText(v)); })
            .Property(
                L"Value", [](CommandButton& b) { return Variant::Bool(b.Value()); },
                [](CommandButton& b, const VARIANT& v) { b.Value(ToBool(v)); })
            .Property(
                L"Default", [](CommandButton& b) { return Variant::Bool(b.Default()); },
                [](CommandButton& b, const VARIANT& v) { b.Default(ToBool(v)); })
            .Property(
                L"Cancel", [](CommandButton& b) { return Variant::Bool(b.Cancel()); },
                [](CommandButton& b, const VARIANT& v) { b.Cancel(ToBool(v)); });
        made.Default(L"Value");
        return made;
    }();
    return info;
}

} // namespace toolkit
