#include "toolkit/control.h"

#include <commctrl.h>

#include "toolkit/form.h"
#include "toolkit/twips.h"

#include "support/runtime_error.h"
#include "support/system_library.h"

namespace toolkit {

using automation::Call;
using automation::Members;
using support::Variant;

HCURSOR SystemCursorOf(int mousePointer) noexcept
{
    const wchar_t* id = nullptr;
    switch (mousePointer) {
    case vbArrow: id = IDC_ARROW; break;
    case vbCrosshair: id = IDC_CROSS; break;
    case vbIbeam: id = IDC_IBEAM; break;
    case vbSizeAll: id = IDC_SIZEALL; break;
    case vbSizeNESW: id = IDC_SIZENESW; break;
    case vbSizeNS: id = IDC_SIZENS; break;
    case vbSizeNWSE: id = IDC_SIZENWSE; break;
    case vbSizeWE: id = IDC_SIZEWE; break;
    case vbUpArrow: id = IDC_UPARROW; break;
    case vbHourglass: id = IDC_WAIT; break;
    case vbNoDrop: id = IDC_NO; break;
    case vbArrowHourglass: id = IDC_APPSTARTING; break;
    case vbArrowQuestion: id = IDC_HELP; break;
    default: return nullptr;
    }
    return ::LoadCursorW(nullptr, id);
}

void Control::DescribeMembers(automation::ClassInfo& info)
{
    Members<Control>(info)
        .Property(L"Name", [](Control& c) { return Variant::Text(c.Name()); })
        .Property(L"Index",
                  [](Control& c) {
                      if (c.Index() < 0)
                          support::Raise(support::err::ObjectNotAnArray, L"Object not an array");
                      return Variant::Long(c.Index());
                  })
        .Property(L"Parent", [](Control& c) { return Variant::Object(c.Parent().Dispatch().get()); })
        .Property(
            L"Tag", [](Control& c) { return Variant::Text(c.Tag()); },
            [](Control& c, const VARIANT& v) { c.Tag(automation::ToText(v)); });
}

Control::Control(Form& parent, std::wstring name) : parent_(parent), name_(std::move(name))
{
    parent_.Register(this);
}

Control::Control(const Control& source, int index)
    : parent_(source.parent_), name_(source.name_), index_(index)
{
    parent_.Register(this);
}

Control::~Control()
{
    parent_.Unregister(this);
}

WindowedControl::WindowedControl(Form& parent, std::wstring name)
    : Control(parent, std::move(name)), tabIndex_(parent.nextTabIndex_++)
{}

WindowedControl::WindowedControl(const WindowedControl& source, int index)
    : Control(source, index), left_(source.left_), top_(source.top_), width_(source.width_),
      height_(source.height_), visible_(false), // a new array element starts hidden
      enabled_(source.enabled_), fontSpec_(source.fontSpec_), foreColor_(source.foreColor_),
      backColor_(source.backColor_), tabIndex_(source.Parent().nextTabIndex_++), tabStop_(source.tabStop_),
      mousePointer_(source.mousePointer_), mouseIcon_(source.mouseIcon_), container_(source.container_),
      toolTipText_(source.toolTipText_)
{}

WindowedControl::~WindowedControl()
{
    Detach();
}

void WindowedControl::Attach()
{
    Attach(Spare());
}

void WindowedControl::Attach(Spare reused)
{
    if (hWnd()) return;
    // The container's window holds this one: it comes first, whatever the order of loading.
    if (container_ && !container_->hWnd()) container_->Attach();
    RebuildFont();
    constexpr LONG_PTR kStateBits = WS_VISIBLE | WS_DISABLED;
    if (reused && (::GetWindowLongPtrW(reused.window.get(), GWL_STYLE) & ~kStateBits) !=
                      static_cast<LONG_PTR>(WindowStyle() & ~kStateBits))
        reused = Spare(); // made for another border: a new one is made below
    if (reused) {
        // The window was made with this kind's class and style: it takes this
        // control's place, size, state and font as a new one would. Showing it,
        // now or later, paints it whole; a window still shown where this
        // control goes stays as it is and repaints with the new contents.
        const RECT place = PixelPlace();
        const bool inPlace = reused.shown && visible_ && ::EqualRect(&place, &reused.place);
        AdoptNative(reused.window.release(), reused.baseProc);
        if (!enabled_) ::EnableWindow(hWnd(), FALSE);
        if (inPlace) {
            Invalidate(true);
        } else {
            Parent().LayoutChanging();
            const UINT show = visible_ ? SWP_SHOWWINDOW : reused.shown ? SWP_HIDEWINDOW : 0;
            ::SetWindowPos(hWnd(), nullptr, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | show);
        }
        TakeParts(std::move(reused.parts));
    } else {
        Parent().LayoutChanging();
        DWORD style = WindowStyle() | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED);
        HWND parentWindow = container_ && container_->hWnd() ? container_->hWnd() : Parent().hWnd();
        CreateNative(ClassName(), ExStyle(), style, L"", ToPixelsX(left_), ToPixelsY(top_), ToPixelsX(width_),
                     WindowHeight(ToPixelsY(height_)), parentWindow);
    }
    ::SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    UpdateToolTip();
    OnCreated();
}

