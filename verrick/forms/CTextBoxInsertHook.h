#pragma once
// CTextBoxInsertHook: keeps Shift+Insert from pasting into a locked text box,
// where the text box would otherwise still paste. tlvMain keeps one per
// hooked text box.

#include <windows.h>
#include <oaidl.h>

#include "verrick/forms/text_box_events.h"

namespace verrick::forms {

class CTextBoxInsertHook {
public:
    CTextBoxInsertHook();
    CTextBoxInsertHook(const CTextBoxInsertHook&) = delete;
    CTextBoxInsertHook& operator=(const CTextBoxInsertHook&) = delete;

    IDispatch* CurrentHook() const noexcept { return TextBoxObject.Object(); }
    // Hooks the text box, letting go of an earlier one; Nothing only lets go.
    void CurrentHook(IDispatch* vData) { TextBoxObject.Connect(vData); }

private:
    void TextBoxObject_KeyDown(SHORT& KeyCode, SHORT& Shift);

    TextBoxEvents TextBoxObject;
};

} // namespace verrick::forms
