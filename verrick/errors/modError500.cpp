#include "verrick/errors/modError500.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "toolkit/twips.h"
#include "verrick/errors/frmError500.h"

#include "support/es.h"
#include "support/handles.h"

namespace verrick::errors {
namespace {

using toolkit::RoundHalfEven;

// One button of a button set: its caption's string in user32, and the text used without it.
struct ButtonSpec {
    UINT stringId;
    const wchar_t* fallback;
    long result;
};

struct ButtonSet {
    std::vector<ButtonSpec> buttons;
    long defaultIndex;
    long cancelIndex;
};

// By Style And 15; sets past 5 have no buttons of their own.
const ButtonSet* ButtonSetOf(long style)
{
    static const ButtonSet kSets[] = {
        {{{800, L"Ok", 1}}, 0, 0},
        {{{800, L"&Ok", 1}, {801, L"&Cancel", 2}}, 0, 1},
        {{{802, L"&Abort", 3}, {803, L"&Retry", 4}, {804, L"&Ignore", 5}}, 1, 0},
        {{{805, L"&Yes", 6}, {806, L"&No", 7}, {801, L"&Cancel", 2}}, 0, 2},
        {{{805, L"&Yes", 6}, {806, L"&No", 7}}, 0, 1},
        {{{803, L"&Retry", 4}, {801, L"&Cancel", 2}}, 0, 1},
    };
    const long set = style & 15;
    return set < 6 ? &kSets[set] : nullptr;
}

struct IconSpec {
    LPCWSTR icon;
    UINT beep;
};

std::optional<IconSpec> IconOf(long style)
{
    switch (style & 240) {
    case MB_ICONHAND: return IconSpec{IDI_HAND, MB_ICONHAND};
    case MB_ICONQUESTION: return IconSpec{IDI_QUESTION, MB_ICONQUESTION};
    case MB_ICONEXCLAMATION: return IconSpec{IDI_EXCLAMATION, MB_ICONEXCLAMATION};
    case MB_ICONASTERISK: return IconSpec{IDI_ASTERISK, MB_ICONASTERISK};
    default: return std::nullopt;
    }
}

double TwipsPerPixelX()
{
    return static_cast<double>(support::esScreenTwipsPerPixelX());
}
double TwipsPerPixelY()
{
    return static_cast<double>(support::esScreenTwipsPerPixelY());
}

void ApplyMessageFont(frmError500& dialog)
{
    // The record without the padded border that Vista added: every system fills this size.
    static_assert(sizeof(NONCLIENTMETRICSW) == 500, "the record of every system's size");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    const LOGFONTW& message = metrics.lfMessageFont;
    support::WindowDC dc(dialog.hWnd());
    const int pixelsPerInch = ::GetDeviceCaps(dc.get(), LOGPIXELSY);
    toolkit::FontSpec font;
    font.Italic = message.lfItalic != 0;
    font.Name = message.lfFaceName;
    // A positive height is a cell height; either way the size is its magnitude in points.
    font.Size = std::abs(::MulDiv(message.lfHeight, 72, pixelsPerInch));
    if (font.Size <= 0) return;
    font.Strikethrough = message.lfStrikeOut != 0;
    font.Underline = message.lfUnderline != 0;
    font.Bold = message.lfWeight > 550;
    font.Charset = RUSSIAN_CHARSET;
    dialog.lblMessage.Font(font);
    dialog.Font(font);
}

void MeasureMessage(frmError500& dialog, const std::wstring& text)
{
    const long maxBottom = support::esScreenHeightPx() - 200;
    RECT bounds{0, 0, support::esScreenWidthPx() - 300, maxBottom};
    support::WindowDC dc(dialog.hWnd());
    support::SelectedObject font(dc.get(), dialog.FontHandle());
    ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &bounds,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
    if (bounds.bottom > maxBottom) bounds.bottom = maxBottom;
    dialog.lblMessage.Width((bounds.right - bounds.left) * TwipsPerPixelX());
    dialog.lblMessage.Height((bounds.bottom - bounds.top) * TwipsPerPixelY());
}

std::wstring LoadUserButtonCaption(UINT id, const wchar_t* fallback)
{
    if (HMODULE user32 = ::GetModuleHandleW(L"User32")) {
        auto buffer = std::make_unique<wchar_t[]>(1024);
        const int length = TimedBoxSystemCalls().loadString(user32, id, buffer.get(), 1024);
        if (length > 0) return std::wstring(buffer.get(), static_cast<size_t>(length));
    }
    return fallback;
}

void ArrangeButtons(frmError500& dialog, size_t count)
{
    auto& button = dialog.cmdButton;
    if (count == 1) {
        button(1).Visible(false);
        button(2).Visible(false);
        button(0).Left(button(2).Left());
    } else if (count == 2) {
        button(2).Visible(false);
        button(0).Left(button(1).Left());
        button(1).Left(button(2).Left());
    }
}

// A given index, or the set's own when none or one past the buttons is given.
long ChooseIndex(long given, long setDefault, size_t count)
{
    return given < 0 || given > static_cast<long>(count) - 1 ? setDefault : given;
}

void SetupButtons(frmError500& dialog, const ButtonSet* set, long defaultIndex, long cancelIndex)
{
    if (!set) {
        // No buttons of its own: the design captions stay and only the countdown shows, on button 0.
        dialog.TimeoutButtonIndex = 0;
        dialog.TimeoutButtonCaption.clear();
        return;
    }
    const size_t count = set->buttons.size();
    for (size_t i = 0; i < count; ++i)
        dialog.cmdButton(static_cast<int>(i))
            .Caption(LoadUserButtonCaption(set->buttons[i].stringId, set->buttons[i].fallback));
    ArrangeButtons(dialog, count);

    const long chosenDefault = ChooseIndex(defaultIndex, set->defaultIndex, count);
    toolkit::CommandButton& defaultButton = dialog.cmdButton(static_cast<int>(chosenDefault));
    dialog.TimeoutButtonCaption = defaultButton.Caption();
    dialog.TimeoutButtonIndex = chosenDefault;
    defaultButton.Default(true);
    // First in tab order too, so that the focus starts there when the dialog shows.
    defaultButton.TabIndex(-1);
    ::SetFocus(defaultButton.hWnd());

    dialog.cmdButton(static_cast<int>(ChooseIndex(cancelIndex, set->cancelIndex, count))).Cancel(true);
}

void ShowIconAndBeep(frmError500& dialog, long style)
{
    if (auto icon = IconOf(style)) {
        // A shared system icon: nothing to destroy.
        if (HICON shared = ::LoadIconW(nullptr, icon->icon))
            ::DrawIcon(dialog.SurfaceDC(), static_cast<int>(dialog.imgIcon.Left / TwipsPerPixelX()),
                       static_cast<int>(dialog.imgIcon.Top / TwipsPerPixelY()), shared);
        TimedBoxSystemCalls().messageBeep(icon->beep);
    } else {
        RemoveIconSpace(dialog);
        TimedBoxSystemCalls().messageBeep(0xFFFFFFFF);
    }
}

void PaintMessage(frmError500& dialog, const std::wstring& text)
{
    const auto& label = dialog.lblMessage;
    const long perPixelX = std::lround(TwipsPerPixelX()), perPixelY = std::lround(TwipsPerPixelY());
    RECT area{};
    ::SetRect(&area, static_cast<int>(std::lround(RoundHalfEven(label.Left())) / perPixelX),
              static_cast<int>(std::lround(RoundHalfEven(label.Top())) / perPixelY),
              static_cast<int>(std::lround(RoundHalfEven(label.Left() + label.Width())) / perPixelX),
              static_cast<int>(std::lround(RoundHalfEven(label.Top() + label.Height())) / perPixelY));
    HDC surface = dialog.SurfaceDC();
    support::SelectedObject font(surface, dialog.FontHandle());
    ::SetBkMode(surface, TRANSPARENT);
    ::SetTextColor(surface, ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(surface, text.c_str(), static_cast<int>(text.size()), &area,
                DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
    dialog.Refresh();
}

} // namespace

TimedBoxSystem& TimedBoxSystemCalls() noexcept
{
    static TimedBoxSystem calls;
    return calls;
}

void RemoveIconSpace(frmError500& dialog)
{
    auto& label = dialog.lblMessage;
    const double shift = RoundHalfEven(label.Left() - 1.5 * label.Top());
    label.Left(label.Left() - shift);
    for (int i = 0; i < 3; ++i)
        dialog.cmdButton(i).Left(dialog.cmdButton(i).Left() - shift);
    dialog.Width(dialog.Width() - shift);
}

void LayoutDialog(frmError500& dialog)
{
    auto& label = dialog.lblMessage;
    const double buttonTop = label.Top() + label.Height() + 2 * label.Top();
    for (int i = 0; i < 3; ++i)
        dialog.cmdButton(i).Top(buttonTop);
    dialog.Height((dialog.Height() - dialog.ScaleHeight()) + buttonTop + dialog.cmdButton(0).Height() +
                  label.Top());
    // Wider by what the text is wider than the design's, never narrower; the
    // width without the icon's place is as short of room as the design's.
    const double grow = RoundHalfEven(label.Width() - 4935);
    if (grow > 0) {
        dialog.Width(dialog.Width() + grow);
        for (int i = 0; i < 3; ++i)
            dialog.cmdButton(i).Left(dialog.cmdButton(i).Left() + grow);
    }
    support::esCenterFormEx(dialog.hWnd(), nullptr);
}

long ShowTimedBox(const std::wstring& text, long style, const std::optional<std::wstring>& title,
                  long defaultButtonIndex, long cancelButtonIndex, long timeoutValue)
{
    // The box stays in front of the window the user was working in, as long as it shows.
    const HWND caller = ::GetActiveWindow();
    auto dialog = std::make_unique<frmError500>();
    dialog->Load();
    ApplyMessageFont(*dialog);
    MeasureMessage(*dialog, text);
    if (!title)
        dialog->Caption(support::esGetThunderMainTitle());
    else
        dialog->Caption(title->empty() ? L" " : *title);
    const ButtonSet* set = ButtonSetOf(style);
    SetupButtons(*dialog, set, defaultButtonIndex, cancelButtonIndex);
    ShowIconAndBeep(*dialog, style);
    LayoutDialog(*dialog);
    PaintMessage(*dialog, text);
    dialog->TimeoutSeconds = timeoutValue < 1 ? 1 : timeoutValue;
    dialog->tmrTimeout.Enabled(true);
    dialog->tmrTimeout_Timer();
    if (caller) ::SetWindowLongPtrW(dialog->hWnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(caller));
    dialog->Show(toolkit::vbModal);
    long result = 0;
    if (set && dialog->ResultIndex >= 0 && dialog->ResultIndex < static_cast<long>(set->buttons.size()))
        result = set->buttons[static_cast<size_t>(dialog->ResultIndex)].result;
    dialog->Unload();
    return result;
}

} // namespace verrick::errors
