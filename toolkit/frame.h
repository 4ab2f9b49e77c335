#pragma once
// A frame: a container whose window holds the windows of the controls placed
// in it (WindowedControl::Container), so that hiding, showing or stacking the
// frame does the same to them. Notifications of the controls inside reach the
// form as if the controls lay on it.

#include <string>

#include "toolkit/control.h"

namespace toolkit {

class Frame : public WindowedControl {
public:
    Frame(Form& parent, std::wstring name);
    Frame(const Frame& source, int index);

    const std::wstring& Caption() const noexcept { return caption_; }
    void Caption(std::wstring caption);
    // 0: a plain area; 1: an etched border with the caption at its top.
    int BorderStyle() const noexcept { return borderStyle_; }
    void BorderStyle(int style);

    // Whether a control lies in this frame, directly or in a frame inside it.
    bool Contains(const WindowedControl& control) const noexcept;

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override { return WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; }
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring caption_;
    int borderStyle_ = 1;
};

} // namespace toolkit
