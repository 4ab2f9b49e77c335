// What the About box starts through the shell: the mail program for the
// e-mail address, the browser for the maker's home page, the system
// information tool. The test runs in a prefix of its own (about_shell.sh),
// where it registers our recording stand-in (shell_recorder) for mailto:,
// http: and https: and as the system information tool, clicks with the real
// mouse and reads what the stand-in was started with. No real mail program
// or browser is ever started.
#include <doctest.h>

#include <windows.h>

#include <shellapi.h>

#include <cwctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "about_box_driver.h"
#include "support/handles.h"
#include "windows_path.h"

using namespace about_test;

namespace {

constexpr int kWaitTicks = 60;  // how long a started program may take to show up
constexpr int kQuietTicks = 12; // how long a click that starts nothing is watched

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring Folded(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

const std::wstring& Recorder()
{
    static const std::wstring path = test_paths::WindowsPath(SHELL_RECORDER_PATH);
    return path;
}

void SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    support::UniqueRegKey opened;
    REQUIRE(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(),
                              nullptr) == ERROR_SUCCESS);
    REQUIRE(::RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
}

void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    support::UniqueRegKey opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, opened.put()) == ERROR_SUCCESS)
        ::RegDeleteValueW(opened.get(), name);
}

// The stand-in opens every URL of the protocol, as a mail program or browser registers itself.
void RegisterProtocol(const std::wstring& protocol)
{
    SetValue(HKEY_CLASSES_ROOT, protocol, L"URL Protocol", L"");
    SetValue(HKEY_CLASSES_ROOT, protocol + L"\\shell\\open\\command", nullptr,
             L"\"" + Recorder() + L"\" \"%1\"");
}

// What a stand-in started from the folder wrote: its own path and its command line.
struct Started {
    std::wstring program;
    std::wstring commandLine;
    std::vector<std::wstring> Arguments() const
    {
        int count = 0;
        LPWSTR* split = ::CommandLineToArgvW(commandLine.c_str(), &count);
        std::vector<std::wstring> arguments(split, split + (split ? count : 0));
        ::LocalFree(split);
        return arguments;
    }
};

class StartWatch {
public:
    explicit StartWatch(std::wstring folder) : log_(std::move(folder) + L"started.txt") { Forget(); }
    void Forget() const { ::DeleteFileW(log_.c_str()); }
    bool Seen() const { return ::GetFileAttributesW(log_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    Started Read() const
    {
        std::ifstream in(log_.c_str(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::wstring text(bytes.size(), L'\0');
        text.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                                                              static_cast<int>(bytes.size()), text.data(),
                                                              static_cast<int>(text.size()))));
        Started started;
        const size_t first = text.find(L'\n');
        if (first == std::wstring::npos) return started;
        started.program = text.substr(0, first);
        started.commandLine = text.substr(first + 1, text.find(L'\n', first + 1) - first - 1);
        return started;
    }

private:
    std::wstring log_;
};

// A step that waits, a tick at a time, until the stand-in has written its record.
BoxScript::Step WaitFor(const StartWatch& watch, int& ticks, int limit = kWaitTicks)
{
    return [&watch, &ticks, limit](HWND) {
        if (!watch.Seen() && ++ticks < limit) BoxScript::Again();
    };
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end()); // ASCII enough to read in a failure
}

// The stand-in, registered for the URL's protocol, was started with the URL alone.
void CheckRecorderOpened(const StartWatch& watch, const std::wstring& url)
{
    REQUIRE(watch.Seen());
    const Started started = watch.Read();
    CAPTURE(Narrow(started.commandLine));
    CHECK(Folded(started.program) == Folded(Recorder()));
    const std::vector<std::wstring> arguments = started.Arguments();
    REQUIRE(arguments.size() == 2);
    CHECK(arguments[1] == url);
}

} // namespace

