#include "toolkit/application.h"

#include <algorithm>

#include "toolkit/form.h"

#include "support/es.h"
#include "support/runtime_error.h"

namespace toolkit {
namespace {

// What the toolkit keeps for its module.
struct State {
    std::wstring title;
    Application::FatalHandler fatal;
    bool guest = false;
};

State& state()
{
    static State instance;
    return instance;
}

// What it keeps for each thread: a client's threads each show forms of their
// own, under a program window of their own, as apartment-threaded code does.
struct ThreadState {
    support::UniqueWindow programWindow;
    std::vector<Form*> forms;
};

ThreadState& thread()
{
    thread_local ThreadState instance;
    return instance;
}

void ShowFatalBox(std::exception_ptr error)
{
    ::MessageBoxW(nullptr, Application::DescribeError(error).c_str(), Application::Title().c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

// A close sent to the hidden program window (the task manager's "end task",
// an uninstaller asking the program to go) unloads every form as the task
// manager would, each told why and each free to refuse; the window stays.
LRESULT CALLBACK ProgramWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CLOSE) return ::DefWindowProcW(window, message, wParam, lParam);
    Guard([] {
        const std::vector<Form*> forms = thread().forms;
        for (auto form = forms.rbegin(); form != forms.rend(); ++form) {
            if (std::find(thread().forms.begin(), thread().forms.end(), *form) == thread().forms.end())
                continue;
            if (!(*form)->Unload(vbAppTaskManager)) break;
        }
    });
    return 0;
}

// Registered once for the process. A thread that comes while another registers
// it waits until that has ended: a class whose registration has not returned
// may not yet serve CreateWindowEx, although registering it again already
// fails as existing.
const wchar_t* ProgramWindowClass()
{
    static const wchar_t* const name = [] {
        WNDCLASSEXW windowClass{sizeof windowClass};
        if (!::GetClassInfoExW(Application::Instance(), support::kProgramWindowClass, &windowClass)) {
            windowClass.lpfnWndProc = ProgramWindowProc;
            windowClass.hInstance = Application::Instance();
            windowClass.lpszClassName = support::kProgramWindowClass;
            if (!::RegisterClassExW(&windowClass)) support::RaiseLastWin32(L"RegisterClassExW");
        }
        return support::kProgramWindowClass;
    }();
    return name;
}

} // namespace

// The module the toolkit is linked into: the program, or a library that shows forms of its own.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE Application::Instance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void Application::SetTitle(std::wstring title)
{
    state().title = std::move(title);
    if (thread().programWindow) ::SetWindowTextW(thread().programWindow.get(), state().title.c_str());
}

const std::wstring& Application::Title() noexcept
{
    return state().title;
}

HWND Application::ProgramWindow()
{
    auto& window = thread().programWindow;
    // Destroyed by someone else: a new one takes its place.
    if (window && !::IsWindow(window.get())) window.release();
    if (!window) {
        // Never shown: it owns the forms and carries the program's icon and title.
        window.reset(::CreateWindowExW(0, ProgramWindowClass(), state().title.c_str(),
                                       WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                       nullptr, nullptr, Instance(), nullptr));
        if (!window) support::RaiseLastWin32(L"CreateWindowExW");
    }
    return window.get();
}

void Application::Run()
{
    MSG message;
    while (!thread().forms.empty() && ::GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
}

void Application::Dispatch(MSG& message)
{
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        // Key preview: the form sees the key before the control that has the focus.
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (root && root != message.hwnd) {
            if (auto* form = dynamic_cast<Form*>(WindowObject::FromHandle(root));
                form && form->KeyPreview()) {
                int keyCode = static_cast<int>(message.wParam);
                Guard([&] { form->RaiseKeyDown(keyCode); });
                if (keyCode == 0) return;
                message.wParam = static_cast<WPARAM>(keyCode);
            }
        }
        // Enter, Esc and Tab: the form's default and cancel buttons and the tab order.
        if (message.message == WM_KEYDOWN &&
            (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE || message.wParam == VK_TAB)) {
            if (auto* form = dynamic_cast<Form*>(WindowObject::FromHandle(root))) {
                int shift = (::GetKeyState(VK_SHIFT) < 0 ? vbShiftMask : 0) |
                            (::GetKeyState(VK_CONTROL) < 0 ? vbCtrlMask : 0) |
                            (::GetKeyState(VK_MENU) < 0 ? vbAltMask : 0);
                if (Guard([&] { return form->HandleDialogKey(static_cast<int>(message.wParam), shift); }))
                    return;
            }
        }
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Application::DoEvents()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void Application::SetFatalHandler(FatalHandler handler)
{
    state().fatal = std::move(handler);
}

void Application::Fatal(std::exception_ptr error) noexcept
{
    try {
        if (state().fatal) {
            state().fatal(error);
        } else {
            ShowFatalBox(error);
        }
    } catch (...) {
    }
    ::ExitProcess(1);
}

void Application::SetGuest(bool guest) noexcept
{
    state().guest = guest;
}

bool Application::IsGuest() noexcept
{
    return state().guest;
}

void Application::Unhandled(std::exception_ptr error) noexcept
{
    if (!state().guest) Fatal(error);
    ::SetErrorInfo(0, nullptr);
}

std::wstring Application::DescribeError(std::exception_ptr error)
{
    return support::DescribeError(error);
}

const std::vector<Form*>& Application::Forms() noexcept
{
    return thread().forms;
}

void Application::FormLoaded(Form* form)
{
    thread().forms.push_back(form);
}

void Application::FormUnloaded(Form* form)
{
    std::erase(thread().forms, form);
}

} // namespace toolkit
