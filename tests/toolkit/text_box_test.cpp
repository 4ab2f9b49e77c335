#include <doctest.h>

#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/text_box.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

class EditForm : public Form {
public:
    EditForm() : Form(L"frmEdit")
    {
        txtPaths.Move(60, 60, 3000, 1500);
        txtPaths.MultiLine(true);
        txtPaths.ScrollBars(vbBoth);
        txtName.Move(60, 1700, 3000, 375);
    }
    ~EditForm() override { Unload(); }

    TextBox txtPaths{*this, L"txtPaths"};
    TextBox txtName{*this, L"txtName"};
};

void Post(HWND window, UINT message, WPARAM wParam)
{
    ::PostMessageW(window, message, wParam, 1);
    PumpMessages();
}

} // namespace

TEST_CASE("TextBox::KeyPressCanDiscardOrReplaceTheCharacter")
{
    EditForm form;
    std::vector<int> keys;
    form.txtName.KeyPress = [&](int& keyAscii) {
        keys.push_back(keyAscii);
        if (keyAscii == 'x') keyAscii = 0;
        if (keyAscii == 'a') keyAscii = 'b';
    };
    form.Show();
    for (wchar_t c : std::wstring(L"axc"))
        Post(form.txtName.hWnd(), WM_CHAR, c);
    CHECK(form.txtName.Text() == L"bc");
    CHECK(keys == std::vector<int>{'a', 'x', 'c'});
}

TEST_CASE("TextBox::KeyDownCanCancelTheKey")
{
    EditForm form;
    int shiftSeen = -1;
    form.txtName.KeyDown = [&](int& keyCode, int shift) {
        shiftSeen = shift;
        if (keyCode == VK_DELETE) keyCode = 0;
    };
    form.Show();
    form.txtName.Text(L"abc");
    form.txtName.SelStart(0);
    Post(form.txtName.hWnd(), WM_KEYDOWN, VK_DELETE);
    CHECK(form.txtName.Text() == L"abc");
    CHECK(shiftSeen == 0);

    // The same key without the handler deletes.
    form.txtName.KeyDown = nullptr;
    Post(form.txtName.hWnd(), WM_KEYDOWN, VK_DELETE);
    CHECK(form.txtName.Text() == L"bc");
}

TEST_CASE("TextBox::SelectionAndLockedText")
{
    EditForm form;
    int changes = 0;
    form.txtName.Change = [&] { ++changes; };
    form.txtName.Text(L"Диск C:");
    form.Show();
    CHECK(form.txtName.Text() == L"Диск C:");

    form.txtName.Text(L"Диск D: данные");
    CHECK(changes == 1);
    form.txtName.SelStart(5);
    form.txtName.SelLength(2);
    CHECK(form.txtName.SelStart() == 5);
    CHECK(form.txtName.SelLength() == 2);
    CHECK(form.txtName.SelText() == L"D:");
    form.txtName.SelText(L"E:");
    CHECK(form.txtName.Text() == L"Диск E: данные");
    CHECK(changes == 2);
    CHECK(ErrorNumberOf([&] { form.txtName.SelLength(-1); }) == 380);

    form.txtName.Locked(true);
    Post(form.txtName.hWnd(), WM_CHAR, L'z');
    CHECK(form.txtName.Text() == L"Диск E: данные");
    form.txtName.Locked(false);
    Post(form.txtName.hWnd(), WM_CHAR, L'z');
    CHECK(form.txtName.Text() != L"Диск E: данные");

    // The text outlives the window.
    std::wstring text = form.txtName.Text();
    form.Unload();
    CHECK(form.txtName.Text() == text);
}

TEST_CASE("TextBox::MultiLineWithScrollBars")
{
    EditForm form;
    form.Show();
    LONG style = ::GetWindowLongW(form.txtPaths.hWnd(), GWL_STYLE);
    CHECK((style & ES_MULTILINE) != 0);
    CHECK((style & WS_HSCROLL) != 0);
    CHECK((style & WS_VSCROLL) != 0);
    CHECK((::GetWindowLongW(form.txtName.hWnd(), GWL_STYLE) & ES_MULTILINE) == 0);

    // Enter starts a new line when the form has no default button.
    form.txtPaths.Text(L"C:\\Temp");
    form.txtPaths.SelStart(7);
    Post(form.txtPaths.hWnd(), WM_CHAR, L'\r');
    Post(form.txtPaths.hWnd(), WM_CHAR, L'D');
    CHECK(form.txtPaths.Text() == L"C:\\Temp\r\nD");

    // Both are fixed once the window exists.
    CHECK(ErrorNumberOf([&] { form.txtPaths.MultiLine(false); }) == 382);
    CHECK(ErrorNumberOf([&] { form.txtPaths.ScrollBars(vbSBNone); }) == 382);
    form.Unload();
    CHECK(ErrorNumberOf([&] { form.txtPaths.ScrollBars(4); }) == 380);
}
