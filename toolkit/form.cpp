#include "toolkit/form.h"

#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/control.h"
#include "toolkit/twips.h"

#include "support/runtime_error.h"

namespace toolkit {
namespace {

const wchar_t* FormClass()
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitForm", CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

int ShiftNow()
{
    int shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= vbShiftMask;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= vbCtrlMask;
    if (::GetKeyState(VK_MENU) < 0) shift |= vbAltMask;
    return shift;
}

}  // namespace

Form::Form(std::wstring name) : name_(std::move(name)), fontHandle_(MakeFont(font_)) {}

Form::~Form()
{
    if (IsLoaded()) {
        for (Control* control : controls_) control->Detach();
        Application::FormUnloaded(this);
        DestroyNative();
    }
}

void Form::BorderStyle(FormBorderStyle style)
{
    borderStyle_ = style;
    if (IsLoaded()) {
        // Shown, disabled, minimized and maximized are the window's state, not its border.
        constexpr DWORD kStateBits = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
        DWORD state = static_cast<DWORD>(::GetWindowLongW(hWnd(), GWL_STYLE)) & kStateBits;
        ::SetWindowLongW(hWnd(), GWL_STYLE, static_cast<LONG>(WindowStyle() | state));
        ::SetWindowLongW(hWnd(), GWL_EXSTYLE, static_cast<LONG>(WindowExStyle()));
        ::SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void Form::ClientSize(double widthTwips, double heightTwips)
{
    clientWidth_ = widthTwips;
    clientHeight_ = heightTwips;
    if (IsLoaded()) {
        RECT frame{0, 0, ToPixelsX(widthTwips), ToPixelsY(heightTwips)};
        ::AdjustWindowRectEx(&frame, WindowStyle(), FALSE, WindowExStyle());
        ::SetWindowPos(hWnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::Font(const FontSpec& font)
{
    font_ = font;
    fontHandle_ = MakeFont(font_);
}

void Form::BackColor(OleColor color)
{
    backColor_ = color;
    backBrush_.reset(::CreateSolidBrush(ToColorRef(color)));
    if (IsLoaded()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

std::wstring Form::Caption() const { return caption_; }

void Form::Caption(const std::wstring& caption)
{
    caption_ = caption;
    if (IsLoaded()) ::SetWindowTextW(hWnd(), caption_.c_str());
}

DWORD Form::WindowStyle() const
{
    switch (borderStyle_) {
    case FormBorderStyle::None: return WS_POPUP | WS_CLIPCHILDREN;
    case FormBorderStyle::FixedSingle: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case FormBorderStyle::FixedDialog:
    case FormBorderStyle::FixedToolWindow: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case FormBorderStyle::SizableToolWindow:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    case FormBorderStyle::Sizable:
    default: return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    }
}

DWORD Form::WindowExStyle() const
{
    switch (borderStyle_) {
    case FormBorderStyle::FixedDialog: return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    case FormBorderStyle::FixedToolWindow:
    case FormBorderStyle::SizableToolWindow: return WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
    default: return WS_EX_WINDOWEDGE;
    }
}

void Form::PlaceAtStart(int width, int height, int& x, int& y) const
{
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (startUpPosition_ == toolkit::StartUpPosition::CenterScreen ||
        startUpPosition_ == toolkit::StartUpPosition::CenterOwner) {
        x = area.left + (area.right - area.left - width) / 2;
        y = area.top + (area.bottom - area.top - height) / 2;
    } else {
        // The system's default cascade position, kept on the work area.
        x = area.left + 40;
        y = area.top + 40;
    }
}

void Form::Load()
{
    if (IsLoaded()) return;
    if (!backBrush_) backBrush_.reset(::CreateSolidBrush(ToColorRef(backColor_)));
    RECT frame{0, 0, ToPixelsX(clientWidth_), ToPixelsY(clientHeight_)};
    ::AdjustWindowRectEx(&frame, WindowStyle(), FALSE, WindowExStyle());
    int width = frame.right - frame.left, height = frame.bottom - frame.top, x = 0, y = 0;
    PlaceAtStart(width, height, x, y);
    CreateNative(FormClass(), WindowExStyle(), WindowStyle(), caption_.c_str(), x, y, width, height,
                 Application::ProgramWindow());
    // Controls may be added or removed while attaching: walk a copy.
    for (Control* control : std::vector<Control*>(controls_)) control->Attach();
    Application::FormLoaded(this);
    Form_Load();
}

void Form::Show()
{
    Load();
    if (!IsLoaded()) return;
    ::ShowWindow(hWnd(), SW_SHOW);
    ::SetForegroundWindow(hWnd());
}

void Form::Hide()
{
    if (IsLoaded()) ::ShowWindow(hWnd(), SW_HIDE);
}

bool Form::Unload(UnloadMode mode)
{
    if (!IsLoaded() || unloading_) return true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel) return false;
    Form_Unload(cancel);
    if (cancel) return false;
    unloading_ = true;
    for (Control* control : std::vector<Control*>(controls_)) control->Detach();
    for (ControlArrayBase* array : std::vector<ControlArrayBase*>(arrays_)) array->UnloadRunTimeElements();
    for (const TimerEntry& timer : timers_) ::KillTimer(hWnd(), timer.id);
    timers_.clear();
    Application::FormUnloaded(this);
    DestroyNative();
    unloading_ = false;
    return true;
}

double Form::Left() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return ToTwipsX(r.left);
}

double Form::Top() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return ToTwipsY(r.top);
}

double Form::Width() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return ToTwipsX(r.right - r.left);
}

double Form::Height() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    return ToTwipsY(r.bottom - r.top);
}

// Each loads the form first: the other three are read from its window.
void Form::Left(double twips)
{
    Load();
    Move(twips, Top(), Width(), Height());
}

void Form::Top(double twips)
{
    Load();
    Move(Left(), twips, Width(), Height());
}

void Form::Width(double twips)
{
    Load();
    Move(Left(), Top(), twips, Height());
}

void Form::Height(double twips)
{
    Load();
    Move(Left(), Top(), Width(), twips);
}

void Form::Move(double left, double top, double width, double height)
{
    Load();
    RECT now{};
    ::GetWindowRect(hWnd(), &now);
    RECT wanted{ToPixelsX(left), ToPixelsY(top), ToPixelsX(left) + ToPixelsX(width), ToPixelsY(top) + ToPixelsY(height)};
    // A top-level move is costly under some window systems: skip the ones that change nothing.
    if (::EqualRect(&now, &wanted)) return;
    ::SetWindowPos(hWnd(), nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

Form::DrawingFreeze::DrawingFreeze(Form& form) : form_(form)
{
    if (form_.freezes_++ == 0 && form_.IsLoaded()) ::SendMessageW(form_.hWnd(), WM_SETREDRAW, FALSE, 0);
}

Form::DrawingFreeze::~DrawingFreeze()
{
    if (--form_.freezes_ == 0 && form_.IsLoaded()) {
        ::SendMessageW(form_.hWnd(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(form_.hWnd(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

double Form::ScaleWidth() const
{
    if (!IsLoaded()) return clientWidth_;
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    return ToTwipsX(r.right);
}

double Form::ScaleHeight() const
{
    if (!IsLoaded()) return clientHeight_;
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    return ToTwipsY(r.bottom);
}

double Form::TextWidth(std::wstring_view text) const
{
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject font(dc.get(), fontHandle_.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return ToTwipsX(size.cx);
}

void Form::RaiseKeyDown(int& keyCode) { Form_KeyDown(keyCode, ShiftNow()); }

UINT_PTR Form::AddTimer(UINT interval, TimerCallback callback, void* context)
{
    UINT_PTR id = nextTimerId_++;
    if (!::SetTimer(hWnd(), id, interval, nullptr)) support::RaiseLastWin32(L"SetTimer");
    timers_.push_back({id, interval, callback, context});
    return id;
}

void Form::RemoveTimer(UINT_PTR id)
{
    if (IsLoaded()) ::KillTimer(hWnd(), id);
    std::erase_if(timers_, [id](const TimerEntry& timer) { return timer.id == id; });
}

void Form::Register(Control* control)
{
    controls_.push_back(control);
}

void Form::Unregister(Control* control) { std::erase(controls_, control); }

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Unload(vbFormControlMenu);
        return 0;
    case WM_ERASEBKGND: {
        RECT r{};
        ::GetClientRect(hWnd(), &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, backBrush_.get());
        return 1;
    }
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        Form_Paint();
        return 0;
    }
    case WM_SIZE:
        Form_Resize();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        int keyCode = static_cast<int>(wParam);
        RaiseKeyDown(keyCode);
        if (keyCode == 0) return 0;
        wParam = static_cast<WPARAM>(keyCode);
        break;
    }
    case WM_TIMER:
        for (const TimerEntry& timer : timers_) {
            if (timer.id == wParam) {
                // A copy: the callback may remove its own timer.
                TimerEntry entry = timer;
                entry.callback(entry.context);
                return 0;
            }
        }
        return 0;
    default:
        break;
    }
    return WindowObject::HandleMessage(message, wParam, lParam);
}

}  // namespace toolkit
