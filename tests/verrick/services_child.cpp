// A client program of Verrick.dll that the services tests start as a real
// process of its own. It loads the server from the build, does what its first
// argument names and writes what it saw to its standard output as UTF-16
// lines.
//   services_child cmdline ...   the words of tlvMain.CommandLine, program first
//   services_child alone-first SCOPE ID METHOD [hidden|hung]
//                                tlvAlone's first copy: asks, marks its window, waits
//                                (hung: its window thread sleeps instead)
//   services_child alone-second SCOPE ID
//                                the second copy: asks, activates the first, says
//                                how long the activation took
//   services_child monitors      each monitor of GetAllMonitors, then the
//                                monitor of a point far off every screen
//   services_child window-monitor L T W H [L T W H ...]
//                                a real window moved to each place in turn:
//                                where it is, and its monitor for the flags
//                                null, nearest and primary

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "Velmora.h"
#include "support/com.h"
#include "server_loader.h"
#include "support/handles.h"

namespace {

using support::Bstr;
using support::ComPtr;

using verrick_test::Create;

void WriteLine(std::wstring_view text)
{
    std::wstring line(text);
    line += L'\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(),
                static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
}

int CommandLineWords()
{
    auto tlv = Create<_tlvMain>(CLSID_tlvMain);
    if (!tlv) return 2;
    ComPtr<_CommandLineParser> parser;
    if (FAILED(tlv->CommandLine(parser.put()))) return 3;
    LONG count = 0;
    if (FAILED(parser->get_Count(&count))) return 4;
    for (LONG i = -1; i < count; ++i) {
        Bstr word;
        if (FAILED(parser->get_Item(i, word.put()))) return 5;
        WriteLine(word.view());
    }
    return 0;
}

std::wstring NameOf(_Monitor* monitor)
{
    if (!monitor) return L"nothing";
    Bstr name;
    monitor->get_DeviceName(name.put());
    return std::wstring(name.view());
}

std::wstring Describe(_Monitor* monitor)
{
    if (!monitor) return L"nothing";
    VARIANT_BOOL primary = VARIANT_FALSE;
    LONG values[14] = {};
    monitor->get_Primary(&primary);
    monitor->get_Flags(&values[0]);
    monitor->get_MonitorLeft(&values[1]);
    monitor->get_MonitorTop(&values[2]);
    monitor->get_MonitorRight(&values[3]);
    monitor->get_MonitorBottom(&values[4]);
    monitor->get_MonitorWidth(&values[5]);
    monitor->get_MonitorHeight(&values[6]);
    monitor->get_WorkAreaLeft(&values[7]);
    monitor->get_WorkAreaTop(&values[8]);
    monitor->get_WorkAreaRight(&values[9]);
    monitor->get_WorkAreaBottom(&values[10]);
    monitor->get_WorkAreaWidth(&values[11]);
    monitor->get_WorkAreaHeight(&values[12]);
    std::wstring text = NameOf(monitor);
    text += primary == VARIANT_TRUE ? L" primary" : L" secondary";
    for (int i = 0; i < 13; ++i)
        text += L" " + std::to_wstring(values[i]);
    return text;
}

int Monitors()
{
    auto multi = Create<_tlvMultiMonitor>(CLSID_tlvMultiMonitor);
    if (!multi) return 2;
    ComPtr<_Collection> all;
    if (FAILED(multi->GetAllMonitors(all.put()))) return 3;
    LONG count = 0;
    all->Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        VARIANT index{};
        index.vt = VT_I4;
        index.lVal = i;
        support::Variant item;
        if (FAILED(all->Item(index, item.put())) || item.vt() != VT_DISPATCH) return 4;
        auto monitor = ComPtr<IDispatch>(item.get()->pdispVal).as<_Monitor>();
        WriteLine(Describe(monitor.get()));
    }
    ComPtr<_Monitor> offScreen;
    if (FAILED(multi->MonitorFromPoint(-100000, -100000, mffDefaultToNull, offScreen.put()))) return 5;
    WriteLine(L"far: " + Describe(offScreen.get()));
    return 0;
}