TEST_CASE("AboutBoxShell::TheEMailAddressOpensTheMailProgram")
{
    Com com;
    RegisterProtocol(L"mailto");
    StartWatch watch(FolderOf(Recorder()));
    int waited = 0;
    bool captionStartedNothing = false;
    CHECK(ShowEx(Content{}, {[](HWND box) {
                                 ::SetForegroundWindow(box);
                                 // The caption beside the address is no link.
                                 ClickFound(LabelOn(Page(box, L"Main tab"), L"E-Mail:"));
                             },
                             WaitFor(watch, waited, kQuietTicks),
                             [&](HWND box) {
                                 captionStartedNothing = !watch.Seen();
                                 waited = 0;
                                 ClickFound(LabelOn(Page(box, L"Main tab"), L"ivan@example.test"));
                             },
                             WaitFor(watch, waited), Close()}) == S_OK);
    CHECK(captionStartedNothing);
    CheckRecorderOpened(watch, L"mailto:ivan@example.test");
}

TEST_CASE("AboutBoxShell::TheHomePageOpensTheBrowser")
{
    // The version file the update check downloads is served by the driver's
    // local server (http_proxy); only a successful check shows the link.
    Com com;
    RegisterProtocol(L"http");
    RegisterProtocol(L"https");
    StartWatch watch(FolderOf(Recorder()));
    int waited = 0;
    HWND link = nullptr;
    CHECK(ShowEx(Content{},
                 {[](HWND box) {
                      ::SetForegroundWindow(box);
                      test_input::SendKeys({VK_PRIOR}); // the last page is the update check's
                  },
                  [](HWND box) {
                      CHECK(CurrentPage(box) == L"Update check");
                      ClickFound(FirstOfClass(Page(box, L"Update check"), L"ToolkitCommandButton"));
                  },
                  [&](HWND box) {
                      link = LabelOn(Page(box, L"Update check"), L"http://www.velmora-tools.example/");
                      if (!link && ++waited < kWaitTicks) return BoxScript::Again();
                      CHECK(link);
                      if (!link) return;
                      SaveScreenshot(box, L"about_update_done.bmp");
                      waited = 0;
                      ClickOn(link);
                  },
                  WaitFor(watch, waited), Close()}) == S_OK);
    CheckRecorderOpened(watch, L"http://www.velmora-tools.example/");
}

TEST_CASE("AboutBoxShell::SystemInfoStartsTheRegisteredTool")
{
    Com com;
    const std::wstring infoKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::wstring locationKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
    wchar_t temp[MAX_PATH] = {};
    REQUIRE(::GetTempPathW(MAX_PATH, temp) > 0);
    const std::wstring folder = std::wstring(temp) + L"about-shell-tools\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    DeleteValue(HKEY_LOCAL_MACHINE, infoKey, L"PATH");
    DeleteValue(HKEY_LOCAL_MACHINE, locationKey, L"MSINFO");

    std::wstring expected;
    SUBCASE("the tool's own path")
    {
        expected = folder + L"information tool.exe";
        SetValue(HKEY_LOCAL_MACHINE, infoKey, L"PATH", expected);
    }
    SUBCASE("only the tools folder: the tool is MSINFO32.EXE in it")
    {
        expected = folder + L"MSINFO32.EXE";
        SetValue(HKEY_LOCAL_MACHINE, locationKey, L"MSINFO", folder.substr(0, folder.size() - 1));
    }
    CAPTURE(Narrow(expected));
    REQUIRE(::CopyFileW(Recorder().c_str(), expected.c_str(), FALSE));
    StartWatch watch(folder);
    int waited = 0;
    CHECK(ShowEx(Content{}, {[](HWND box) {
                                 ::SetForegroundWindow(box);
                                 ClickFound(ButtonWithText(box, L"&System Info..."));
                             },
                             WaitFor(watch, waited), Close()}) == S_OK);
    DeleteValue(HKEY_LOCAL_MACHINE, infoKey, L"PATH");
    DeleteValue(HKEY_LOCAL_MACHINE, locationKey, L"MSINFO");
    REQUIRE(watch.Seen());
    const Started started = watch.Read();
    CAPTURE(Narrow(started.commandLine));
    CHECK(Folded(started.program) == Folded(expected));
    ::DeleteFileW(expected.c_str());
}
