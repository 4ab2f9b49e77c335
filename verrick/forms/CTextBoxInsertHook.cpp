#include "verrick/forms/CTextBoxInsertHook.h"

#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

namespace verrick::forms {
namespace {

constexpr SHORT kShiftAlone = 1;

} // namespace

CTextBoxInsertHook::CTextBoxInsertHook()
{
    TextBoxObject.OnKeyDown = [this](SHORT& keyCode, SHORT& shift) { TextBoxObject_KeyDown(keyCode, shift); };
}

void CTextBoxInsertHook::TextBoxObject_KeyDown(SHORT& KeyCode, SHORT& Shift)
{
    if (KeyCode != VK_INSERT || Shift != kShiftAlone) return;
    // Our own reference: reading Locked runs client code, which may end this hook.
    support::ComPtr<IDispatch> textBox(TextBoxObject.Object());
    if (!textBox) return;
    bool locked = false;
    try {
        locked = vb::EqualsTrue(*late::Get(textBox.get(), L"Locked"));
    } catch (const support::RuntimeError&) {
        // Unknown state: the key goes through, as in a text box without the hook.
        return;
    }
    if (!locked) return;
    KeyCode = 0;
    Shift = 0;
}

} // namespace verrick::forms
