#pragma once
// A combo box: a drop-down combo (style 0), a simple combo (1) or a drop-down
// list (2), with its list of items, the selected index and the text.

#include <functional>
#include <string>

#include "toolkit/list_control.h"

namespace toolkit {

enum ComboBoxConstants { vbComboDropdown = 0, vbComboSimple = 1, vbComboDropdownList = 2 };

class ComboBox : public ListControl {
public:
    ComboBox(Form& parent, std::wstring name);
    ComboBox(const ComboBox& source, int index);

    // Set before the form loads (error 382 after).
    int Style() const noexcept { return style_; }
    void Style(int style);

    // For a drop-down list the selected item's text; setting it selects the item
    // (error 383 when there is none of that text).
    std::wstring Text() const;
    void Text(const std::wstring& text);

    std::function<void()> Click;
    std::function<void()> Change;

    void Detach() override;
    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override;
    DWORD ExStyle() const override { return 0; }
    int WindowHeight(int pixels) const override;
    void OnCreated() override;
    void OnCommand(WORD code) override;
    bool TakesFocus() const override { return true; }
    // Click only when the selection changed.
    void OnListIndexSet(bool changed) override;

private:
    int style_ = vbComboDropdown;
    std::wstring text_;
};

} // namespace toolkit
