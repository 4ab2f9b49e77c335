#include "toolkit/application.h"

#include <algorithm>
#include <memory>
#include <utility>

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

void WINAPI FreeThreadState(void* data) noexcept;

// Where each thread's state is kept: a fiber-local slot, whose callback the
// system calls as the thread ends (even in a library that asked for no thread
// notifications) and, for every thread still holding one, when the slot is
// freed. Systems without such slots (before Vista) get a thread-local one,
// and there a thread's end leaves its state behind.
class ThreadSlot {
public:
    ThreadSlot() noexcept
    {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        const auto allocate = Bind<DWORD(WINAPI*)(void(WINAPI*)(void*))>(kernel, "FlsAlloc");
        get_ = Bind<decltype(get_)>(kernel, "FlsGetValue");
        set_ = Bind<decltype(set_)>(kernel, "FlsSetValue");
        free_ = Bind<decltype(free_)>(kernel, "FlsFree");
        if (allocate && get_ && set_ && free_) index_ = allocate(FreeThreadState);
        if (index_ == TLS_OUT_OF_INDEXES) {
            get_ = ::TlsGetValue;
            set_ = ::TlsSetValue;
            free_ = ::TlsFree;
            index_ = ::TlsAlloc();
            fiberLocal_ = false;
        }
    }

    ThreadState* Get() const noexcept
    {
        return index_ == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadState*>(get_(index_));
    }
    bool Set(ThreadState* state) const noexcept
    {
        return index_ != TLS_OUT_OF_INDEXES && set_(index_, state);
    }
    // Frees the slot and every thread's state in it (a thread-local slot: the caller's only).
    void Free() noexcept
    {
        if (index_ == TLS_OUT_OF_INDEXES) return;
        ThreadState* own = fiberLocal_ ? nullptr : Get();
        free_(std::exchange(index_, TLS_OUT_OF_INDEXES));
        if (own) FreeThreadState(own);
    }

private:
    template <typename Function> static Function Bind(HMODULE module, const char* name) noexcept
    {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
    }

    void*(WINAPI* get_)(DWORD) = nullptr;
    BOOL(WINAPI* set_)(DWORD, void*) = nullptr;
    BOOL(WINAPI* free_)(DWORD) = nullptr;
    DWORD index_ = TLS_OUT_OF_INDEXES;
    bool fiberLocal_ = true;
};

ThreadSlot& Slot() noexcept
{
    static ThreadSlot slot;
    return slot;
}

// The calling thread's state, made on first use.
ThreadState& thread()
{
    if (ThreadState* state = Slot().Get()) return *state;
    auto state = std::make_unique<ThreadState>();
    if (!Slot().Set(state.get())) support::RaiseLastWin32(L"FlsSetValue");
    return *state.release();
}

// The calling thread's state where it has one; nothing is made for a question.
ThreadState* existingThread() noexcept
{
    return Slot().Get();
}

// A thread's state as the thread ends, or as the slot is freed: the program
// window (and the forms it owns) is destroyed on its own thread; a window of
// another thread, which only that thread may destroy, is left to the system's
// default procedure (this module's code may be about to go) and asked to
// close itself.
void WINAPI FreeThreadState(void* data) noexcept
{
    std::unique_ptr<ThreadState> state(static_cast<ThreadState*>(data));
    HWND window = state->programWindow.release();
    if (!window || !::IsWindow(window)) return;
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        ::DestroyWindow(window);
    } else {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcW));
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
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
    GuardCallback([] {
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
    if (ThreadState* own = existingThread(); own && own->programWindow)
        ::SetWindowTextW(own->programWindow.get(), state().title.c_str());
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
    while (!Forms().empty() && ::GetMessageW(&message, nullptr, 0, 0) > 0)
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
                GuardCallback([&] { form->RaiseKeyDown(keyCode); });
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
                if (GuardCallback(
                        [&] { return form->HandleDialogKey(static_cast<int>(message.wParam), shift); }))
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
    static const std::vector<Form*> none;
    const ThreadState* own = existingThread();
    return own ? own->forms : none;
}

void Application::FormLoaded(Form* form)
{
    thread().forms.push_back(form);
}

void Application::FormUnloaded(Form* form)
{
    if (ThreadState* own = existingThread()) std::erase(own->forms, form);
}

void Application::FreeThreadStates() noexcept
{
    Slot().Free();
}

} // namespace toolkit
