#include "toolkit/label.h"

#include "toolkit/form.h"

#include <utility>

namespace toolkit {

const automation::ClassInfo& Label::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"Label");
        DescribeMembers(made);
        automation::Members<Label>(made).Property(
            L"Caption", [](Label& l) { return support::Variant::Text(l.Caption()); },
            [](Label& l, const VARIANT& v) { l.Caption(automation::ToText(v)); });
        made.Default(L"Caption");
        return made;
    }();
    return info;
}

Label::Label(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

Label::Label(const Label& source, int index)
    : WindowedControl(source, index), caption_(source.caption_), autoSize_(source.autoSize_),
      alignment_(source.alignment_), useMnemonic_(source.useMnemonic_), wordWrap_(source.wordWrap_),
      transparent_(source.transparent_)
{}

const wchar_t* Label::ClassName() const
{
    static const wchar_t* name =
        RegisterToolkitClass(L"ToolkitLabel", 0, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

void Label::Caption(std::wstring caption)
{
    if (caption == caption_) return;
    caption_ = std::move(caption);
    if (!hWnd()) return;
    // The window's text too, so that accessibility tools and other programs can read it.
    ::SetWindowTextW(hWnd(), caption_.c_str());
    if (autoSize_) FitToText();
    Invalidate(true);
}

void Label::AutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    if (hWnd() && autoSize_) FitToText();
}

void Label::Alignment(toolkit::Alignment alignment)
{
    alignment_ = alignment;
    Invalidate(true);
}

void Label::UseMnemonic(bool useMnemonic)
{
    useMnemonic_ = useMnemonic;
    Invalidate(true);
}

void Label::WordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
}

void Label::BackStyleTransparent(bool transparent)
{
    transparent_ = transparent;
}

void Label::OnCreated()
{
    ::SetWindowTextW(hWnd(), caption_.c_str());
    if (autoSize_) FitToText();
}

void Label::OnFontChanged()
{
    if (autoSize_) FitToText();
    Invalidate(true);
}

UINT Label::TextFormat() const
{
    // A tab moves on to the next stop, as in the system's own static text.
    UINT format = (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS;
    if (!useMnemonic_) format |= DT_NOPREFIX;
    if (alignment_ == toolkit::Alignment::Center) format |= DT_CENTER;
    if (alignment_ == toolkit::Alignment::RightJustify) format |= DT_RIGHT;
    return format;
}

void Label::FitToText()
{
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject font(dc.get(), FontHandle());
    RECT bounds{0, 0, wordWrap_ ? PixelWidth() : 0, 0};
    ::DrawTextW(dc.get(), caption_.c_str(), static_cast<int>(caption_.size()), &bounds,
                TextFormat() | DT_CALCRECT);
    SetPixelSize(bounds.right, bounds.bottom);
}

LRESULT Label::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        support::PaintDC paint(hWnd());
        RECT bounds{};
        ::GetClientRect(hWnd(), &bounds);
        OleColor background = transparent_ ? Parent().BackColor() : BackColor();
        support::UniqueBrush brush(::CreateSolidBrush(ToColorRef(background)));
        ::FillRect(paint.get(), &bounds, brush.get());
        support::SelectedObject font(paint.get(), FontHandle());
        ::SetBkMode(paint.get(), TRANSPARENT);
        ::SetTextColor(paint.get(), ToColorRef(Enabled() ? ForeColor() : SystemColor(COLOR_GRAYTEXT)));
        ::DrawTextW(paint.get(), caption_.c_str(), static_cast<int>(caption_.size()), &bounds, TextFormat());
        return 0;
    }
    case WM_SETTEXT:
        // The text is drawn by WM_PAINT alone.
        return ::DefWindowProcW(hWnd(), message, wParam, lParam);
    case WM_LBUTTONDOWN: pressed_ = true; return 0;
    case WM_LBUTTONUP:
        if (std::exchange(pressed_, false) && Click) Click();
        return 0;
    default: return WindowedControl::HandleMessage(message, wParam, lParam);
    }
}

} // namespace toolkit
