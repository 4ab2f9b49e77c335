#pragma once
// tlvTextBoxDefButtonWatcher: while one text box has the focus, Enter presses
// a local button; when the focus leaves, the form's usual default button
// takes the role back.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/forms/text_box_events.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvTextBoxDefButtonWatcher final
    : public DispatchObject<tlvTextBoxDefButtonWatcher, _tlvTextBoxDefButtonWatcher> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvTextBoxDefButtonWatcher";

    tlvTextBoxDefButtonWatcher();
    ~tlvTextBoxDefButtonWatcher() override;

    HRESULT STDMETHODCALLTYPE Init(IDispatch* Global_CommandButton, IDispatch* Local_CommandButton,
                                   IDispatch* This_TextBox) override;

private:
    void ThisTextBox_GotFocus();
    void ThisTextBox_LostFocus();

    support::ComPtr<IDispatch> globalButton_;
    support::ComPtr<IDispatch> localButton_;
    forms::TextBoxEvents ThisTextBox;
};

} // namespace verrick
