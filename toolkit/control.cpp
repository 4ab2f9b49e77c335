#include "toolkit/control.h"

#include "toolkit/form.h"
#include "toolkit/twips.h"

namespace toolkit {

Control::Control(Form& parent, std::wstring name) : parent_(parent), name_(std::move(name))
{
    parent_.Register(this);
}

Control::Control(const Control& source, int index) : parent_(source.parent_), name_(source.name_), index_(index)
{
    parent_.Register(this);
}

Control::~Control() { parent_.Unregister(this); }

WindowedControl::WindowedControl(Form& parent, std::wstring name) : Control(parent, std::move(name)) {}

WindowedControl::WindowedControl(const WindowedControl& source, int index)
    : Control(source, index),
      left_(source.left_),
      top_(source.top_),
      width_(source.width_),
      height_(source.height_),
      visible_(false),  // a new array element starts hidden
      enabled_(source.enabled_),
      fontSpec_(source.fontSpec_),
      foreColor_(source.foreColor_),
      backColor_(source.backColor_)
{
}

WindowedControl::~WindowedControl() { Detach(); }

void WindowedControl::Attach()
{
    if (hWnd()) return;
    RebuildFont();
    DWORD style = Style() | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED);
    CreateNative(ClassName(), ExStyle(), style, L"", ToPixelsX(left_), ToPixelsY(top_), ToPixelsX(width_),
                 ToPixelsY(height_), Parent().hWnd());
    ::SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    OnCreated();
}

void WindowedControl::Detach() { DestroyNative(); }

void WindowedControl::Move(double left, double top, double width, double height)
{
    bool resized = ToPixelsX(width) != ToPixelsX(width_) || ToPixelsY(height) != ToPixelsY(height_);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (!hWnd()) return;
    ::SetWindowPos(hWnd(), nullptr, ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (resized) OnResized();
}

void WindowedControl::Visible(bool visible)
{
    visible_ = visible;
    if (hWnd()) ::ShowWindow(hWnd(), visible ? SW_SHOWNA : SW_HIDE);
}

void WindowedControl::Enabled(bool enabled)
{
    enabled_ = enabled;
    if (hWnd()) ::EnableWindow(hWnd(), enabled);
}

FontSpec WindowedControl::Font() const { return fontSpec_ ? *fontSpec_ : Parent().Font(); }

void WindowedControl::Font(const FontSpec& font)
{
    fontSpec_ = font;
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
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void WindowedControl::BackColor(OleColor color)
{
    backColor_ = color;
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void WindowedControl::Refresh()
{
    if (!hWnd()) return;
    ::InvalidateRect(hWnd(), nullptr, FALSE);
    ::UpdateWindow(hWnd());
}

int WindowedControl::PixelWidth() const { return ToPixelsX(width_); }
int WindowedControl::PixelHeight() const { return ToPixelsY(height_); }

void WindowedControl::SetPixelSize(int width, int height) { Move(left_, top_, ToTwipsX(width), ToTwipsY(height)); }

}  // namespace toolkit
