#include <doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "input.h"
#include "server.h"
#include "support/handles.h"
#include "toolkit/command_button.h"
#include "toolkit/form.h"
#include "toolkit/text_box.h"

using namespace verrick_test;

namespace {

constexpr HRESULT kInvalidProcedureCall = MAKE_HRESULT(1, FACILITY_CONTROL, 5);
constexpr HRESULT kTypeMismatch = MAKE_HRESULT(1, FACILITY_CONTROL, 13);

void Pump(DWORD milliseconds = 150)
{
    DWORD start = ::GetTickCount();
    MSG message;
    do {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

// Moves the focus to a window and lets its focus messages through.
void Focus(HWND window)
{
    ::SetFocus(window);
    Pump(50);
}

// Presses the keys in order and lets them go in reverse, through the real input queue.
void Press(std::initializer_list<WORD> keys)
{
    test_input::SendKeys(keys);
    Pump();
}

std::wstring Clipboard()
{
    std::wstring text;
    support::OpenedClipboard clipboard;
    if (!clipboard.IsOpen()) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        support::GlobalLock<wchar_t> lock(data);
        if (lock) text = lock.get();
    }
    return text;
}

void SetClipboard(const std::wstring& text)
{
    support::OpenedClipboard clipboard;
    REQUIRE(clipboard.IsOpen());
    ::EmptyClipboard();
    support::UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    {
        support::GlobalLock<wchar_t> lock(memory.get());
        std::copy(text.c_str(), text.c_str() + text.size() + 1, lock.get());
    }
    if (::SetClipboardData(CF_UNICODETEXT, memory.get())) memory.release();
}

// A form with two edit boxes; each is a client's text box: its window and a
// stand-in automation object that answers hWnd and Locked and is typed TextBox.
struct Form {
    support::UniqueWindow window{::CreateWindowExW(0, L"STATIC", L"Form", WS_POPUP | WS_VISIBLE, 10, 10, 300,
                                                   100, nullptr, nullptr, nullptr, nullptr)};
    HWND edits[2] = {};
    ComPtr<FakeControl> boxes[2];
    // WM_KEYDOWN of the Insert key that reached the edit boxes' own procedure.
    int inserts[2] = {};

    Form()
    {
        for (int i = 0; i < 2; ++i) {
            edits[i] = ::CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE, 5, 5 + 40 * i, 200, 30,
                                         window.get(), nullptr, nullptr, nullptr);
            ::SetWindowSubclass(edits[i], CountInserts, 1, reinterpret_cast<DWORD_PTR>(&inserts[i]));
            boxes[i] = FakeControl::Make(L"TextBox");
            boxes[i]->Property(L"hWnd") =
                Variant::Long(static_cast<LONG>(reinterpret_cast<LONG_PTR>(edits[i])));
        }
        ::SetForegroundWindow(window.get());
        Pump();
    }
    void Lock(int i, bool locked)
    {
        ::SendMessageW(edits[i], EM_SETREADONLY, locked, 0);
        boxes[i]->Property(L"Locked") = Variant::Bool(locked);
    }
    std::wstring Text(int i) const
    {
        wchar_t text[100] = {};
        ::GetWindowTextW(edits[i], text, 100);
        return text;
    }
    static LRESULT CALLBACK CountInserts(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR count)
    {
        if (message == WM_KEYDOWN && wParam == VK_INSERT) ++*reinterpret_cast<int*>(count);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
};

// Shift+Insert into a box: the caret at the end, nothing selected.
void PasteKeys(Form& form, int i, std::initializer_list<WORD> keys)
{
    ::SetFocus(form.edits[i]);
    ::SendMessageW(form.edits[i], EM_SETSEL, 4, 4);
    Press(keys);
}

} // namespace

TEST_CASE("TextBoxInsertHook::ShiftInsertIsSwallowedOnlyInALockedBox")
{
    Com com;
    Form form;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    SetClipboard(L"clip");
    form.Lock(0, true);
    form.Lock(1, false);

    // Without a hook the locked box still gets the key.
    PasteKeys(form, 0, {VK_SHIFT, VK_INSERT});
    REQUIRE(form.inserts[0] == 1);

    VARIANT_BOOL added = VARIANT_FALSE;
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[0].get(), &added) == S_OK);
    CHECK(added == VARIANT_TRUE);
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[0].get(), &added) == S_OK);
    CHECK(added == VARIANT_FALSE);
    Outcome late =
        CallByName(tlv.get(), L"AddTextBoxInsertHook", {Variant::Object(form.boxes[1].get()).release()});
    CHECK(late.hr == S_OK);
    CHECK(late.result.get()->boolVal == VARIANT_TRUE);

    PasteKeys(form, 0, {VK_SHIFT, VK_INSERT});
    CHECK(form.inserts[0] == 1);
    CHECK(form.Text(0) == L"text");

    // Ctrl+Shift+Insert is not Shift alone; Ctrl+Insert still copies.
    PasteKeys(form, 0, {VK_CONTROL, VK_SHIFT, VK_INSERT});
    CHECK(form.inserts[0] == 2);
    ::SendMessageW(form.edits[0], EM_SETSEL, 0, 2);
    Press({VK_CONTROL, VK_INSERT});
    CHECK(form.inserts[0] == 3);
    CHECK(Clipboard() == L"te");

    // The unlocked box pastes.
    PasteKeys(form, 1, {VK_SHIFT, VK_INSERT});
    CHECK(form.Text(1) == L"textte");
    CHECK(form.inserts[1] == 1);

    // Removed: the locked box gets the key again.
    VARIANT_BOOL removed = VARIANT_FALSE;
    REQUIRE(tlv->RemoveTextBoxInsertHook(form.boxes[0].get(), &removed) == S_OK);
    CHECK(removed == VARIANT_TRUE);
    REQUIRE(tlv->RemoveTextBoxInsertHook(form.boxes[0].get(), &removed) == S_OK);
    CHECK(removed == VARIANT_FALSE);
    PasteKeys(form, 0, {VK_SHIFT, VK_INSERT});
    CHECK(form.inserts[0] == 4);
}

