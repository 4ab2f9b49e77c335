#pragma once
// Helpers of the support tests: readable wide texts in failure reports, the
// number of a run-time error, this program's path, child processes of it,
// and a real window.

#include <doctest.h>

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <string_view>

#include "support/handles.h"
#include "support/runtime_error.h"
#include "support/text.h"

namespace support_test {

// UTF-8 in quotes, control characters escaped (a NUL shows as \0).
inline doctest::String Quoted(std::wstring_view text)
{
    std::wstring shown = L"\"";
    for (wchar_t c : text) {
        if (c == L'\0')
            shown += L"\\0";
        else if (c == L'\t')
            shown += L"\\t";
        else if (c == L'\r')
            shown += L"\\r";
        else if (c == L'\n')
            shown += L"\\n";
        else if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xA0 || (c >= 0x2000 && c <= 0x206F) ||
                 c == 0xFEFF) {
            wchar_t code[8];
            ::wsprintfW(code, L"\\u%04X", static_cast<unsigned>(c));
            shown += code;
        } else {
            shown += c;
        }
    }
    shown += L'"';
    return support::ToUtf8(shown).c_str();
}

// The run-time error number that call throws, 0 when it throws none.
template <typename Call> long ErrorNumberOf(Call&& call)
{
    try {
        call();
    } catch (const support::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

// The system's text of a Win32 error and of a WinMM one, as the system gives
// them, without the line break it ends a Win32 text with.
inline std::wstring SystemErrorText(DWORD code)
{
    wchar_t text[1024] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          code, 0, text, 1024, nullptr);
    std::wstring read(text, length);
    while (!read.empty() && (read.back() == L'\n' || read.back() == L'\r' || read.back() == L' '))
        read.pop_back();
    return read;
}
inline std::wstring WaveOutErrorText(UINT code)
{
    wchar_t text[MAXERRORLENGTH] = {};
    return ::waveOutGetErrorTextW(code, text, MAXERRORLENGTH) == MMSYSERR_NOERROR ? text : L"";
}

inline long Win32ErrorNumber(DWORD code)
{
    return static_cast<long>(HRESULT_FROM_WIN32(code));
}

inline std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

// Runs a program with the arguments and waits for it: its exit code, or 999
// when it did not start or did not end in time (either also fails a check).
inline DWORD RunToEnd(const std::wstring& program, const std::wstring& arguments, DWORD milliseconds = 120000)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &process);
    CHECK_MESSAGE(started, "CreateProcessW failed: ", ::GetLastError());
    if (!started) return 999;
    support::UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
    const bool ended = ::WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
    CHECK_MESSAGE(ended, "the child process did not end in time");
    DWORD exitCode = 999;
    if (ended) ::GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
}

// Runs one test case of this program in a copy of it (skipped cases too: a
// case that only a copy runs is marked doctest::skip()), NAME in the temp folder,
// that Wine presents as another Windows version (nullptr: its own) and with a
// library disabled (nullptr: none), through its per-program settings
// (AppDefaults, by file name). The exit code, or 1000 + the error when the
// copy could not be made; the copy and its settings are removed afterwards.
inline DWORD RunTestCaseInCopy(const std::wstring& name, const wchar_t* testCase, const wchar_t* version,
                               const wchar_t* disabledLibrary = nullptr)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring exe = temp + name;
    if (!::CopyFileW(ProgramPath().c_str(), exe.c_str(), FALSE)) return 1000 + ::GetLastError();
    const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\" + name;
    auto set = [](const std::wstring& path, const wchar_t* valueName, const std::wstring& value) {
        support::UniqueRegKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr) == ERROR_SUCCESS)
            ::RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    if (version) set(appDefaults, L"Version", version);
    if (disabledLibrary) set(appDefaults + L"\\DllOverrides", disabledLibrary, L"");
    const DWORD exitCode = RunToEnd(exe, std::wstring(L"--no-skip --test-case=") + testCase);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, (appDefaults + L"\\DllOverrides").c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, appDefaults.c_str());
    ::DeleteFileW(exe.c_str());
    return exitCode;
}

// A hidden top-level window of a test class.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* className = L"SupportTestWindow")
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            support::RaiseLastWin32(L"RegisterClassExW");
        window_.reset(::CreateWindowExW(0, className, L"Test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr));
        if (!window_) support::RaiseLastWin32(L"CreateWindowExW");
    }
    HWND get() const noexcept { return window_.get(); }
    void destroy() noexcept { window_.reset(); }

private:
    support::UniqueWindow window_;
};

} // namespace support_test

namespace doctest {

template <> struct StringMaker<std::wstring> {
    static String convert(const std::wstring& text) { return support_test::Quoted(text); }
};

template <> struct StringMaker<std::wstring_view> {
    static String convert(std::wstring_view text) { return support_test::Quoted(text); }
};

template <size_t N> struct StringMaker<wchar_t[N]> {
    static String convert(const wchar_t (&text)[N]) { return support_test::Quoted({text, N - 1}); }
};

template <> struct StringMaker<wchar_t> {
    static String convert(wchar_t c) { return support_test::Quoted({&c, 1}); }
};

} // namespace doctest
