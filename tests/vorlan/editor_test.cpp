// The additional paths editor, opened with Shift+A on the main window and
// driven with the system's keyboard input while its modal loop runs.

#include <doctest.h>

#include <functional>

#include "fake_drives.h"
#include "main_window.h"
#include "vorlan/frmAdditionalPathsEditor.h"

using namespace vorlan_test;
using vorlan::frmAdditionalPathsEditor;

namespace {

constexpr double GB = 1024.0 * 1024 * 1024;
constexpr UINT kTick = 200;
constexpr int kMaxTicks = 40;

frmAdditionalPathsEditor* LoadedEditor()
{
    for (toolkit::Form* form : toolkit::Application::Forms())
        if (auto* editor = dynamic_cast<frmAdditionalPathsEditor*>(form)) return editor;
    return nullptr;
}

// Types characters as such, whatever the keyboard layout.
void SendText(std::wstring_view text)
{
    std::vector<INPUT> inputs;
    for (wchar_t c : text)
        for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(input);
        }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Runs one step per tick of a thread timer while the editor is shown, so each
// step finds the input of the one before handled. After kMaxTicks it closes
// whatever editor is open, so no test waits for ever.
class EditorScript {
public:
    using Step = std::function<void(frmAdditionalPathsEditor&)>;

    explicit EditorScript(std::vector<Step> steps) : steps_(std::move(steps))
    {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, kTick, &EditorScript::Tick);
    }
    ~EditorScript()
    {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    EditorScript(const EditorScript&) = delete;
    EditorScript& operator=(const EditorScript&) = delete;

    bool Finished() const { return next_ == steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        EditorScript* self = current_;
        if (!self) return;
        frmAdditionalPathsEditor* editor = LoadedEditor();
        if (++self->ticks_ > kMaxTicks) {
            self->timedOut_ = true;
            if (editor && editor->Visible()) editor->Hide();
            return;
        }
        if (!editor || !editor->Visible() || self->Finished()) return;
        self->steps_[self->next_++](*editor);
    }

    static inline EditorScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool timedOut_ = false;
    UINT_PTR timer_ = 0;
};

// An active main window showing drive C: and the given paths; drive E: comes
// later, so only a refresh shows it.
struct EditorFixture {
    explicit EditorFixture(std::vector<std::wstring> paths) : main(Drives(drives))
    {
        auto access = main.access();
        access.ShowAdditionalPaths() = true;
        access.AdditionalPaths() = std::move(paths);
        main.form.RefreshBars();
        ::SetForegroundWindow(main.form.hWnd());
        ::SetFocus(main.form.hWnd());
        PumpMessages();
        drives.Add('E', DRIVE_FIXED, 100 * GB, 40 * GB);
    }

    // Shift+A on the main window with the script driving the editor; the editor is gone after.
    void Edit(std::vector<EditorScript::Step> steps)
    {
        EditorScript script(std::move(steps));
        Press('A', {VK_SHIFT});
        CHECK(script.Finished());
        CHECK_FALSE(script.TimedOut());
        CHECK(LoadedEditor() == nullptr);
    }
    bool Refreshed()
    {
        for (auto& [index, label] : main.form.lblDiskInfo)
            if (label->Visible() && label->Caption().find(L"Диск E:") != std::wstring::npos) return true;
        return false;
    }
    std::vector<std::wstring>& Paths() { return main.access().AdditionalPaths(); }

    static FakeDrives& Drives(FakeDrives& drives)
    {
        drives.Add('C', DRIVE_FIXED, 100 * GB, 40 * GB);
        drives.paths[L"C:\\Data"] = {100 * GB, 40 * GB};
        drives.paths[L"D:\\Files"] = {100 * GB, 40 * GB};
        return drives;
    }

    FakeDrives drives;
    MainWindow main;
};

void ClickOk(frmAdditionalPathsEditor& editor)
{
    ::SendMessageW(editor.cmdOk.hWnd(), BM_CLICK, 0, 0);
}

} // namespace

