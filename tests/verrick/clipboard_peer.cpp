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

// Holds the open clipboard until the script deletes the flag file.
int HoldUntilFlagGoes(const wchar_t* flag)
{
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
    return status;
}

int Hold(const wchar_t* flag, HWND window)
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < test_wait::Deadline(10000); ::Sleep(20)) {
        support::OpenedClipboard clipboard(window);
        if (clipboard.IsOpen()) return HoldUntilFlagGoes(flag);
    }
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const support::UniqueWindow window = OwnWindow();
    if (!window) return 3;
    if (argc == 2 && std::wcscmp(argv[1], L"probe") == 0) {
        support::OpenedClipboard clipboard(window.get());
        return clipboard.IsOpen() ? 0 : 1;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"hold") == 0) return Hold(argv[2], window.get());
    return 3;
}
