// A helper of the script tests: waits for a window whose caption starts with
// the given text, brings it to the front and presses one key there, as a user
// would, then waits for the window to go; the script that started it sits in
// the dialog's modal loop meanwhile. It ends only once the window has gone, so
// a script that finds it still running after its dialog returned knows that no
// dialog showed (a script host under Wine cannot read an exit code).
//   dialog_closer CAPTION-PREFIX VIRTUAL-KEY [TIMEOUT-MS]
// The prefix may hold \uXXXX escapes: a script's own text is ANSI.
// Exit code 0 when the window closed after the key, 1 when no such window
// showed in time, 3 when it was still open at the end of the time.

#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "input.h"
#include "wait_scale.h"

namespace {

struct Search {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<Search*>(context);
    wchar_t caption[512] = {};
    if (!::IsWindowVisible(window) || !::GetWindowTextW(window, caption, 512)) return TRUE;
    if (std::wcsncmp(caption, search.prefix.c_str(), search.prefix.size()) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

// The text with each \uXXXX replaced by its character.
std::wstring Unescape(const std::wstring& text)
{
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 5 < text.size() && text[i + 1] == L'u') {
            plain += static_cast<wchar_t>(std::wcstol(text.substr(i + 2, 4).c_str(), nullptr, 16));
            i += 5;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    Search search{Unescape(argv[1])};
    const WORD key = static_cast<WORD>(std::wcstol(argv[2], nullptr, 0));
    const DWORD timeout =
        test_wait::Deadline(argc > 3 ? static_cast<DWORD>(std::wcstol(argv[3], nullptr, 0)) : 20000);
    const DWORD start = ::GetTickCount();
    for (; !search.found; ::Sleep(100)) {
        if (::GetTickCount() - start >= timeout) return 1;
        ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    }
    ::Sleep(300);
    ::SetForegroundWindow(search.found);
    test_input::SendKeys({key});
    for (; ::IsWindow(search.found) && ::IsWindowVisible(search.found); ::Sleep(50))
        if (::GetTickCount() - start >= timeout) return 3;
    return 0;
}