WindowedControl::Spare WindowedControl::GiveUpWindow() noexcept
{
    if (!hWnd() || !WindowIsReusable()) return {};
    toolTip_.reset();
    Spare spare;
    spare.shown = Parent().DrawingFrozen() && (::GetWindowLongPtrW(hWnd(), GWL_STYLE) & WS_VISIBLE);
    spare.place = PixelPlace();
    if (!spare.shown) ::ShowWindow(hWnd(), SW_HIDE);
    // A kept window is enabled, as every new one is.
    if (!enabled_) ::EnableWindow(hWnd(), TRUE);
    spare.parts = GiveUpParts();
    spare.baseProc = BaseProc();
    spare.window.reset(ReleaseNative());
    return spare;
}

void WindowedControl::Spare::Hide() noexcept
{
    if (std::exchange(shown, false) && window) ::ShowWindow(window.get(), SW_HIDE);
}

RECT WindowedControl::PixelPlace() const
{
    const int left = ToPixelsX(left_), top = ToPixelsY(top_);
    return {left, top, left + ToPixelsX(width_), top + WindowHeight(ToPixelsY(height_))};
}

void WindowedControl::Detach()
{
    toolTip_.reset();
    if (hWnd()) Parent().LayoutChanging();
    DestroyNative();
}

void WindowedControl::ToolTipText(std::wstring text)
{
    toolTipText_ = std::move(text);
    UpdateToolTip();
}