// window-monitor L T W H [L T W H ...]
int WindowMonitors(int argc, wchar_t** argv)
{
    if (argc < 6 || (argc - 2) % 4 != 0) return 1;
    auto multi = Create<_tlvMultiMonitor>(CLSID_tlvMultiMonitor);
    if (!multi) return 2;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ServicesChildPlaced";
    ::RegisterClassW(&windowClass);
    support::UniqueWindow window(::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"placed",
                                                   WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                                   windowClass.hInstance, nullptr));
    if (!window) return 3;
    for (int i = 2; i + 3 < argc; i += 4) {
        ::SetWindowPos(window.get(), nullptr, _wtoi(argv[i]), _wtoi(argv[i + 1]), _wtoi(argv[i + 2]),
                       _wtoi(argv[i + 3]), SWP_NOZORDER | SWP_NOACTIVATE);
        RECT placed{};
        ::GetWindowRect(window.get(), &placed);
        std::wstring line = std::to_wstring(placed.left) + L"," + std::to_wstring(placed.top) + L"," +
                            std::to_wstring(placed.right) + L"," + std::to_wstring(placed.bottom);
        // The type library fixes a Long for the window: window handles keep
        // their value in 32 bits.
        for (MonitorFromFlags flags : {mffDefaultToNull, mffDefaultToNearest, mffDefaultToPrimary}) {
            ComPtr<_Monitor> monitor;
            if (FAILED(multi->MonitorFromWindow(HandleToLong(window.get()), flags, monitor.put()))) return 4;
            line += L" " + NameOf(monitor.get());
        }
        WriteLine(line);
    }
    return 0;
}

// ---- tlvAlone: the first copy marks its window and waits; the second asks and activates.
UINT g_activationMessage = 0;

LRESULT CALLBACK FirstCopyWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != 0 && message == g_activationMessage) {
        WriteLine(L"message");
        return 1;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

VARIANT_BOOL AskAlone(_tlvAlone* alone, std::wstring_view scope, BSTR id)
{
    VARIANT_BOOL result = VARIANT_FALSE;
    if (scope == L"desktop")
        alone->IsAloneOnDesktop(id, &result);
    else if (scope == L"user")
        alone->IsAloneAtUser(id, &result);
    else
        alone->IsAlone(id, &result);
    return result;
}

std::wstring Truth(VARIANT_BOOL value)
{
    return value == VARIANT_TRUE ? L"True" : L"False";
}

// alone-first SCOPE ID METHOD [hidden|hung]
int FirstCopy(int argc, wchar_t** argv)
{
    if (argc < 5) return 1;
    auto alone = Create<_tlvAlone>(CLSID_tlvAlone);
    if (!alone) return 2;
    Bstr id(argv[3]);
    WriteLine(L"alone " + Truth(AskAlone(alone.get(), argv[2], id.get())));
    LONG message = 0;
    alone->get_WM_ACTIVATE_PREV_INSTANCE(&message);
    g_activationMessage = static_cast<UINT>(message);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &FirstCopyWindow;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ServicesChildFirstCopy";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowW(windowClass.lpszClassName, L"first copy", WS_OVERLAPPEDWINDOW, 50, 50, 300,
                                  200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 3;
    const std::wstring_view option = argc < 6 ? L"" : argv[5];
    if (option != L"hidden") ::ShowWindow(window, SW_SHOWNORMAL);
    VARIANT_BOOL marked = VARIANT_FALSE;
    alone->MarkPrevInstanceWindow(HandleToLong(window), static_cast<ActivationMethodConst>(_wtoi(argv[4])),
                                  &marked);
    WriteLine(L"window " + std::to_wstring(HandleToLong(window)) + L" marked " + Truth(marked));
    if (option == L"hung") ::Sleep(INFINITE);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

// alone-second SCOPE ID
int SecondCopy(int argc, wchar_t** argv)
{
    if (argc < 4) return 1;
    auto alone = Create<_tlvAlone>(CLSID_tlvAlone);
    if (!alone) return 2;
    Bstr id(argv[3]);
    WriteLine(L"alone " + Truth(AskAlone(alone.get(), argv[2], id.get())));
    VARIANT_BOOL activated = VARIANT_FALSE;
    const DWORD start = ::GetTickCount();
    alone->ActivatePrevInstanceWindow(&activated);
    const DWORD took = ::GetTickCount() - start;
    WriteLine(L"activated " + Truth(activated));
    WriteLine(L"took " + std::to_wstring(took));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (argc < 2) return 1;
    ::CoInitialize(nullptr);
    int status = 1;
    const std::wstring_view mode = argv[1];
    if (mode == L"cmdline") status = CommandLineWords();
    if (mode == L"monitors") status = Monitors();
    if (mode == L"window-monitor") status = WindowMonitors(argc, argv);
    if (mode == L"alone-first") status = FirstCopy(argc, argv);
    if (mode == L"alone-second") status = SecondCopy(argc, argv);
    ::CoUninitialize();
    return status;
}
