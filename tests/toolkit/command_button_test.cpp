#include <doctest.h>

#include "toolkit/command_button.h"
#include "toolkit/form.h"
#include "toolkit/option_button.h"
#include "toolkit/text_box.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

// A dialog with a text box, OK (default) and Cancel (cancel) buttons.
class DialogForm : public Form {
public:
    DialogForm() : Form(L"frmDialog")
    {
        txtValue.Move(60, 60, 3000, 375);
        cmdOk.Move(60, 600, 1200, 375);
        cmdOk.Caption(L"Ok");
        cmdOk.Default(true);
        cmdOk.Click = [this] { ++okClicks; };
        cmdCancel.Move(1400, 600, 1200, 375);
        cmdCancel.Caption(L"Отмена");
        cmdCancel.Cancel(true);
        cmdCancel.Click = [this] { ++cancelClicks; };
    }
    ~DialogForm() override { Unload(); }

    TextBox txtValue{*this, L"txtValue"};
    CommandButton cmdOk{*this, L"cmdOk"};
    CommandButton cmdCancel{*this, L"cmdCancel"};
    int okClicks = 0, cancelClicks = 0;
};

void PressKey(HWND window, WPARAM key)
{
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    PumpMessages();
}

} // namespace

TEST_CASE("CommandButton::EnterAndEscPressTheDefaultAndCancelButtons")
{
    DialogForm form;
    form.Show();
    REQUIRE(::GetFocus() == form.txtValue.hWnd());

    PressKey(form.txtValue.hWnd(), VK_RETURN);
    CHECK(form.okClicks == 1);
    CHECK(form.cancelClicks == 0);
    // The key went to the button, not into the text.
    CHECK(form.txtValue.Text().empty());

    PressKey(form.txtValue.hWnd(), VK_ESCAPE);
    CHECK(form.cancelClicks == 1);
    CHECK(form.okClicks == 1);

    SUBCASE("a focused button takes Enter itself")
    {
        form.cmdCancel.SetFocus();
        PressKey(form.cmdCancel.hWnd(), VK_RETURN);
        CHECK(form.cancelClicks == 2);
        CHECK(form.okClicks == 1);
    }
    SUBCASE("a disabled default button is not pressed")
    {
        form.cmdOk.Enabled(false);
        PressKey(form.txtValue.hWnd(), VK_RETURN);
        CHECK(form.okClicks == 1);
    }
    SUBCASE("without a default button Enter reaches the text box")
    {
        form.cmdOk.Default(false);
        form.txtValue.KeyDown = [&](int& keyCode, int) { form.txtValue.Tag(std::to_wstring(keyCode)); };
        PressKey(form.txtValue.hWnd(), VK_RETURN);
        CHECK(form.okClicks == 1);
        CHECK(form.txtValue.Tag() == L"13");
    }
}

TEST_CASE("CommandButton::ValueAndRoles")
{
    DialogForm form;
    form.Show();
    form.cmdOk.Value(true);
    CHECK(form.okClicks == 1);
    CHECK_FALSE(form.cmdOk.Value());

    // A click of the window (the mouse, or BM_CLICK) raises Click once.
    ::SendMessageW(form.cmdCancel.hWnd(), BM_CLICK, 0, 0);
    CHECK(form.cancelClicks == 1);

    // One default per form: the window styles follow.
    form.cmdCancel.Default(true);
    CHECK_FALSE(form.cmdOk.Default());
    CHECK((::GetWindowLongW(form.cmdCancel.hWnd(), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON);
    CHECK((::GetWindowLongW(form.cmdOk.hWnd(), GWL_STYLE) & 0xF) == BS_PUSHBUTTON);
}

TEST_CASE("CommandButton::TabFollowsTabIndex")
{
    DialogForm form;
    // Cancel before OK in tab order.
    form.cmdCancel.TabIndex(1);
    form.cmdOk.TabIndex(2);
    form.Show();
    REQUIRE(::GetFocus() == form.txtValue.hWnd());
    PressKey(form.txtValue.hWnd(), VK_TAB);
    CHECK(::GetFocus() == form.cmdCancel.hWnd());
    PressKey(form.cmdCancel.hWnd(), VK_TAB);
    CHECK(::GetFocus() == form.cmdOk.hWnd());
    PressKey(form.cmdOk.hWnd(), VK_TAB);
    CHECK(::GetFocus() == form.txtValue.hWnd());

    // Disabled and hidden controls are passed over; Shift+Tab goes back.
    form.cmdCancel.Enabled(false);
    PressKey(form.txtValue.hWnd(), VK_TAB);
    CHECK(::GetFocus() == form.cmdOk.hWnd());
    BYTE saved[256], state[256];
    ::GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), state);
    state[VK_SHIFT] = 0x80;
    ::SetKeyboardState(state);
    PressKey(form.cmdOk.hWnd(), VK_TAB);
    ::SetKeyboardState(saved);
    CHECK(::GetFocus() == form.txtValue.hWnd());
    CHECK(form.okClicks == 0);
}