void WindowedControl::UpdateToolTip()
{
    if (!hWnd()) return;
    if (toolTipText_.empty()) {
        toolTip_.reset();
        return;
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Parent().hWnd();
    tool.uId = reinterpret_cast<UINT_PTR>(hWnd());
    tool.lpszText = toolTipText_.data();
    if (!toolTip_) {
        static const auto initCommonControls = support::SystemFunction<decltype(&::InitCommonControlsEx)>(
            L"comctl32.dll", "InitCommonControlsEx");
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        if (initCommonControls) initCommonControls(&classes);
        toolTip_.reset(::CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Parent().hWnd(), nullptr, nullptr, nullptr));
        if (!toolTip_) support::RaiseLastWin32(L"CreateWindowExW");
        ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        ::SendMessageW(toolTip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void WindowedControl::Move(double left, double top, double width, double height)
{
    bool resized = ToPixelsX(width) != ToPixelsX(width_) || ToPixelsY(height) != ToPixelsY(height_);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (!hWnd()) return;
    Parent().LayoutChanging();
    ::SetWindowPos(hWnd(), nullptr, ToPixelsX(left), ToPixelsY(top), ToPixelsX(width),
                   WindowHeight(ToPixelsY(height)), SWP_NOZORDER | SWP_NOACTIVATE);
    if (resized) OnResized();
}

void WindowedControl::Visible(bool visible)
{
    visible_ = visible;
    // Showing a shown window again costs the window system a request and changes nothing.
    if (hWnd() && ((::GetWindowLongPtrW(hWnd(), GWL_STYLE) & WS_VISIBLE) != 0) != visible) {
        Parent().LayoutChanging();
        ::ShowWindow(hWnd(), visible ? SW_SHOWNA : SW_HIDE);
    }
}

void WindowedControl::Enabled(bool enabled)
{
    enabled_ = enabled;
    if (hWnd()) ::EnableWindow(hWnd(), enabled);
}

FontSpec WindowedControl::Font() const
{
    return fontSpec_ ? *fontSpec_ : Parent().Font();
}

void WindowedControl::Font(const FontSpec& font)
{
    fontSpec_ = font;
    oleFont_.Update(font);
    if (hWnd()) RebuildFont();
}

void WindowedControl::FontBold(bool bold)
{
    FontSpec font = Font();
    if (font.Bold == bold && fontSpec_) return;
    font.Bold = bold;
    Font(font);
}

void WindowedControl::RebuildFont()
{
    font_ = MakeFont(Font());
    if (hWnd()) {
        ::SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        OnFontChanged();
    }
}

void WindowedControl::ForeColor(OleColor color)
{
    foreColor_ = color;
    Invalidate(true);
}

void WindowedControl::BackColor(OleColor color)
{
    backColor_ = color;
    Invalidate(true);
}

void WindowedControl::Invalidate(bool erase) const
{
    if (!hWnd() || !::IsWindowVisible(hWnd())) return;
    if (Parent().DrawingFrozen())
        Parent().RepaintAfterFreeze(hWnd(), erase);
    else
        ::InvalidateRect(hWnd(), nullptr, erase);
}

void WindowedControl::Refresh()
{
    if (!hWnd() || !::IsWindowVisible(hWnd())) return;
    if (Parent().DrawingFrozen()) {
        Parent().RepaintAfterFreeze(hWnd(), false);
        return;
    }
    ::InvalidateRect(hWnd(), nullptr, FALSE);
    ::UpdateWindow(hWnd());
}

bool WindowedControl::CanTakeFocus() const
{
    return TakesFocus() && hWnd() && ::IsWindowVisible(hWnd()) && ::IsWindowEnabled(hWnd());
}

void WindowedControl::SetFocus()
{
    if (!CanTakeFocus())
        support::Raise(support::err::InvalidProcedureCall,
                       L"Invalid procedure call or argument: the control cannot take the focus");
    ::SetFocus(hWnd());
}

void WindowedControl::ZOrder(int position)
{
    if (!hWnd()) return;
    Parent().LayoutChanging();
    ::SetWindowPos(hWnd(), position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowedControl::MousePointer(int pointer)
{
    if (pointer != vbDefault && pointer != vbCustom && !SystemCursorOf(pointer))
        support::Raise(support::err::InvalidPropertyValue);
    mousePointer_ = pointer;
}

LRESULT WindowedControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETCURSOR && mousePointer_ != vbDefault && LOWORD(lParam) == HTCLIENT) {
        HCURSOR cursor = mousePointer_ == vbCustom ? automation::CursorOf(mouseIcon_.get())
                                                   : SystemCursorOf(mousePointer_);
        if (cursor) {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    // The control's own windows tell their font as the system's controls do.
    if (message == WM_GETFONT && font_) return reinterpret_cast<LRESULT>(font_.get());
    return WindowObject::HandleMessage(message, wParam, lParam);
}

void WindowedControl::DescribePlacement(automation::ClassInfo& info)
{
    using automation::ToBool;
    using automation::ToDouble;
    Members<WindowedControl>(info)
        .Property(
            L"Left", [](WindowedControl& c) { return Variant::Single(static_cast<float>(c.Left())); },
            [](WindowedControl& c, const VARIANT& v) { c.Left(ToDouble(v)); })
        .Property(
            L"Top", [](WindowedControl& c) { return Variant::Single(static_cast<float>(c.Top())); },
            [](WindowedControl& c, const VARIANT& v) { c.Top(ToDouble(v)); })
        .Property(
            L"Width", [](WindowedControl& c) { return Variant::Single(static_cast<float>(c.Width())); },
            [](WindowedControl& c, const VARIANT& v) { c.Width(ToDouble(v)); })
        .Property(
            L"Height", [](WindowedControl& c) { return Variant::Single(static_cast<float>(c.Height())); },
            [](WindowedControl& c, const VARIANT& v) { c.Height(ToDouble(v)); })
        .Method(L"Move",
                [](WindowedControl& c, const Call& call) {
                    auto or_ = [&](size_t i, double now) {
                        const VARIANT* v = call.Optional(i);
                        return v ? ToDouble(*v) : now;
                    };
                    c.Move(ToDouble(call.Required(0)), or_(1, c.Top()), or_(2, c.Width()),
                           or_(3, c.Height()));
                    return Variant();
                })
        .Property(
            L"Visible", [](WindowedControl& c) { return Variant::Bool(c.Visible()); },
            [](WindowedControl& c, const VARIANT& v) { c.Visible(ToBool(v)); });
}

void WindowedControl::DescribeMembers(automation::ClassInfo& info)
{
    Control::DescribeMembers(info);
    using automation::ToBool;
    using automation::ToDouble;
    using automation::ToLong;
    DescribePlacement(info);
    Members<WindowedControl>(info)
        .Property(
            L"Enabled", [](WindowedControl& c) { return Variant::Bool(c.Enabled()); },
            [](WindowedControl& c, const VARIANT& v) { c.Enabled(ToBool(v)); })
        .Property(
            L"Font",
            [](WindowedControl& c) {
                WindowedControl* self = &c;
                auto font = c.oleFont_.Get(c.Font(), [self](const FontSpec& wanted) {
                    self->fontSpec_ = wanted;
                    if (self->hWnd()) self->RebuildFont();
                });
                return Variant::Object(font.get());
            },
            [](WindowedControl& c, const VARIANT& v) {
                c.Font(automation::OleFontLink::SpecOf(automation::ToObject(v).get()));
            })
        .Property(
            L"ForeColor", [](WindowedControl& c) { return Variant::Long(static_cast<LONG>(c.ForeColor())); },
            [](WindowedControl& c, const VARIANT& v) { c.ForeColor(static_cast<OleColor>(ToLong(v))); })
        .Property(
            L"BackColor", [](WindowedControl& c) { return Variant::Long(static_cast<LONG>(c.BackColor())); },
            [](WindowedControl& c, const VARIANT& v) { c.BackColor(static_cast<OleColor>(ToLong(v))); })
        .Property(L"hWnd",
                  [](WindowedControl& c) {
                      // A Long holds a window handle in both widths: USER handles
                      // are 32-bit significant on 64-bit Windows too.
                      return Variant::Long(HandleToLong(c.hWnd()));
                  })
        .Property(
            L"TabIndex", [](WindowedControl& c) { return Variant::Long(c.TabIndex()); },
            [](WindowedControl& c, const VARIANT& v) { c.TabIndex(ToLong(v)); })
        .Property(
            L"TabStop", [](WindowedControl& c) { return Variant::Bool(c.TabStop()); },
            [](WindowedControl& c, const VARIANT& v) { c.TabStop(ToBool(v)); })
        .Property(
            L"MousePointer", [](WindowedControl& c) { return Variant::Long(c.MousePointer()); },
            [](WindowedControl& c, const VARIANT& v) { c.MousePointer(ToLong(v)); })
        .Property(
            L"MouseIcon", [](WindowedControl& c) { return Variant::Object(c.MouseIcon().get()); },
            [](WindowedControl& c, const VARIANT& v) { c.MouseIcon(automation::ToObject(v)); })
        .Property(
            L"ToolTipText", [](WindowedControl& c) { return Variant::Text(c.ToolTipText()); },
            [](WindowedControl& c, const VARIANT& v) { c.ToolTipText(automation::ToText(v)); })
        .Method(L"SetFocus",
                [](WindowedControl& c, const Call&) {
                    c.SetFocus();
                    return Variant();
                })
        .Method(L"ZOrder",
                [](WindowedControl& c, const Call& call) {
                    const VARIANT* position = call.Optional(0);
                    c.ZOrder(position ? ToLong(*position) : 0);
                    return Variant();
                })
        .Method(L"Refresh", [](WindowedControl& c, const Call&) {
            c.Refresh();
            return Variant();
        });
}

int WindowedControl::PixelWidth() const
{
    return ToPixelsX(width_);
}
int WindowedControl::PixelHeight() const
{
    return ToPixelsY(height_);
}

void WindowedControl::SetPixelSize(int width, int height)
{
    Move(left_, top_, ToTwipsX(width), ToTwipsY(height));
}

} // namespace toolkit
