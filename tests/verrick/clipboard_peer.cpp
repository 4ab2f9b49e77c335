// A helper of the clipboard script: a second process that opens the clipboard
// with a window of its own (a process passing no window would share the
// clipboard with another such process under Wine).
//   clipboard_peer probe        exit 0 when the clipboard opens at the first
//                               attempt (it is closed again), 1 when it does not
//   clipboard_peer hold FILE    opens the clipboard, then creates FILE and holds
//                               the clipboard until FILE is deleted; exit 0, or
//                               1 when it could not open it, 2 when FILE stayed
#include <windows.h>

#include <cwchar>

#include "support/handles.h"
#include "wait_scale.h"

namespace {

// A message-only window to open the clipboard with.
support::UniqueWindow OwnWindow()
{
    return support::UniqueWindow(::CreateWindowExW(0, L"STATIC", L"clipboard peer", 0, 0, 0, 0, 0,
                                                   HWND_MESSAGE, nullptr, nullptr, nullptr));
}

int Hold(const wchar_t* flag, HWND window)
{
    bool open = false;
    for (DWORD start = ::GetTickCount(); !open && ::GetTickCount() - start < test_wait::Deadline(10000);) {
        open = ::OpenClipboard(window) != FALSE;
        if (!open) ::Sleep(20);
    }
    if (!open) return 1;
    // Made and closed at once: the script waits for it to appear.
    support::UniqueFileHandle(::CreateFileW(flag, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    int status = 2;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < test_wait::Deadline(120000);
         ::Sleep(20)) {
        if (::GetFileAttributesW(flag) == INVALID_FILE_ATTRIBUTES) {
            status = 0;
            break;
        }
    }
    ::CloseClipboard();
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const support::UniqueWindow window = OwnWindow();
    if (!window) return 3;
    if (argc == 2 && std::wcscmp(argv[1], L"probe") == 0) {
        if (!::OpenClipboard(window.get())) return 1;
        ::CloseClipboard();
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"hold") == 0) return Hold(argv[2], window.get());
    return 3;
}
