#include <doctest.h>

#include "toolkit/combo_box.h"
#include "toolkit/form.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

class ListForm : public Form {
public:
    ListForm() : Form(L"frmList")
    {
        cboMode.Style(vbComboDropdownList);
        for (const wchar_t* item : {L"Занято", L"Свободно", L"Всего"})
            cboMode.AddItem(item);
        cboMode.Click = [this] { ++clicks; };
        cboPath.Move(0, 600, 2400, 315);
    }
    ~ListForm() override { Unload(); }

    ComboBox cboMode{*this, L"cboMode"};
    ComboBox cboPath{*this, L"cboPath"};
    int clicks = 0;
};

} // namespace

TEST_CASE("ComboBox::ListAndSelection")
{
    ListForm form;
    form.cboMode.ListIndex(1);
    form.Show();
    CHECK(::SendMessageW(form.cboMode.hWnd(), CB_GETCOUNT, 0, 0) == 3);
    CHECK(::SendMessageW(form.cboMode.hWnd(), CB_GETCURSEL, 0, 0) == 1);
    CHECK(form.cboMode.Text() == L"Свободно");
    CHECK(form.clicks == 1);

    // A drop-down list takes only its own items as text, without regard to case.
    form.cboMode.Text(L"всего");
    CHECK(form.cboMode.ListIndex() == 2);
    CHECK(ErrorNumberOf([&] { form.cboMode.Text(L"Прочее"); }) == 383);
    CHECK(form.cboMode.ListIndex() == 2);

    form.cboMode.AddItem(L"Первый", 0);
    CHECK(form.cboMode.ListIndex() == 3);
    CHECK(form.cboMode.List(0) == L"Первый");
    CHECK(form.cboMode.List(99).empty());
    form.cboMode.RemoveItem(3);
    CHECK(form.cboMode.ListIndex() == -1);
    CHECK(ErrorNumberOf([&] { form.cboMode.ListIndex(4); }) == 380);

    // A selection made in the window raises Click.
    int before = form.clicks;
    ::SendMessageW(form.cboMode.hWnd(), CB_SETCURSEL, 1, 0);
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(form.cboMode.hWnd()));
    CHECK(form.cboMode.ListIndex() == 1);
    CHECK(form.clicks == before + 1);

    form.cboPath.Text(L"C:\\Temp");
    CHECK(form.cboPath.Text() == L"C:\\Temp");
    CHECK(ErrorNumberOf([&] { form.cboPath.Style(vbComboSimple); }) == 382);
    CHECK((::GetWindowLongW(form.cboMode.hWnd(), GWL_STYLE) & 3) == CBS_DROPDOWNLIST);
    CHECK((::GetWindowLongW(form.cboPath.hWnd(), GWL_STYLE) & 3) == CBS_DROPDOWN);
}

TEST_CASE("ComboBox::MousePointerShowsTheCursor")
{
    ListForm form;
    form.Show();
    HWND box = form.cboMode.hWnd();
    auto cursorOver = [&] {
        ::SetCursor(nullptr);
        ::SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    form.cboMode.MousePointer(vbHourglass);
    CHECK(cursorOver() == ::LoadCursorW(nullptr, IDC_WAIT));

    // vbCustom shows MouseIcon, a picture of an icon.
    support::UniqueIcon icon(::CopyIcon(::LoadCursorW(nullptr, IDC_CROSS)));
    PICTDESC description{sizeof description, PICTYPE_ICON};
    description.icon.hicon = icon.get();
    support::ComPtr<IDispatch> picture;
    REQUIRE(::OleCreatePictureIndirect(&description, IID_IDispatch, FALSE, picture.put_void()) == S_OK);
    form.cboMode.MouseIcon(picture);
    form.cboMode.MousePointer(vbCustom);
    CHECK(cursorOver() == icon.get());

    CHECK(ErrorNumberOf([&] { form.cboMode.MousePointer(42); }) == 380);
    CHECK(form.cboMode.MousePointer() == vbCustom);
    form.Unload();
}
