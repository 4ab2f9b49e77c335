#include "toolkit/text_box.h"

#include "toolkit/form.h"

#include "support/keyboard.h"
#include "support/runtime_error.h"

namespace toolkit {
namespace {} // namespace

TextBox::TextBox(Form& parent, std::wstring name) : WindowedControl(parent, std::move(name)) {}

TextBox::TextBox(const TextBox& source, int index)
    : WindowedControl(source, index), text_(source.Text()), multiLine_(source.multiLine_),
      scrollBars_(source.scrollBars_), locked_(source.locked_)
{}

const wchar_t* TextBox::ClassName() const
{
    static const wchar_t* name = RegisterToolkitSuperclass(L"ToolkitTextBox", L"EDIT");
    return name;
}

DWORD TextBox::WindowStyle() const
{
    DWORD style = WindowedControl::WindowStyle() | WS_TABSTOP | ES_LEFT;
    if (!multiLine_) return style | ES_AUTOHSCROLL;
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    // Without a horizontal scroll bar the lines wrap.
    if (scrollBars_ & vbHorizontal) style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (scrollBars_ & vbVertical) style |= WS_VSCROLL;
    return style;
}

void TextBox::OnCreated()
{
    // The text the window starts with is no change.
    creating_ = true;
    ::SetWindowTextW(hWnd(), text_.c_str());
    creating_ = false;
    ::SendMessageW(hWnd(), EM_SETREADONLY, locked_, 0);
}

void TextBox::Detach()
{
    if (hWnd()) text_ = Text();
    WindowedControl::Detach();
}

std::wstring TextBox::Text() const
{
    if (!hWnd()) return text_;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hWnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hWnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TextBox::Text(const std::wstring& text)
{
    text_ = text;
    // The window reports the change (EN_CHANGE) and Change follows from it.
    if (hWnd()) ::SetWindowTextW(hWnd(), text.c_str());
}

void TextBox::MultiLine(bool multiLine)
{
    if (hWnd()) support::Raise(support::err::ReadOnlyAtRunTime, L"Property is read-only at run time");
    multiLine_ = multiLine;
}

void TextBox::ScrollBars(int scrollBars)
{
    if (hWnd()) support::Raise(support::err::ReadOnlyAtRunTime, L"Property is read-only at run time");
    if (scrollBars < vbSBNone || scrollBars > vbBoth) support::Raise(support::err::InvalidPropertyValue);
    scrollBars_ = scrollBars;
}

void TextBox::Locked(bool locked)
{
    locked_ = locked;
    if (hWnd()) ::SendMessageW(hWnd(), EM_SETREADONLY, locked, 0);
}

void TextBox::Selection(DWORD& start, DWORD& end) const
{
    start = end = 0;
    if (hWnd())
        ::SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

long TextBox::SelStart() const
{
    DWORD start, end;
    Selection(start, end);
    return static_cast<long>(start);
}

void TextBox::SelStart(long start)
{
    if (start < 0) support::Raise(support::err::InvalidPropertyValue);
    if (hWnd()) ::SendMessageW(hWnd(), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
}

long TextBox::SelLength() const
{
    DWORD start, end;
    Selection(start, end);
    return static_cast<long>(end - start);
}

void TextBox::SelLength(long length)
{
    if (length < 0) support::Raise(support::err::InvalidPropertyValue);
    DWORD start, end;
    Selection(start, end);
    if (hWnd())
        ::SendMessageW(hWnd(), EM_SETSEL, start, static_cast<LPARAM>(start + static_cast<DWORD>(length)));
}

std::wstring TextBox::SelText() const
{
    DWORD start, end;
    Selection(start, end);
    return Text().substr(start, end - start);
}

void TextBox::SelText(const std::wstring& text)
{
    if (hWnd()) ::SendMessageW(hWnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TextBox::OnCommand(WORD code)
{
    if (code == EN_CHANGE && !creating_ && Change) Change();
}

LRESULT TextBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KeyDown) {
            int keyCode = static_cast<int>(wParam);
            KeyDown(keyCode, support::ShiftState());
            if (keyCode == 0) return 0;
            wParam = static_cast<WPARAM>(keyCode);
        }
        break;
    case WM_CHAR:
        if (KeyPress) {
            int keyAscii = static_cast<int>(wParam);
            KeyPress(keyAscii);
            if (keyAscii == 0) return 0;
            wParam = static_cast<WPARAM>(keyAscii);
        }
        break;
    default: break;
    }
    return WindowedControl::HandleMessage(message, wParam, lParam);
}

const automation::ClassInfo& TextBox::AutomationClass() const
{
    static const automation::ClassInfo info = [] {
        automation::ClassInfo made(L"TextBox");
        DescribeMembers(made);
        using automation::ToBool;
        using automation::ToLong;
        using automation::ToText;
        using support::Variant;
        automation::Members<TextBox>(made)
            .Property(
                L"Text", [](TextBox& t) { return Variant::Text(t.Text()); },
                [](TextBox& t, const VARIANT& v) { t.Text(ToText(v)); })
            .Property(L"MultiLine", [](TextBox& t) { return Variant::Bool(t.MultiLine()); })
            .Property(L"ScrollBars", [](TextBox& t) { return Variant::Long(t.ScrollBars()); })
            .Property(
                L"Locked", [](TextBox& t) { return Variant::Bool(t.Locked()); },
                [](TextBox& t, const VARIANT& v) { t.Locked(ToBool(v)); })
            .Property(
                L"SelStart", [](TextBox& t) { return Variant::Long(t.SelStart()); },
                [](TextBox& t, const VARIANT& v) { t.SelStart(ToLong(v)); })
            .Property(
                L"SelLength", [](TextBox& t) { return Variant::Long(t.SelLength()); },
                [](TextBox& t, const VARIANT& v) { t.SelLength(ToLong(v)); })
            .Property(
                L"SelText", [](TextBox& t) { return Variant::Text(t.SelText()); },
                [](TextBox& t, const VARIANT& v) { t.SelText(ToText(v)); });
        made.Default(L"Text");
        return made;
    }();
    return info;
}

} // namespace toolkit
