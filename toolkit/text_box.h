#pragma once
// A text box: one line or many, with its key and change events. KeyDown may
// change or cancel (0) the key code; KeyPress may change the character or
// discard it by setting keyAscii to 0.

#include <functional>
#include <string>

#include "toolkit/control.h"

namespace toolkit {

enum ScrollBarConstants { vbSBNone = 0, vbHorizontal = 1, vbVertical = 2, vbBoth = 3 };

class TextBox : public WindowedControl {
public:
    TextBox(Form& parent, std::wstring name);
    TextBox(const TextBox& source, int index);

    std::wstring Text() const;
    void Text(const std::wstring& text);
    // MultiLine and ScrollBars are set before the form loads (error 382 after).
    bool MultiLine() const noexcept { return multiLine_; }
    void MultiLine(bool multiLine);
    int ScrollBars() const noexcept { return scrollBars_; }
    void ScrollBars(int scrollBars);
    // A locked text box shows and selects its text but does not let it be edited.
    bool Locked() const noexcept { return locked_; }
    void Locked(bool locked);

    // The selection in characters; setting SelStart empties it, SelLength extends it from SelStart.
    long SelStart() const;
    void SelStart(long start);
    long SelLength() const;
    void SelLength(long length);
    std::wstring SelText() const;
    void SelText(const std::wstring& text);

    std::function<void(int& keyCode, int shift)> KeyDown;
    std::function<void(int& keyAscii)> KeyPress;
    std::function<void()> Change;

    void Detach() override;
    const automation::ClassInfo& AutomationClass() const override;

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    void OnCreated() override;
    void OnCommand(WORD code) override;
    bool TakesFocus() const override { return true; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Selection(DWORD& start, DWORD& end) const;

    std::wstring text_;
    bool multiLine_ = false;
    int scrollBars_ = vbSBNone;
    bool locked_ = false;
    bool creating_ = false;
};

} // namespace toolkit
