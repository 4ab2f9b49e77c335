#include "toolkit/frame.h"

#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {

using support::Variant;

Frame::Frame(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name))
{
    TabStop(false);
}

Frame::Frame(const Frame& source, int index)
    : WindowedControl(source, index), caption_(source.caption_), borderStyle_(source.borderStyle_)
{}

const automation::ClassInfo& Frame::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Frame");
        DescribeMembers(made);
        automation::Members<Frame>(made)
            .Property(
                L"Caption", [](Frame& f) { return Variant::Text(f.Caption()); },
                [](Frame& f, const VARIANT& v) { f.Caption(automation::ToText(v)); })
            .Property(
                L"BorderStyle", [](Frame& f) { return Variant::Long(f.BorderStyle()); },
                [](Frame& f, const VARIANT& v) { f.BorderStyle(automation::ToLong(v)); });
        made.Default(L"Caption");
        return made;
    }();
    return info;
}

const wchar_t* Frame::ClassName() const
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitFrame", 0, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

void Frame::Caption(std::wstring caption)
{
    caption_ = std::move(caption);
    if (hWnd()) {
        ::SetWindowTextW(hWnd(), caption_.c_str());
        ::InvalidateRect(hWnd(), nullptr, TRUE);
    }
}

void Frame::BorderStyle(int style)
{
    if (style != 0 && style != 1) support::Raise(support::err::InvalidPropertyValue);
    borderStyle_ = style;
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

bool Frame::Contains(const WindowedControl& control) const noexcept
{
    for (const WindowedControl* c = control.Container(); c; c = c->Container())
        if (c == this) return true;
    return false;
}

LRESULT Frame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    // What the controls inside tell their parent window is meant for the form.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        if (Parent().hWnd()) return ::SendMessageW(Parent().hWnd(), message, wParam, lParam);
        break;
    case WM_CREATE: ::SetWindowTextW(hWnd(), caption_.c_str()); break;
    case WM_ERASEBKGND: {
        RECT bounds{};
        ::GetClientRect(hWnd(), &bounds);
        support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(BackColor())));
        ::FillRect(reinterpret_cast<HDC>(wParam), &bounds, brush.get());
        return 1;
    }
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        if (borderStyle_ == 0) return 0;
        RECT bounds{};
        ::GetClientRect(hWnd(), &bounds);
        support::SelectedObject font(paint.get(), FontHandle());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(paint.get(), &metrics);
        RECT edge = bounds;
        edge.top += metrics.tmHeight / 2;
        ::DrawEdge(paint.get(), &edge, EDGE_ETCHED, BF_RECT);
        if (!caption_.empty()) {
            RECT text{8, 0, bounds.right - 8, metrics.tmHeight};
            support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(BackColor())));
            RECT measured = text;
            ::DrawTextW(paint.get(), caption_.c_str(), static_cast<int>(caption_.size()), &measured,
                        DT_SINGLELINE | DT_CALCRECT);
            measured.left -= 2;
            measured.right += 2;
            ::FillRect(paint.get(), &measured, brush.get());
            ::SetBkMode(paint.get(), TRANSPARENT);
            ::SetTextColor(paint.get(), ToColorRef(ForeColor()));
            ::DrawTextW(paint.get(), caption_.c_str(), static_cast<int>(caption_.size()), &text,
                        DT_SINGLELINE);
        }
        return 0;
    }
    default: break;
    }
    return WindowedControl::HandleMessage(message, wParam, lParam);
}

} // namespace toolkit
