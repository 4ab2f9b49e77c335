#pragma once
// A label: one line (or a wrapped block) of text on the form's background.

#include <functional>
#include <string>

#include "toolkit/control.h"

namespace toolkit {

enum class Alignment { LeftJustify = 0, RightJustify = 1, Center = 2 };

class Label : public WindowedControl {
public:
    Label(Form& parent, std::wstring name);
    Label(const Label& source, int index);

    const std::wstring& Caption() const noexcept { return caption_; }
    void Caption(std::wstring caption);
    // The label takes the size of its text whenever text or font change.
    void AutoSize(bool autoSize);
    void Alignment(toolkit::Alignment alignment);
    // An ampersand marks an access key; off, it is shown as it is.
    void UseMnemonic(bool useMnemonic);
    void WordWrap(bool wordWrap);
    // Transparent labels show the form behind their text.
    void BackStyleTransparent(bool transparent);

    // A press and release of the left button on the label.
    std::function<void()> Click;

    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    bool WindowIsReusable() const override { return true; }
    void OnCreated() override;
    void OnFontChanged() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UINT TextFormat() const;
    void FitToText();

    std::wstring caption_;
    bool autoSize_ = false;
    toolkit::Alignment alignment_ = toolkit::Alignment::LeftJustify;
    bool useMnemonic_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool pressed_ = false;
};

} // namespace toolkit
