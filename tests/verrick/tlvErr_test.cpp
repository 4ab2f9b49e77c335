#include <doctest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "input.h"
#include "leak_probe.h"
#include "server.h"
#include "support/as.h"
#include "support/test_helpers.h"
#include "wait_scale.h"

using namespace verrick_test;

namespace {

ComPtr<_tlvErr> CreateErr()
{
    return Create<_tlvErr>(CLSID_tlvErr);
}

std::wstring Text(BSTR text)
{
    Bstr owner = Bstr::Attach(text);
    return std::wstring(owner.view());
}

ComPtr<FakeControl> ErrorObject(long number, const wchar_t* description, const wchar_t* source = L"",
                                const wchar_t* helpFile = L"", long helpContext = 0)
{
    auto error = FakeControl::Make(L"ErrObject");
    error->Property(L"Number") = Variant::Long(number);
    error->Property(L"Description") = Variant::Text(description);
    error->Property(L"Source") = Variant::Text(source);
    error->Property(L"HelpFile") = Variant::Text(helpFile);
    error->Property(L"HelpContext") = Variant::Long(helpContext);
    return error;
}

std::wstring LongText(_tlvErr* err, FakeControl* error)
{
    IDispatch* object = error;
    BSTR text = nullptr;
    REQUIRE(err->GetErrorMessage(&object, &text) == S_OK);
    return Text(text);
}

std::wstring ShortText(_tlvErr* err, FakeControl* error)
{
    IDispatch* object = error;
    BSTR text = nullptr;
    REQUIRE(err->GetShortErrorMessage(&object, &text) == S_OK);
    return Text(text);
}

// A system message box that showed while a display function ran: its texts and whether it had Help.
struct SeenBox {
    bool shown = false;
    bool help = false;
    std::wstring text;
    HWND window = nullptr;
};
SeenBox g_box;

BOOL CALLBACK CollectText(HWND child, LPARAM)
{
    wchar_t className[32] = {}, text[2048] = {};
    ::GetClassNameW(child, className, 32);
    ::GetWindowTextW(child, text, 2048);
    if (_wcsicmp(className, L"Static") == 0 && wcslen(text) > g_box.text.size()) g_box.text = text;
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM)
{
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (wcscmp(className, L"#32770") != 0 || !::IsWindowVisible(window)) return TRUE;
    g_box.shown = true;
    g_box.window = window;
    g_box.help = ::GetDlgItem(window, IDHELP) != nullptr;
    ::EnumChildWindows(window, CollectText, 0);
    return FALSE;
}

void CALLBACK CloseBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, 0);
    if (!g_box.shown) return;
    ::PostMessageW(g_box.window, WM_COMMAND, IDOK, 0);
    ::KillTimer(nullptr, timer);
}

// Runs a display call with a watcher that notes and closes any box it shows.
template <typename Call> SeenBox Watching(Call&& call, TIMERPROC watcher = CloseBox)
{
    g_box = SeenBox{};
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, watcher);
    call();
    ::KillTimer(nullptr, timer);
    return g_box;
}

// A stand-in for the help viewer: Wine's WinHelp finds the window of class
// MS_WINHELP and hands it the request as WM_COPYDATA tagged 0xA1DE505, in a
// block of size, command, data, a reserved field and the offsets of the file
// name (ANSI) and of extra data.
struct HelpRequest {
    int count = 0;
    WORD command = 0;
    LONG data = 0;
    std::string file;
};
HelpRequest g_help;
int g_helpTicks = 0;

LRESULT CALLBACK HelpViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    constexpr ULONG_PTR kWineHelpTag = 0xA1DE505;
    constexpr DWORD kHeaderSize = 16;
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (message != WM_COPYDATA || copy->dwData != kWineHelpTag || copy->cbData < kHeaderSize)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const auto* block = static_cast<const char*>(copy->lpData);
    WORD fileOffset = 0;
    std::memcpy(&g_help.command, block + 2, sizeof g_help.command);
    std::memcpy(&g_help.data, block + 4, sizeof g_help.data);
    std::memcpy(&fileOffset, block + 12, sizeof fileOffset);
    if (fileOffset >= kHeaderSize && fileOffset < copy->cbData)
        g_help.file.assign(block + fileOffset, strnlen(block + fileOffset, copy->cbData - fileOffset));
    ++g_help.count;
    return TRUE;
}

