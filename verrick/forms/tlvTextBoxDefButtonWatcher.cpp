#include "verrick/forms/tlvTextBoxDefButtonWatcher.h"

#include "support/runtime_error.h"
#include "verrick/com/late_bound.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::Variant;

// Nothing passes; any other object must be of the type named.
void RequireTypeOrNothing(IDispatch* object, std::wstring_view typeName)
{
    if (object && !forms::IsControlOfType(object, typeName)) support::Raise(support::err::TypeMismatch);
}

} // namespace

tlvTextBoxDefButtonWatcher::tlvTextBoxDefButtonWatcher()
{
    ThisTextBox.OnGotFocus = [this] { ThisTextBox_GotFocus(); };
    ThisTextBox.OnLostFocus = [this] { ThisTextBox_LostFocus(); };
}

tlvTextBoxDefButtonWatcher::~tlvTextBoxDefButtonWatcher()
{
    globalButton_.reset();
    localButton_.reset();
    ThisTextBox.Disconnect();
}

HRESULT tlvTextBoxDefButtonWatcher::Init(IDispatch* Global_CommandButton, IDispatch* Local_CommandButton,
                                         IDispatch* This_TextBox)
{
    return GuardMethod([&] {
        // Every argument is checked before anything changes: a refused Init leaves the watcher as it was.
        RequireTypeOrNothing(Global_CommandButton, L"CommandButton");
        RequireTypeOrNothing(Local_CommandButton, L"CommandButton");
        RequireTypeOrNothing(This_TextBox, L"TextBox");
        ThisTextBox.Connect(This_TextBox);
        globalButton_ = ComPtr<IDispatch>(Global_CommandButton);
        localButton_ = ComPtr<IDispatch>(Local_CommandButton);
    });
}

void tlvTextBoxDefButtonWatcher::ThisTextBox_GotFocus()
{
    // Our own references: the client code behind Default may release this watcher.
    ComPtr<_tlvTextBoxDefButtonWatcher> keepAlive(this);
    // Making one button the default takes the flag from the form's other buttons.
    if (localButton_) late::Put(localButton_.get(), L"Default", *Variant::Bool(true));
}

void tlvTextBoxDefButtonWatcher::ThisTextBox_LostFocus()
{
    ComPtr<_tlvTextBoxDefButtonWatcher> keepAlive(this);
    if (localButton_) late::Put(localButton_.get(), L"Default", *Variant::Bool(false));
    if (globalButton_) late::Put(globalButton_.get(), L"Default", *Variant::Bool(true));
}

} // namespace verrick