TEST_CASE("TextBoxInsertHook::OnlyTextBoxesAndEveryReferenceGivenBack")
{
    Com com;
    Form form;
    auto tlv = CreateMain();
    REQUIRE(tlv);
    VARIANT_BOOL result = VARIANT_TRUE;
    auto label = FakeControl::Make(L"Label");
    CHECK(tlv->AddTextBoxInsertHook(label.get(), &result) == kInvalidProcedureCall);
    CHECK(tlv->AddTextBoxInsertHook(nullptr, &result) == kInvalidProcedureCall);
    CHECK(tlv->RemoveTextBoxInsertHook(label.get(), &result) == kInvalidProcedureCall);
    Outcome late =
        CallByName(tlv.get(), L"RemoveTextBoxInsertHook", {Variant::Object(label.get()).release()});
    CHECK(late.scode == kInvalidProcedureCall);
    // A text box whose window is gone (or never was) cannot be hooked.
    auto orphan = FakeControl::Make(L"TextBox");
    orphan->Property(L"hWnd") = Variant::Long(0);
    CHECK(tlv->AddTextBoxInsertHook(orphan.get(), &result) == kInvalidProcedureCall);

    auto references = [](FakeControl* box) {
        box->AddRef();
        return box->Release();
    };
    const ULONG before = references(form.boxes[0].get());
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[0].get(), &result) == S_OK);
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[1].get(), &result) == S_OK);
    CHECK(references(form.boxes[0].get()) == before + 1);
    REQUIRE(tlv->ClearTextBoxInsertHooks() == S_OK);
    CHECK(references(form.boxes[0].get()) == before);
    REQUIRE(tlv->RemoveTextBoxInsertHook(form.boxes[1].get(), &result) == S_OK);
    CHECK(result == VARIANT_FALSE);

    // A hooked window may go first; the object ending later lets go of the rest.
    form.Lock(0, true);
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[0].get(), &result) == S_OK);
    REQUIRE(tlv->AddTextBoxInsertHook(form.boxes[1].get(), &result) == S_OK);
    ::DestroyWindow(form.edits[1]);
    tlv.reset();
    CHECK(references(form.boxes[0].get()) == before);
    CHECK(references(form.boxes[1].get()) == before);
    PasteKeys(form, 0, {VK_SHIFT, VK_INSERT});
    CHECK(form.inserts[0] == 1);
}

TEST_CASE("TextBoxDefButtonWatcher::FocusMovesTheDefaultButton")
{
    Com com;
    Form form;
    auto watcher = Create<_tlvTextBoxDefButtonWatcher>(CLSID_tlvTextBoxDefButtonWatcher);
    REQUIRE(watcher);
    auto global = FakeControl::Make(L"CommandButton");
    auto local = FakeControl::Make(L"CommandButton");
    auto wrong = FakeControl::Make(L"Label");

    REQUIRE(watcher->Init(global.get(), local.get(), form.boxes[0].get()) == S_OK);
    Focus(form.edits[0]);
    CHECK(local->Log() == std::vector<std::wstring>{L"default=True"});
    CHECK(global->Log().empty());
    Focus(form.edits[1]);
    CHECK(local->Log() == std::vector<std::wstring>{L"default=True", L"default=False"});
    CHECK(global->Log() == std::vector<std::wstring>{L"default=True"});

    // Wrong objects are refused and change nothing.
    CHECK(watcher->Init(wrong.get(), nullptr, form.boxes[1].get()) == kTypeMismatch);
    CHECK(watcher->Init(global.get(), wrong.get(), form.boxes[1].get()) == kTypeMismatch);
    Outcome late = CallByName(watcher.get(), L"Init",
                              {Variant::Object(global.get()).release(), Variant::Object(nullptr).release(),
                               Variant::Object(wrong.get()).release()});
    CHECK(late.scode == kTypeMismatch);
    Focus(form.edits[0]);
    CHECK(local->Log().size() == 3);

    // Re-targeted with no local button: focus in changes nothing, focus out
    // makes the global button the default; the first box is let go.
    auto globalOnly = FakeControl::Make(L"CommandButton");
    REQUIRE(watcher->Init(globalOnly.get(), nullptr, form.boxes[1].get()) == S_OK);
    Focus(form.edits[1]);
    CHECK(globalOnly->Log().empty());
    Focus(form.edits[0]);
    CHECK(globalOnly->Log() == std::vector<std::wstring>{L"default=True"});
    CHECK(local->Log().size() == 3);

    // Ending the watcher stops it.
    watcher.reset();
    Focus(form.edits[1]);
    CHECK(globalOnly->Log().size() == 1);
}

