#include <doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/timer.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

// Keys as the form and a plain child window saw them, in order.
std::vector<std::wstring>& KeyLog()
{
    static std::vector<std::wstring> log;
    return log;
}

class EventForm : public Form {
public:
    EventForm() : Form(L"frmEvents") {}
    ~EventForm() override
    {
        cancelQuery = cancelUnload = 0;
        Unload();
    }

    int loads = 0, unloads = 0;
    std::vector<int> queryModes;
    int cancelQuery = 0, cancelUnload = 0;
    int swallowKey = -1;

protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(int& cancel, int unloadMode) override
    {
        queryModes.push_back(unloadMode);
        cancel = cancelQuery;
    }
    void Form_Unload(int& cancel) override
    {
        ++unloads;
        cancel = cancelUnload;
    }
    void Form_KeyDown(int& keyCode, int shift) override
    {
        KeyLog().push_back(L"form " + std::to_wstring(keyCode) + L" " + std::to_wstring(shift));
        if (keyCode == swallowKey) keyCode = 0;
    }
};

bool IsListed(const Form& form)
{
    const auto& forms = Application::Forms();
    return std::count(forms.begin(), forms.end(), &form) == 1;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

LRESULT CALLBACK KeyChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        KeyLog().push_back(L"child " + std::to_wstring(wParam));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A child that is not a toolkit control, as a focused control of any kind would be.
support::UniqueWindow CreateKeyChild(HWND parent)
{
    WNDCLASSEXW windowClass{sizeof windowClass};
    windowClass.lpfnWndProc = KeyChildProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ToolkitTestKeyChild";
    ::RegisterClassExW(&windowClass);
    HWND child = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                   parent, nullptr, windowClass.hInstance, nullptr);
    return support::UniqueWindow(child);
}

// Holds keys down in this thread's keyboard state for as long as it lives.
class HeldKeys {
public:
    HeldKeys(std::initializer_list<int> keys)
    {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), state);
        for (int key : keys)
            state[key] = 0x80;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

constexpr LPARAM kAltDown = LPARAM(1) << 29;

} // namespace

TEST_CASE("Form::ClientSizeForEachBorderStyle")
{
    for (FormBorderStyle style : {FormBorderStyle::FixedToolWindow, FormBorderStyle::Sizable,
                                  FormBorderStyle::FixedSingle, FormBorderStyle::None}) {
        CAPTURE(static_cast<int>(style));
        Form form(L"frmSize");
        form.BorderStyle(style);
        form.ClientSize(4500, 3000);
        form.Show();
        RECT client{};
        ::GetClientRect(form.hWnd(), &client);
        CHECK(client.right == 300);
        CHECK(client.bottom == 200);
        form.ClientSize(6000, 1500);
        ::GetClientRect(form.hWnd(), &client);
        CHECK(client.right == 400);
        CHECK(client.bottom == 100);
        form.Unload();
    }
}

