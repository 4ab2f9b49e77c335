// tlvMain: the list of text-box insert hooks, one per hooked text box.

#include <algorithm>
#include <utility>

#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/forms/CTextBoxInsertHook.h"
#include "verrick/frame/tlvMain.h"

namespace verrick {
namespace {

using forms::CTextBoxInsertHook;
using HookList = std::vector<std::unique_ptr<CTextBoxInsertHook>>;

void RequireTextBox(IDispatch* control)
{
    if (!forms::IsControlOfType(control, L"TextBox")) support::Raise(support::err::InvalidProcedureCall);
}

HookList::iterator FindHook(HookList& hooks, IDispatch* textBox)
{
    return std::find_if(hooks.begin(), hooks.end(),
                        [&](const auto& hook) { return support::SameObject(hook->CurrentHook(), textBox); });
}

} // namespace

tlvMain::tlvMain() = default;

tlvMain::~tlvMain()
{
    ClearTextBoxInsertHooks();
}

HRESULT tlvMain::AddTextBoxInsertHook(IDispatch* TextBoxControl, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = VARIANT_FALSE;
        RequireTextBox(TextBoxControl);
        if (FindHook(hooks_, TextBoxControl) != hooks_.end()) return;
        auto hook = std::make_unique<CTextBoxInsertHook>();
        hook->CurrentHook(TextBoxControl);
        hooks_.push_back(std::move(hook));
        *Result = VARIANT_TRUE;
    });
}

HRESULT tlvMain::RemoveTextBoxInsertHook(IDispatch* TextBoxControl, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = VARIANT_FALSE;
        RequireTextBox(TextBoxControl);
        auto found = FindHook(hooks_, TextBoxControl);
        if (found == hooks_.end()) return;
        // Ended after it has left the list: letting go of the text box may run client code.
        std::unique_ptr<CTextBoxInsertHook> removed = std::move(*found);
        hooks_.erase(found);
        *Result = VARIANT_TRUE;
    });
}

HRESULT tlvMain::ClearTextBoxInsertHooks()
{
    return GuardMethod([&] {
        HookList removed;
        removed.swap(hooks_);
    });
}

} // namespace verrick