// A handler that fails has nobody to report to: it must not leave its error
// info on the thread for a later, unrelated failure to be reported with.
TEST_CASE("TextBoxDefButtonWatcher::AFailingHandlerLeavesNoErrorInfo")
{
    Com com;
    Form form;
    auto watcher = Create<_tlvTextBoxDefButtonWatcher>(CLSID_tlvTextBoxDefButtonWatcher);
    REQUIRE(watcher);
    auto global = FakeControl::Make(L"CommandButton");
    auto local = FakeControl::Make(L"CommandButton");
    local->Refuse(L"Default");
    Focus(form.edits[1]);
    REQUIRE(watcher->Init(global.get(), local.get(), form.boxes[0].get()) == S_OK);

    ::SetErrorInfo(0, nullptr);
    Focus(form.edits[0]);
    REQUIRE(::GetFocus() == form.edits[0]);
    CHECK(local->Log().empty());
    ComPtr<IErrorInfo> left;
    CHECK(::GetErrorInfo(0, left.put()) == S_FALSE);
    CHECK_FALSE(left);

    // Leaving the box fails the same way, as quietly.
    Focus(form.edits[1]);
    REQUIRE(::GetFocus() == form.edits[1]);
    CHECK(::GetErrorInfo(0, left.put()) == S_FALSE);
}

namespace {

// A toolkit form with a text box and two buttons, as a client program has them.
struct ToolkitForm : toolkit::Form {
    ToolkitForm() : Form(L"frmHooks")
    {
        ClientSize(4000, 2000);
        txtFirst.Move(60, 60, 2000, 315);
        txtSecond.Move(60, 480, 2000, 315);
        cmdGlobal.Move(2200, 60, 1200, 375);
        cmdLocal.Move(2200, 480, 1200, 375);
        txtFirst.Text(L"text");
    }
    toolkit::TextBox txtFirst{*this, L"txtFirst"};
    toolkit::TextBox txtSecond{*this, L"txtSecond"};
    toolkit::CommandButton cmdGlobal{*this, L"cmdGlobal"};
    toolkit::CommandButton cmdLocal{*this, L"cmdLocal"};
};

} // namespace

TEST_CASE("TextBoxHelpers::WorkOnTheToolkitsOwnControls")
{
    Com com;
    ToolkitForm form;
    form.Show();
    Pump(50);
    auto tlv = CreateMain();
    REQUIRE(tlv);

    SUBCASE("the insert hook")
    {
        SetClipboard(L"clip");
        form.txtFirst.Locked(true);
        VARIANT_BOOL added = VARIANT_FALSE;
        REQUIRE(tlv->AddTextBoxInsertHook(form.txtFirst.Dispatch().get(), &added) == S_OK);
        CHECK(added == VARIANT_TRUE);
        ::SetFocus(form.txtFirst.hWnd());
        ::SendMessageW(form.txtFirst.hWnd(), EM_SETSEL, 4, 4);
        Press({VK_SHIFT, VK_INSERT});
        CHECK(form.txtFirst.Text() == L"text");
        // Unlocked, the same box pastes through the same hook.
        form.txtFirst.Locked(false);
        Press({VK_SHIFT, VK_INSERT});
        CHECK(form.txtFirst.Text() == L"textclip");
        REQUIRE(tlv->ClearTextBoxInsertHooks() == S_OK);
    }
    SUBCASE("the default-button watcher")
    {
        auto watcher = Create<_tlvTextBoxDefButtonWatcher>(CLSID_tlvTextBoxDefButtonWatcher);
        REQUIRE(watcher);
        // The form gives its first text box the focus; the watcher reacts to focus changes.
        Focus(form.txtSecond.hWnd());
        REQUIRE(watcher->Init(form.cmdGlobal.Dispatch().get(), form.cmdLocal.Dispatch().get(),
                              form.txtFirst.Dispatch().get()) == S_OK);
        Focus(form.txtFirst.hWnd());
        CHECK(form.cmdLocal.Default());
        CHECK_FALSE(form.cmdGlobal.Default());
        Focus(form.txtSecond.hWnd());
        CHECK(form.cmdGlobal.Default());
        CHECK_FALSE(form.cmdLocal.Default());
    }
    form.Unload();
}