TEST_CASE("Editor::OpensAsDesignedAndOkTakesAnEmptyList")
{
    EditorFixture fixture({});
    HWND textBox = nullptr;
    fixture.Edit({
        [&](frmAdditionalPathsEditor& editor) {
            textBox = editor.txtAdditionalPaths.hWnd();
            CHECK(editor.txtAdditionalPaths.Text().empty());
            CHECK(editor.Caption() == L"Дополнительные пути");
            CHECK(editor.cmdOk.Caption() == L"Ok");
            CHECK(editor.cmdCancel.Caption() == L"Отмена");
            RECT client{};
            ::GetClientRect(editor.hWnd(), &client);
            CHECK(client.right == 6015 / 15);
            CHECK(client.bottom == 3795 / 15);
            CHECK((::GetWindowLongW(editor.hWnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0);
            CHECK((::GetWindowLongW(editor.hWnd(), GWL_STYLE) & WS_THICKFRAME) == 0);
            CHECK(::SendMessageW(editor.hWnd(), WM_GETICON, ICON_SMALL, 0) == 0);
            CHECK(::SendMessageW(editor.hWnd(), WM_GETICON, ICON_BIG, 0) == 0);
            CHECK(::GetWindow(editor.hWnd(), GW_OWNER) == fixture.main.form.hWnd());
            CHECK_FALSE(::IsWindowEnabled(fixture.main.form.hWnd()));
            CHECK(::GetFocus() == textBox);
            // Below the text box and left of the buttons lies the painted background.
            support::WindowDC dc(editor.hWnd());
            CHECK(::GetPixel(dc.get(), 100, 240) == ::GetSysColor(COLOR_DESKTOP));
            SendKey(VK_TAB);
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(::GetFocus() == editor.cmdOk.hWnd());
            SendKey(VK_TAB);
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(::GetFocus() == editor.cmdCancel.hWnd());
            SendKey(VK_TAB);
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(::GetFocus() == textBox);
            ClickOk(editor);
        },
    });
    CHECK(fixture.Paths().empty());
    CHECK(fixture.Refreshed());
    CHECK(::IsWindowEnabled(fixture.main.form.hWnd()));
}

TEST_CASE("Editor::EveryOtherWayOutCancels")
{
    EditorFixture fixture({L"C:\\Data"});
    std::function<void(frmAdditionalPathsEditor&)> leave;
    SUBCASE("close box")
    {
        leave = [](auto& editor) { ::PostMessageW(editor.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0); };
    }
    SUBCASE("Alt+F4")
    {
        leave = [](auto&) { SendKey(VK_F4, {VK_MENU}); };
    }
    SUBCASE("Esc")
    {
        leave = [](auto&) { SendKey(VK_ESCAPE); };
    }
    SUBCASE("Cancel button")
    {
        leave = [](auto& editor) { ::SendMessageW(editor.cmdCancel.hWnd(), BM_CLICK, 0, 0); };
    }

    fixture.Edit({
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(editor.txtAdditionalPaths.Text() == L"C:\\Data");
            editor.txtAdditionalPaths.SelStart(7);
            SendKey(VK_RETURN);
            SendText(L"D:\\Files");
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(editor.txtAdditionalPaths.Text() == L"C:\\Data\r\nD:\\Files");
            leave(editor);
        },
    });
    CHECK(fixture.Paths() == std::vector<std::wstring>{L"C:\\Data"});
    CHECK_FALSE(fixture.Refreshed());
}

TEST_CASE("Editor::CtrlASelectsAllAndTypesNothing")
{
    EditorFixture fixture({L"C:\\Data", L"D:\\Files"});
    const std::wstring text = L"C:\\Data\r\nD:\\Files";
    // The characters that reach the text box after the editor's own handling.
    std::wstring passed;
    fixture.Edit({
        [&](frmAdditionalPathsEditor& editor) {
            editor.txtAdditionalPaths.KeyPress = [inner = editor.txtAdditionalPaths.KeyPress,
                                                  &passed](int& key) {
                inner(key);
                if (key != 0) passed += static_cast<wchar_t>(key);
            };
            editor.txtAdditionalPaths.SelStart(2);
            SendKey('A', {VK_CONTROL});
        },
        [&](frmAdditionalPathsEditor& editor) {
            // Ctrl+A types character 1, which some edit controls show as a box.
            CHECK(passed.empty());
            CHECK(editor.txtAdditionalPaths.Text() == text);
            CHECK(editor.txtAdditionalPaths.SelStart() == 0);
            CHECK(editor.txtAdditionalPaths.SelLength() == static_cast<long>(text.size()));
            // The next character typed is not swallowed: it replaces the selection.
            SendText(L"E:\\New");
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(passed == L"E:\\New");
            CHECK(editor.txtAdditionalPaths.Text() == L"E:\\New");
            ClickOk(editor);
        },
    });
    CHECK(fixture.Paths() == std::vector<std::wstring>{L"E:\\New"});
}

TEST_CASE("Editor::EnterAddsALineAndCtrlEnterIsOk")
{
    EditorFixture fixture({L"C:\\Data"});
    fixture.Edit({
        [&](frmAdditionalPathsEditor& editor) {
            editor.txtAdditionalPaths.SelStart(7);
            SendKey(VK_RETURN);
        },
        [&](frmAdditionalPathsEditor& editor) {
            CHECK(editor.Visible());
            CHECK(editor.txtAdditionalPaths.Text() == L"C:\\Data\r\n");
            SendText(L"D:\\Files");
        },
        [&](frmAdditionalPathsEditor& editor) {
            // With the caret inside the first line: its line must not be split.
            editor.txtAdditionalPaths.SelStart(3);
            SendKey(VK_RETURN, {VK_CONTROL});
        },
    });
    CHECK(fixture.Paths() == std::vector<std::wstring>{L"C:\\Data", L"D:\\Files"});
    CHECK(fixture.Refreshed());
}