support::UniqueWindow MakeHelpViewer()
{
    static const ATOM registered = [] {
        WNDCLASSW type{};
        type.lpfnWndProc = HelpViewerProc;
        type.hInstance = ::GetModuleHandleW(nullptr);
        type.lpszClassName = L"MS_WINHELP";
        return ::RegisterClassW(&type);
    }();
    REQUIRE(registered != 0);
    return support::UniqueWindow(::CreateWindowExW(0, L"MS_WINHELP", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                                   nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

// Presses F1 in the box once it shows (the request for help, as the Help
// button's), then closes it once the viewer heard or after two seconds.
void CALLBACK AskForHelp(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (!g_box.shown) {
        ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, 0);
        if (g_box.shown) test_input::SendKeys({VK_F1});
        g_helpTicks = 0;
        return;
    }
    if (g_help.count == 0 && ++g_helpTicks < 40) return;
    ::PostMessageW(g_box.window, WM_COMMAND, IDOK, 0);
    ::KillTimer(nullptr, timer);
}

bool UnderRussianUser()
{
    const char* locale = std::getenv("LC_ALL");
    return locale && std::string(locale).rfind("ru_RU", 0) == 0;
}

} // namespace

TEST_CASE("tlvErr::RunTimeTexts")
{
    Com com;
    auto err = CreateErr();
    REQUIRE(err);

    SUBCASE("number and a two-line description; the trailing line breaks go")
    {
        auto error = ErrorObject(5, L"two\r\nwords");
        CHECK(LongText(err.get(), error.get()) == L"Error number: 5\r\nDescription:  two words");
        CHECK(ShortText(err.get(), error.get()) == L"Error 5: two words");
    }
    SUBCASE("every field, labels lined up")
    {
        auto error = ErrorObject(-2147024891, L"Denied", L"App.Module", L"C:\\app.hlp", 1200);
        CHECK(LongText(err.get(), error.get()) ==
              L"Error number: -2147024891 (0x80070005)\r\nDescription:  Denied\r\n\r\n"
              L"Source:       App.Module\r\nHelp file:    C:\\app.hlp\r\nHelp context: 1200");
    }
    SUBCASE("an empty record is an unknown error, long and short")
    {
        auto error = ErrorObject(0, L"");
        CHECK(LongText(err.get(), error.get()) == L"Unknown run-time error.");
        CHECK(ShortText(err.get(), error.get()) == L"Unknown run-time error.");
        CHECK(ShortText(err.get(), ErrorObject(7, L"").get()) == L"Error 7: Unknown run-time error.");
    }
    SUBCASE("no error object is error 424, and no text comes back")
    {
        IDispatch* nothing = nullptr;
        // What the caller's variable held before: a failed call must not hand it back.
        Bstr stale(L"stale");
        BSTR text = stale.get();
        CHECK(err->GetErrorMessage(&nothing, &text) == MAKE_HRESULT(1, FACILITY_CONTROL, 424));
        CHECK(text == nullptr);
        text = stale.get();
        CHECK(err->GetShortErrorMessage(&nothing, &text) == MAKE_HRESULT(1, FACILITY_CONTROL, 424));
        CHECK(text == nullptr);
    }
}

TEST_CASE("tlvErr::CodeTexts")
{
    Com com;
    auto err = CreateErr();
    REQUIRE(err);
    auto api = [&](long code, bool shortForm) {
        BSTR text = nullptr;
        CHECK((shortForm ? err->GetShortErrorMessageAPI(code, &text)
                         : err->GetErrorMessageAPI(code, &text)) == S_OK);
        return Text(text);
    };

    SUBCASE("Win32 codes")
    {
        CHECK(api(0, false) == L"Unknown Win32 API error.");
        CHECK(api(0, true) == L"Unknown Win32 API error.");
        const std::wstring denied = support_test::SystemErrorText(ERROR_ACCESS_DENIED);
        REQUIRE_FALSE(denied.empty());
        CHECK(api(5, false) == L"Win32 API error: 5\r\nDescription: " + denied);
        CHECK(api(5, true) == L"Win32 API error 5: " + denied);
        CHECK(api(0x7654321, false) == L"Win32 API error: 124076833 (0x07654321)");
        CHECK(api(0x7654321, true) == L"Win32 API error 124076833 (0x07654321): Unknown Win32 API error.");
    }
    SUBCASE("a system text with inserts keeps them as they are")
    {
        // ERROR_BAD_EXE_FORMAT: "%1 is not a valid Win32 application."
        const std::wstring text = api(193, false);
        CHECK(text.find(L"%1") != std::wstring::npos);
    }
    SUBCASE("WinMM codes")
    {
        BSTR text = nullptr;
        REQUIRE(err->GetErrorMessageWinMM(0, &text) == S_OK);
        CHECK(Text(text) == L"Unknown WinMM.DLL error.");
        const std::wstring badDevice = support_test::WaveOutErrorText(MMSYSERR_BADDEVICEID);
        REQUIRE_FALSE(badDevice.empty());
        REQUIRE(err->GetErrorMessageWinMM(2, &text) == S_OK);
        CHECK(Text(text) == L"WinMM.DLL error: 2\r\nDescription: " + badDevice);
        REQUIRE(err->GetShortErrorMessageWinMM(9999, &text) == S_OK);
        CHECK(Text(text) == L"WinMM.DLL error 9999: Unknown WinMM.DLL error.");
    }
    SUBCASE("module codes")
    {
        auto module = [&](long code, const wchar_t* name, bool shortForm) {
            Bstr moduleName(name);
            BSTR text = nullptr;
            CHECK((shortForm ? err->GetShortErrorMessageModule(code, moduleName.get(), &text)
                             : err->GetErrorMessageModule(code, moduleName.get(), &text)) == S_OK);
            return Text(text);
        };
        CHECK(module(5, L"   ", false) == L"Unknown module error.");
        CHECK(module(5, L"", true) == L"Unknown module error.");
        CHECK(module(0, L" netmsg ", false) == L"Unknown  netmsg  error.");
        // A module without a message table, and one that does not exist.
        CHECK(module(5, L"comctl32.dll", false) == L"comctl32.dll error: 5");
        CHECK(module(5, L"comctl32.dll", true) == L"comctl32.dll error 5: Unknown comctl32.dll error.");
        CHECK(module(5, L"no-such-module.dll", true) ==
              L"no-such-module.dll error 5: Unknown no-such-module.dll error.");
        // The system's own messages live in a module's table too.
        const std::wstring denied = support_test::SystemErrorText(ERROR_ACCESS_DENIED);
        CHECK(module(5, L"kernelbase.dll", false) == L"kernelbase.dll error: 5\r\nDescription: " + denied);
    }
}

TEST_CASE("tlvErr::InternetTexts")
{
    Com com;
    auto err = CreateErr();
    REQUIRE(err);
    const bool russian = ::GetUserDefaultLangID() == 0x0419;
    // Under LC_ALL=ru_RU.UTF-8 this program runs as a Russian user's; otherwise as an English one's.
    CHECK(russian == UnderRussianUser());

    auto http = FakeControl::Make(L"HTTPRequest");
    http->Property(L"LastRC") = Variant::Long(4);
    http->Property(L"ResponseCode") = Variant::Long(404);
    http->Property(L"ResponseText") = Variant::Text(L"Not Found");
    http->Property(L"ErrorCode") = Variant::Long(0);
    http->Property(L"ErrorText") = Variant::Text(L"");
    BSTR text = nullptr;

    SUBCASE("HTTP: the operation's line, an empty line, the response")
    {
        REQUIRE(err->GetErrorMessageHTTPRequest(http.get(), &text) == S_OK);
        CHECK(Text(text) == std::wstring(russian ? L"Ошибка функции InternetSendRequest()."
                                                 : L"InternetSendRequest() failed.") +
                                L"\r\n\r\nHTTP response: 404, Not Found.");
    }
    SUBCASE("HTTP: a WinInet error with its text")
    {
        http->Property(L"LastRC") = Variant::Long(99);
        http->Property(L"ResponseCode") = Variant::Long(0);
        http->Property(L"ErrorCode") = Variant::Text(L"12002");
        http->Property(L"ErrorText") = Variant::Text(L"Timed out");
        REQUIRE(err->GetErrorMessageHTTPRequest(http.get(), &text) == S_OK);
        CHECK(Text(text) == L"WinInet error: 12002\r\nDescription:   Timed out");
    }
    SUBCASE("FTP: its own table and no response")
    {
        auto ftp = FakeControl::Make(L"FTPClient");
        ftp->Property(L"LastRC") = Variant::Long(3);
        ftp->Property(L"ResponseCode") = Variant::Long(550);
        ftp->Property(L"ErrorCode") = Variant::Long(0);
        REQUIRE(err->GetErrorMessageFTPClient(ftp.get(), &text) == S_OK);
        CHECK(Text(text) == std::wstring(russian ? L"Соединение уже установлено."
                                                 : L"Connection was already established."));
    }
    SUBCASE("values of the wrong kind count as absent")
    {
        http->Property(L"LastRC") = Variant::Text(L"four");
        http->Property(L"ResponseCode") = Variant::Object(http.get());
        http->Property(L"ErrorCode") = Variant::Text(L"not a number");
        REQUIRE(err->GetErrorMessageHTTPRequest(http.get(), &text) == S_OK);
        CHECK(Text(text) == L"");
        http->Property(L"LastRC") = Variant::Double(2.5);
        REQUIRE(err->GetErrorMessageHTTPRequest(http.get(), &text) == S_OK);
        CHECK(Text(text) == L"");
    }
    SUBCASE("no object: an empty text, and no box")
    {
        REQUIRE(err->GetErrorMessageHTTPRequest(nullptr, &text) == S_OK);
        CHECK(Text(text) == L"");
        long result = -1;
        SeenBox box = Watching([&] {
            CHECK(err->ErrorDisplayFTPClient(nullptr, 16, nullptr, nullptr, nullptr, &result) == S_OK);
        });
        CHECK(result == 0);
        CHECK_FALSE(box.shown);
    }
}

TEST_CASE("tlvErr::Display")
{
    Com com;
    auto err = CreateErr();
    REQUIRE(err);
    long result = -1;
    Bstr title(L"Title");

    SUBCASE("Silent returns OK and shows nothing")
    {
        VARIANT_BOOL silent = VARIANT_TRUE;
        SeenBox box = Watching(
            [&] { CHECK(err->ErrorDisplayAPI(5, 16, title.get(), nullptr, &silent, &result) == S_OK); });
        CHECK(result == 1);
        CHECK_FALSE(box.shown);
        auto error = ErrorObject(5, L"x", L"", L"help.hlp", 3);
        IDispatch* object = error.get();
        box = Watching(
            [&] { CHECK(err->ErrorDisplay(&object, 16, title.get(), nullptr, &silent, &result) == S_OK); });
        CHECK(result == 1);
        CHECK_FALSE(box.shown);
    }
    SUBCASE("the caller's text, an empty line, then the long text; Help only with a help file")
    {
        Variant descriptionText = Variant::Text(L"Could not save");
        auto error = ErrorObject(5, L"Access denied");
        IDispatch* object = error.get();
        SeenBox box = Watching([&] {
            CHECK(err->ErrorDisplay(&object, 16, title.get(), descriptionText.get(), nullptr, &result) ==
                  S_OK);
        });
        CHECK(box.shown);
        CHECK_FALSE(box.help);
        CHECK(box.text == L"Could not save\r\n\r\nError number: 5\r\nDescription:  Access denied");
        CHECK(result == IDOK);

        auto withHelp = ErrorObject(5, L"Access denied", L"", L"app.hlp", 12);
        object = withHelp.get();
        box = Watching(
            [&] { CHECK(err->ErrorDisplay(&object, 16, title.get(), nullptr, nullptr, &result) == S_OK); });
        CHECK(box.shown);
        CHECK(box.help);
        box = Watching(
            [&] { CHECK(err->ErrorDisplayWinMM(2, 16, title.get(), nullptr, nullptr, &result) == S_OK); });
        CHECK(box.shown);
        CHECK_FALSE(box.help);
    }
}

TEST_CASE("tlvErr::HelpButton")
{
    Com com;
    auto err = CreateErr();
    REQUIRE(err);
    support::UniqueWindow viewer = MakeHelpViewer();
    REQUIRE(viewer);
    long result = -1;
    Bstr title(L"Title");

    SUBCASE("asking for help opens the error's help file at its context")
    {
        g_help = HelpRequest{};
        auto error = ErrorObject(5, L"Access denied", L"", L"C:\\Help\\app.hlp", 1200);
        IDispatch* object = error.get();
        SeenBox box = Watching(
            [&] { CHECK(err->ErrorDisplay(&object, 16, title.get(), nullptr, nullptr, &result) == S_OK); },
            AskForHelp);
        CHECK(box.help);
        CHECK(g_help.count == 1);
        CHECK(g_help.command == HELP_CONTEXT);
        CHECK(g_help.data == 1200);
        CHECK(g_help.file == "C:\\Help\\app.hlp");
        CHECK(result == IDOK);
    }
    SUBCASE("without a help file, or from the other display functions, no help is asked for")
    {
        g_help = HelpRequest{};
        auto error = ErrorObject(5, L"Access denied");
        IDispatch* object = error.get();
        SeenBox box = Watching(
            [&] { CHECK(err->ErrorDisplay(&object, 16, title.get(), nullptr, nullptr, &result) == S_OK); },
            AskForHelp);
        CHECK(box.shown);
        CHECK_FALSE(box.help);
        box = Watching(
            [&] { CHECK(err->ErrorDisplayAPI(5, 16, title.get(), nullptr, nullptr, &result) == S_OK); },
            AskForHelp);
        CHECK(box.shown);
        CHECK(g_help.count == 0);
    }
}

namespace {

BOOL CALLBACK CloseShownToolkitForm(HWND window, LPARAM)
{
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (wcscmp(className, L"ToolkitForm") != 0 || !::IsWindowVisible(window)) return TRUE;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

// Closes the thread's timed box as soon as it shows, as its close box would.
void CALLBACK CloseTimedBox(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseShownToolkitForm, 0);
}

// A client thread's whole life: its apartment, a timed box shown and closed, its end.
DWORD WINAPI ShowBoxAndEnd(LPVOID result)
{
    Com com;
    auto err = CreateErr();
    if (!err) return 1;
    Bstr text(L"On a thread that ends");
    Variant titleArgument = Variant::Text(L"Title");
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, CloseTimedBox);
    const HRESULT shown =
        err->ShowErrorBox(text.get(), 0, *titleArgument.get(), -1, -1, 60, static_cast<long*>(result));
    ::KillTimer(nullptr, timer);
    return shown == S_OK ? 0 : 2;
}

DWORD ShowOnThreadThatEnds()
{
    long result = -1;
    support::UniqueKernelHandle thread(::CreateThread(nullptr, 0, ShowBoxAndEnd, &result, 0, nullptr));
    REQUIRE(thread);
    REQUIRE(::WaitForSingleObject(thread.get(), test_wait::Deadline(20000)) == WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(thread.get(), &code);
    return code;
}

} // namespace

TEST_CASE("tlvErr::ThreadsThatEndLeaveNothing")
{
    // Client threads that each show a form of the library and end: what the library kept for each
    // (its program window, its forms) goes with it, and forms still work on this thread afterwards.
    REQUIRE(ShowOnThreadThatEnds() == 0);
    const int handles = CountKernelHandles(), windows = CountWindows();
    const SIZE_T bytes = HeapBytesInUse();
    constexpr int kThreads = 24;
    for (int i = 0; i < kThreads; ++i)
        REQUIRE(ShowOnThreadThatEnds() == 0);
    CHECK(CountKernelHandles() <= handles);
    CHECK(CountWindows() <= windows);
    const SIZE_T grown = HeapBytesInUse() - std::min(bytes, HeapBytesInUse());
    CHECK_MESSAGE(grown < kThreads * 8, "the heap grew by ", grown, " bytes over ", kThreads, " threads");
    long result = -1;
    CHECK(ShowBoxAndEnd(&result) == 0);
}