TEST_CASE("Form::BorderStyleChangeKeepsTheFormShown")
{
    Form form(L"frmBorder");
    form.Show();
    form.BorderStyle(FormBorderStyle::FixedToolWindow);
    CHECK(::IsWindowVisible(form.hWnd()));
    CHECK((::GetWindowLongW(form.hWnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0);
    form.Unload();
}

TEST_CASE("Form::GeometryInTwips")
{
    Form form(L"frmGeometry");
    form.ClientSize(4500, 3000);

    // Placing a form that is not loaded yet loads it and keeps its size.
    form.Left(1500);
    REQUIRE(form.IsLoaded());
    CHECK(form.Left() == 1500);
    CHECK(form.ScaleWidth() == 4500);
    CHECK(form.ScaleHeight() == 3000);

    form.Move(1500, 1200, 6000, 4500);
    RECT frame{};
    ::GetWindowRect(form.hWnd(), &frame);
    CHECK(frame.left == 100);
    CHECK(frame.bottom == 380);

    form.Left(3000);
    form.Top(2250);
    form.Width(7500);
    form.Height(5250);
    CHECK(form.Left() == 3000);
    CHECK(form.Top() == 2250);
    CHECK(form.Width() == 7500);
    CHECK(form.Height() == 5250);

    RECT client{};
    ::GetClientRect(form.hWnd(), &client);
    CHECK(form.ScaleWidth() == client.right * 15);
    CHECK(form.ScaleHeight() == client.bottom * 15);
    form.Unload();
}

TEST_CASE("Form::CaptionKeepsRussianText")
{
    const std::wstring text = L"Диски: занято / всего — «Ёж» №5";
    Form form(L"frmCaption");
    form.Caption(text);
    form.Show();
    CHECK(WindowText(form.hWnd()) == text);
    form.Caption(L"Свободно: ЁЖИК");
    CHECK(WindowText(form.hWnd()) == L"Свободно: ЁЖИК");
    CHECK(form.Caption() == L"Свободно: ЁЖИК");
    form.Unload();
}

TEST_CASE("Form::LoadAndUnload")
{
    EventForm form;
    form.Load();
    form.Show();
    form.Load();
    CHECK(form.loads == 1);
    CHECK(IsListed(form));
    HWND window = form.hWnd();

    SUBCASE("from code")
    {
        CHECK(form.Unload());
        CHECK(form.queryModes == std::vector<int>{vbFormCode});
        CHECK(form.unloads == 1);
    }
    SUBCASE("by the close box")
    {
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpMessages();
        CHECK(form.queryModes == std::vector<int>{vbFormControlMenu});
        CHECK(form.unloads == 1);
    }
    CHECK_FALSE(form.IsLoaded());
    CHECK_FALSE(::IsWindow(window));
    CHECK_FALSE(IsListed(form));
}

TEST_CASE("Form::CancelledUnloadKeepsTheForm")
{
    EventForm form;
    form.Show();
    HWND window = form.hWnd();
    SUBCASE("in Form_QueryUnload")
    {
        form.cancelQuery = 1;
        CHECK_FALSE(form.Unload());
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        CHECK(form.queryModes == std::vector<int>{vbFormCode, vbFormControlMenu});
        CHECK(form.unloads == 0);
    }
    SUBCASE("in Form_Unload")
    {
        form.cancelUnload = 1;
        CHECK_FALSE(form.Unload());
        CHECK(form.unloads == 1);
    }
    CHECK(form.hWnd() == window);
    CHECK(::IsWindowVisible(window));
    CHECK(IsListed(form));
}

TEST_CASE("Form::LoadsAgainAfterUnload")
{
    EventForm form;
    Label label(form, L"lblText");
    label.Caption(L"текст");
    form.Show();
    form.Unload();
    CHECK(label.hWnd() == nullptr);

    form.Show();
    CHECK(form.loads == 2);
    CHECK(IsListed(form));
    REQUIRE(::IsWindow(label.hWnd()));
    CHECK(::GetParent(label.hWnd()) == form.hWnd());
    CHECK(::IsWindowVisible(label.hWnd()));
    CHECK(label.Caption() == L"текст");
}

TEST_CASE("Form::KeyPreview")
{
    EventForm form;
    form.KeyPreview(true);
    form.Show();
    support::UniqueWindow child = CreateKeyChild(form.hWnd());
    REQUIRE(child);
    KeyLog().clear();
    auto press = [](HWND window, UINT message, int key) {
        ::PostMessageW(window, message, key, message == WM_SYSKEYDOWN ? 1 | kAltDown : 1);
        PumpMessages();
    };

    SUBCASE("the form sees a child's key first, with the shift state")
    {
        HeldKeys held{VK_SHIFT, VK_CONTROL};
        press(child.get(), WM_KEYDOWN, 'A');
        CHECK(KeyLog() == std::vector<std::wstring>{L"form 65 3", L"child 65"});
    }
    SUBCASE("key code 0 swallows the key")
    {
        form.swallowKey = 'A';
        press(child.get(), WM_KEYDOWN, 'A');
        CHECK(KeyLog() == std::vector<std::wstring>{L"form 65 0"});
    }
    SUBCASE("without key preview the form does not see it")
    {
        form.KeyPreview(false);
        press(child.get(), WM_KEYDOWN, 'A');
        CHECK(KeyLog() == std::vector<std::wstring>{L"child 65"});
    }
    SUBCASE("Alt+F4 in a child still closes the form")
    {
        HeldKeys held{VK_MENU};
        press(child.get(), WM_SYSKEYDOWN, VK_F4);
        CHECK(KeyLog() == std::vector<std::wstring>{L"form 115 4", L"child 115"});
        CHECK_FALSE(form.IsLoaded());
        CHECK(form.queryModes == std::vector<int>{vbFormControlMenu});
    }
    SUBCASE("Alt+F4 on the form itself closes it; swallowed, it does not")
    {
        form.swallowKey = VK_F4;
        press(form.hWnd(), WM_SYSKEYDOWN, VK_F4);
        CHECK(form.IsLoaded());
        form.swallowKey = -1;
        press(form.hWnd(), WM_SYSKEYDOWN, VK_F4);
        CHECK_FALSE(form.IsLoaded());
    }
}

TEST_CASE("Form::QueryUnloadSeesWhyTheFormCloses")
{
    EventForm form;
    form.Show();
    form.cancelQuery = 1;
    // The close box and Alt+F4 arrive as SC_CLOSE.
    ::SendMessageW(form.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(form.Unload() == false);
    // A cancelled shutdown keeps the form and tells Windows so.
    CHECK(::SendMessageW(form.hWnd(), WM_QUERYENDSESSION, 0, 0) == FALSE);
    CHECK(form.queryModes == std::vector<int>{vbFormControlMenu, vbFormCode, vbAppWindows});
    CHECK(form.IsLoaded());

    form.cancelQuery = 0;
    CHECK(::SendMessageW(form.hWnd(), WM_QUERYENDSESSION, 0, 0) == TRUE);
    CHECK(form.IsLoaded());
    ::SendMessageW(form.hWnd(), WM_ENDSESSION, TRUE, 0);
    CHECK_FALSE(form.IsLoaded());
    CHECK(form.queryModes.back() == vbAppWindows);
}

TEST_CASE("Form::CloseOfTheProgramWindowUnloadsEveryForm")
{
    EventForm first, second;
    first.Show();
    second.Show();
    HWND program = Application::ProgramWindow();
    // The last form loaded is asked first; its refusal keeps every form.
    second.cancelQuery = 1;
    ::SendMessageW(program, WM_CLOSE, 0, 0);
    CHECK(second.queryModes == std::vector<int>{vbAppTaskManager});
    CHECK(first.queryModes.empty());
    CHECK(first.IsLoaded());

    second.cancelQuery = 0;
    ::SendMessageW(program, WM_CLOSE, 0, 0);
    CHECK_FALSE(second.IsLoaded());
    CHECK_FALSE(first.IsLoaded());
    CHECK(first.queryModes == std::vector<int>{vbAppTaskManager});
    CHECK(first.unloads == 1);
    CHECK(::IsWindow(program));
}

namespace {

// Hides itself (or unloads) from a timer once it is shown modally, noting what it saw.
class ModalForm : public Form {
public:
    explicit ModalForm(Form& owner) : Form(L"frmModal"), owner_(owner)
    {
        tmrClose.Interval(30);
        tmrClose.OnTimer = [this] {
            tmrClose.Enabled(false);
            ownerEnabled = ::IsWindowEnabled(owner_.hWnd()) != FALSE;
            ownerOfWindow = ::GetWindow(hWnd(), GW_OWNER);
            if (unloadInstead)
                Unload();
            else
                Hide();
        };
    }
    ~ModalForm() override { Unload(); }

    Timer tmrClose{*this, L"tmrClose"};
    bool unloadInstead = false;
    bool ownerEnabled = true;
    HWND ownerOfWindow = nullptr;

private:
    Form& owner_;
};

} // namespace

TEST_CASE("Form::ModalShowRunsUntilTheFormHides")
{
    Form owner(L"frmOwner");
    owner.Show();
    ModalForm modal(owner);
    SUBCASE("hidden")
    {
        modal.Show(vbModal, &owner);
        CHECK(modal.IsLoaded());
        CHECK_FALSE(modal.Visible());
    }
    SUBCASE("unloaded")
    {
        modal.unloadInstead = true;
        modal.Show(vbModal, &owner);
        CHECK_FALSE(modal.IsLoaded());
    }
    CHECK_FALSE(modal.ownerEnabled);
    CHECK(modal.ownerOfWindow == owner.hWnd());
    CHECK(::IsWindowEnabled(owner.hWnd()));
    CHECK_FALSE(modal.IsModal());

    // A form already shown modeless cannot turn modal.
    modal.Show();
    CHECK(ErrorNumberOf([&] { modal.Show(vbModal); }) == 400);
    CHECK(ErrorNumberOf([&] { modal.Show(7); }) == 5);
    owner.Unload();
}

TEST_CASE("Form::FractionalTwipsReadBack")
{
    Form form(L"frmPlaced");
    form.Left(1234.5);
    form.Top(-200.25);
    CHECK(form.Left() == 1234.5);
    CHECK(form.Top() == -200.25);
    // Moved by someone else, the window's pixels count again.
    ::SetWindowPos(form.hWnd(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(form.Left() == 450);
    CHECK(form.Top() == 600);
    form.Unload();
}

TEST_CASE("Form::IconNone")
{
    Form form(L"frmNoIcon");
    form.Icon(support::UniqueIcon(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION))));
    form.Show();
    CHECK(::SendMessageW(form.hWnd(), WM_GETICON, ICON_SMALL, 0) != 0);
    form.Icon(support::UniqueIcon());
    CHECK(::SendMessageW(form.hWnd(), WM_GETICON, ICON_SMALL, 0) == 0);
    CHECK(::SendMessageW(form.hWnd(), WM_GETICON, ICON_BIG, 0) == 0);
    form.Unload();
}
