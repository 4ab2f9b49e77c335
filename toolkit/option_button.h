#pragma once
// An option button. The option buttons of one form are one group: selecting
// one clears the others. Click is raised whenever one becomes selected.

#include <functional>
#include <string>

#include "toolkit/control.h"

namespace toolkit {

class OptionButton : public WindowedControl {
public:
    OptionButton(Form& parent, std::wstring name);
    // A new array element starts unselected.
    OptionButton(const OptionButton& source, int index);

    const std::wstring& Caption() const noexcept { return caption_; }
    void Caption(std::wstring caption);
    bool Value() const noexcept { return value_; }
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
    bool value_ = false;
};

} // namespace toolkit
