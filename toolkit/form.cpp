#include "toolkit/form.h"

#include <algorithm>
#include <utility>

#include "toolkit/application.h"
#include "toolkit/combo_box.h"
#include "toolkit/command_button.h"
#include "toolkit/control.h"
#include "toolkit/twips.h"

#include "support/keyboard.h"
#include "support/runtime_error.h"

namespace toolkit {
namespace {

const wchar_t* FormClass()
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitForm", CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

} // namespace

Form::Form(std::wstring name) : name_(std::move(name)), fontHandle_(MakeFont(font_)) {}

Form::~Form()
{
    if (IsLoaded()) {
        for (Control* control : controls_)
            control->Detach();
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
    oleFont_.Update(font);
}

void Form::Icon(support::UniqueIcon icon)
{
    icon_ = std::move(icon);
    iconSet_ = true;
    if (!IsLoaded()) return;
    ::SendMessageW(hWnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    ::SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
}

void Form::MousePointer(int pointer)
{
    if (pointer != vbDefault && pointer != vbCustom && !SystemCursorOf(pointer))
        support::Raise(support::err::InvalidPropertyValue);
    mousePointer_ = pointer;
}

void Form::BackColor(OleColor color)
{
    backColor_ = color;
    backBrush_.reset(::CreateSolidBrush(ToColorRef(color)));
    if (IsLoaded()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

std::wstring Form::Caption() const
{
    return caption_;
}

void Form::Caption(const std::wstring& caption)
{
    caption_ = caption;
    if (IsLoaded()) ::SetWindowTextW(hWnd(), caption_.c_str());
}

DWORD Form::WindowStyle() const
{
    switch (borderStyle_) {
    case FormBorderStyle::None: return WS_POPUP | WS_CLIPCHILDREN;
    case FormBorderStyle::FixedSingle:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
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
    for (Control* control : std::vector<Control*>(controls_))
        control->Attach();
    if (iconSet_) Icon(std::move(icon_));
    Application::FormLoaded(this);
    Form_Load();
}

void Form::Show(int style, Form* owner)
{
    if (style != vbModeless && style != vbModal) support::Raise(support::err::InvalidProcedureCall);
    if (style == vbModal && Visible() && !modal_)
        support::Raise(support::err::FormAlreadyDisplayed, L"Form already displayed; can't show modally");
    Load();
    if (!IsLoaded()) return;
    if (owner && owner != this && owner->IsLoaded())
        ::SetWindowLongPtrW(hWnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner->hWnd()));
    bool startModal = style == vbModal && !modal_;
    if (startModal) {
        DisableOtherWindows();
        modal_ = true;
    }
    ::ShowWindow(hWnd(), SW_SHOW);
    ::SetForegroundWindow(hWnd());
    if (!::IsChild(hWnd(), ::GetFocus())) MoveFocus(true);
    if (!startModal) return;
    MSG message;
    while (modal_ && IsLoaded() && ::IsWindowVisible(hWnd())) {
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The outer loop must see the quit as well.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Application::Dispatch(message);
    }
    EndModal();
}

namespace {

struct ModalWalk {
    HWND modal;
    std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOtherWindow(HWND window, LPARAM context)
{
    auto& walk = *reinterpret_cast<ModalWalk*>(context);
    if (window == walk.modal || ::GetWindow(window, GW_OWNER) == walk.modal || !::IsWindowEnabled(window))
        return TRUE;
    // The caller's windows, whoever made them, and every form of the program, shown or not.
    if (::IsWindowVisible(window) || dynamic_cast<Form*>(WindowObject::FromHandle(window))) {
        ::EnableWindow(window, FALSE);
        walk.disabled->push_back(window);
    }
    return TRUE;
}

} // namespace

void Form::DisableOtherWindows()
{
    ModalWalk walk{hWnd(), &disabledByModal_};
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableOtherWindow, reinterpret_cast<LPARAM>(&walk));
}

void Form::EndModal()
{
    if (!modal_) return;
    modal_ = false;
    // Enabled again before this form hides, so that activation returns to them.
    for (HWND window : disabledByModal_)
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    disabledByModal_.clear();
}

void Form::Hide()
{
    EndModal();
    if (IsLoaded()) ::ShowWindow(hWnd(), SW_HIDE);
}

bool Form::Visible() const noexcept
{
    return IsLoaded() && ::IsWindowVisible(hWnd());
}

bool Form::Enabled() const noexcept
{
    return IsLoaded() && ::IsWindowEnabled(hWnd());
}

void Form::Enabled(bool enabled)
{
    Load();
    ::EnableWindow(hWnd(), enabled);
}

void Form::SetFocus()
{
    if (!Visible() || !Enabled()) support::Raise(support::err::InvalidProcedureCall);
    ::SetForegroundWindow(hWnd());
    ::SetActiveWindow(hWnd());
}

void Form::ZOrder(int position)
{
    Load();
    ::SetWindowPos(hWnd(), position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Form::QueryUnload(int mode)
{
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    return cancel == 0;
}

bool Form::Unload(UnloadMode mode)
{
    if (!IsLoaded() || unloading_) return true;
    if (!QueryUnload(mode)) return false;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel) return false;
    EndModal();
    unloading_ = true;
    for (Control* control : std::vector<Control*>(controls_))
        control->Detach();
    for (ControlArrayBase* array : std::vector<ControlArrayBase*>(arrays_))
        array->UnloadRunTimeElements();
    for (const TimerEntry& timer : timers_)
        ::KillTimer(hWnd(), timer.id);
    timers_.clear();
    Application::FormUnloaded(this);
    DestroyNative();
    unloading_ = false;
    return true;
}

// Each reads the twips last set while the window is still where they put it,
// so a value with a fraction of a pixel reads back exactly.
double Form::Left() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    if (placement_ && ::EqualRect(&r, &placement_->pixels)) return placement_->left;
    return ToTwipsX(r.left);
}

double Form::Top() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    if (placement_ && ::EqualRect(&r, &placement_->pixels)) return placement_->top;
    return ToTwipsY(r.top);
}

double Form::Width() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    if (placement_ && ::EqualRect(&r, &placement_->pixels)) return placement_->width;
    return ToTwipsX(r.right - r.left);
}

double Form::Height() const
{
    RECT r{};
    ::GetWindowRect(hWnd(), &r);
    if (placement_ && ::EqualRect(&r, &placement_->pixels)) return placement_->height;
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
    RECT wanted{ToPixelsX(left), ToPixelsY(top), ToPixelsX(left) + ToPixelsX(width),
                ToPixelsY(top) + ToPixelsY(height)};
    // A top-level move is costly under some window systems: skip the ones that change nothing.
    if (!::EqualRect(&now, &wanted)) {
        LayoutChanging();
        ::SetWindowPos(hWnd(), nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                       wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    placement_ = Placement{left, top, width, height, wanted};
}

Form::DrawingFreeze::DrawingFreeze(Form& form) : form_(form)
{
    ++form_.freezes_;
}

void Form::RepaintAfterFreeze(HWND window, bool erase)
{
    if (redrawOff_) return; // the whole form repaints
    auto found = std::find_if(pendingRepaints_.begin(), pendingRepaints_.end(),
                              [window](const PendingRepaint& p) { return p.window == window; });
    if (found == pendingRepaints_.end())
        pendingRepaints_.push_back({window, erase});
    else
        found->erase = found->erase || erase;
}

void Form::LayoutChanging() noexcept
{
    if (freezes_ > 0 && !redrawOff_ && IsLoaded() && ::IsWindowVisible(hWnd())) {
        ::SendMessageW(hWnd(), WM_SETREDRAW, FALSE, 0);
        redrawOff_ = true;
    }
}

Form::DrawingFreeze::~DrawingFreeze()
{
    if (form_.freezes_ > 1) {
        --form_.freezes_;
        return;
    }
    for (ControlArrayBase* array : form_.arrays_)
        array->HideSpareWindows();
    form_.freezes_ = 0;
    const std::vector<PendingRepaint> pending = std::exchange(form_.pendingRepaints_, {});
    if (std::exchange(form_.redrawOff_, false)) {
        if (!form_.IsLoaded()) return;
        ::SendMessageW(form_.hWnd(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(form_.hWnd(), nullptr, nullptr,
                       RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    } else {
        for (const PendingRepaint& repaint : pending)
            if (::IsWindow(repaint.window)) ::InvalidateRect(repaint.window, nullptr, repaint.erase);
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

void Form::RaiseKeyDown(int& keyCode)
{
    Form_KeyDown(keyCode, support::ShiftState());
}

std::vector<WindowedControl*> Form::TabOrder() const
{
    std::vector<WindowedControl*> order;
    for (Control* control : controls_)
        if (auto* windowed = dynamic_cast<WindowedControl*>(control); windowed && windowed->TabStop())
            order.push_back(windowed);
    std::stable_sort(order.begin(), order.end(),
                     [](WindowedControl* a, WindowedControl* b) { return a->TabIndex() < b->TabIndex(); });
    return order;
}

bool Form::MoveFocus(bool forward)
{
    std::vector<WindowedControl*> order = TabOrder();
    std::erase_if(order, [](WindowedControl* c) { return !c->CanTakeFocus(); });
    if (order.empty()) return false;
    HWND focus = ::GetFocus();
    auto current = std::find_if(order.begin(), order.end(), [focus](WindowedControl* c) {
        return c->hWnd() == focus || ::IsChild(c->hWnd(), focus);
    });
    size_t next = 0;
    if (current == order.end()) {
        next = forward ? 0 : order.size() - 1;
    } else {
        size_t at = static_cast<size_t>(current - order.begin());
        next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    order[next]->SetFocus();
    return true;
}

bool Form::HandleDialogKey(int keyCode, int shift)
{
    if (shift & (vbCtrlMask | vbAltMask)) return false;
    HWND focus = ::GetFocus();
    WindowedControl* focused = nullptr;
    for (Control* control : controls_)
        if (auto* windowed = dynamic_cast<WindowedControl*>(control);
            windowed && windowed->hWnd() && (windowed->hWnd() == focus || ::IsChild(windowed->hWnd(), focus)))
            focused = windowed;
    // An open drop-down list takes Enter and Esc itself.
    if (auto* combo = dynamic_cast<ComboBox*>(focused);
        combo && (keyCode == VK_RETURN || keyCode == VK_ESCAPE) &&
        ::SendMessageW(combo->hWnd(), CB_GETDROPPEDSTATE, 0, 0))
        return false;
    auto usable = [](CommandButton* button) {
        return button && button->Enabled() && button->Visible() && button->hWnd();
    };
    auto find = [&](bool wantDefault) -> CommandButton* {
        for (Control* control : controls_)
            if (auto* button = dynamic_cast<CommandButton*>(control);
                usable(button) && (wantDefault ? button->Default() : button->Cancel()))
                return button;
        return nullptr;
    };
    switch (keyCode) {
    case VK_RETURN: {
        auto* button = dynamic_cast<CommandButton*>(focused);
        if (!usable(button)) button = find(true);
        if (!button) return false;
        button->Value(true);
        return true;
    }
    case VK_ESCAPE: {
        CommandButton* button = find(false);
        if (!button) return false;
        button->Value(true);
        return true;
    }
    case VK_TAB: return MoveFocus((shift & vbShiftMask) == 0);
    default: return false;
    }
}

void Form::FilledBox(double x1, double y1, double x2, double y2, OleColor color)
{
    if (!paintDC_) return;
    RECT box{ToPixelsX(std::min(x1, x2)), ToPixelsY(std::min(y1, y2)), ToPixelsX(std::max(x1, x2)),
             ToPixelsY(std::max(y1, y2))};
    support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(color)));
    ::FillRect(paintDC_, &box, brush.get());
}

void Form::Refresh()
{
    if (!IsLoaded()) return;
    ::RedrawWindow(hWnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

void Form::DrawLightweightControls(HDC dc)
{
    for (Control* control : controls_)
        control->Draw(dc);
}

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

void Form::Unregister(Control* control)
{
    std::erase(controls_, control);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: Unload(vbFormControlMenu); return 0;
    case WM_QUERYENDSESSION: return QueryUnload(vbAppWindows) ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wParam) Unload(vbAppWindows);
        return 0;
    case WM_DESTROY:
        // Destroyed with its owner rather than unloaded: the program no longer counts it.
        if (!unloading_) {
            EndModal();
            Application::FormUnloaded(this);
        }
        break;
    case WM_COMMAND:
        if (lParam) {
            if (auto* control = dynamic_cast<WindowedControl*>(FromHandle(reinterpret_cast<HWND>(lParam)))) {
                control->OnCommand(HIWORD(wParam));
                return 0;
            }
        }
        break;
    case WM_ACTIVATE:
        // The focused control is remembered on the way out and given back on the way in.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = ::GetFocus(); ::IsChild(hWnd(), focus)) lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (lastFocus_ && ::IsChild(hWnd(), lastFocus_) && ::IsWindowVisible(lastFocus_) &&
            ::IsWindowEnabled(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        if (MoveFocus(true)) return 0;
        break;
    case WM_SETCURSOR:
        if (mousePointer_ != vbDefault && reinterpret_cast<HWND>(wParam) == hWnd() &&
            LOWORD(lParam) == HTCLIENT) {
            if (HCURSOR cursor = SystemCursorOf(mousePointer_)) {
                ::SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_ERASEBKGND: {
        RECT r{};
        ::GetClientRect(hWnd(), &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, backBrush_.get());
        return 1;
    }
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        paintDC_ = paint.get();
        // The device context is the paint's only while it lasts, even when the event throws.
        struct PaintEnd {
            HDC& current;
            ~PaintEnd() { current = nullptr; }
        } end{paintDC_};
        Form_Paint();
        DrawLightweightControls(paint.get());
        return 0;
    }
    case WM_SIZE: Form_Resize(); break;
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
    default: break;
    }
    return WindowObject::HandleMessage(message, wParam, lParam);
}

} // namespace toolkit
