#pragma once
// A command button. The form's default button is pressed by Enter, its cancel
// button by Esc; setting Value to True clicks the button from code.

#include <functional>
#include <string>

#include "toolkit/control.h"

namespace toolkit {

class CommandButton : public WindowedControl {
public:
    CommandButton(Form& parent, std::wstring name);
    CommandButton(const CommandButton& source, int index);

    const std::wstring& Caption() const noexcept { return caption_; }
    void Caption(std::wstring caption);
    // One default and one cancel button per form: setting one clears the others'.
    bool Default() const noexcept { return default_; }
    void Default(bool isDefault);
    bool Cancel() const noexcept { return cancel_; }
    void Cancel(bool isCancel);
    // Always False when read; True raises Click.
    bool Value() const noexcept { return false; }
    void Value(bool value);

    std::function<void()> Click;

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override;
    void OnCreated() override;
    void OnCommand(WORD code) override;
    bool TakesFocus() const override { return true; }

private:
    std::wstring caption_;
    bool default_ = false;
    bool cancel_ = false;
};

} // namespace toolkit
