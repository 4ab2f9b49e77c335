#pragma once
// Helpers of the support tests: readable wide texts in failure reports, the
// number of a run-time error, this program's path, and a real window.

#include <doctest.h>

#include <windows.h>

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
