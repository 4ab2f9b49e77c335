#include <doctest.h>

#include "toolkit/combo_box.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/list_box.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

class ListForm : public Form {
public:
    ListForm() : Form(L"frmLists")
    {
        for (const wchar_t* item : {L"C:", L"D:", L"E:"})
            lstDrives.AddItem(item);
        lstDrives.Click = [this] { ++listClicks; };
        cboDrive.Move(0, 1800, 2400, 315);
        cboDrive.Click = [this] { ++comboClicks; };
    }
    ~ListForm() override { Unload(); }

    std::wstring WindowItem(int index) const
    {
        wchar_t text[64]{};
        ::SendMessageW(lstDrives.hWnd(), LB_GETTEXT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(text));
        return text;
    }

    ListBox lstDrives{*this, L"lstDrives"};
    ComboBox cboDrive{*this, L"cboDrive"};
    int listClicks = 0;
    int comboClicks = 0;
};

} // namespace

TEST_CASE("ListBox::ItemsFollowTheWindow")
{
    ListForm form;
    form.lstDrives.ListIndex(1);
    form.Show();
    HWND list = form.lstDrives.hWnd();
    REQUIRE(list);
    CHECK(::SendMessageW(list, LB_GETCOUNT, 0, 0) == 3);
    CHECK(::SendMessageW(list, LB_GETCURSEL, 0, 0) == 1);
    CHECK(form.lstDrives.Text() == L"D:");

    // An item put before the selection moves it down with its item.
    form.lstDrives.AddItem(L"A:", 0);
    CHECK(form.lstDrives.ListIndex() == 2);
    CHECK(form.WindowItem(0) == L"A:");
    CHECK(::SendMessageW(list, LB_GETCURSEL, 0, 0) == 2);

    // Replacing the selected item keeps it selected.
    form.lstDrives.List(2, L"F:");
    CHECK(form.lstDrives.Text() == L"F:");
    CHECK(form.WindowItem(2) == L"F:");
    CHECK(::SendMessageW(list, LB_GETCURSEL, 0, 0) == 2);
    CHECK(::SendMessageW(list, LB_GETCOUNT, 0, 0) == 4);

    CHECK(ErrorNumberOf([&] { form.lstDrives.AddItem(L"Z:", 5); }) == 5);
    CHECK(ErrorNumberOf([&] { form.lstDrives.RemoveItem(4); }) == 5);
    CHECK(ErrorNumberOf([&] { form.lstDrives.List(-1, L"Z:"); }) == 5);
    CHECK(ErrorNumberOf([&] { form.lstDrives.ListIndex(4); }) == 380);
    CHECK(form.lstDrives.List(4).empty());

    // Removing an item above the selection moves it up; removing the selection clears it.
    form.lstDrives.RemoveItem(0);
    CHECK(form.lstDrives.ListIndex() == 1);
    form.lstDrives.RemoveItem(1);
    CHECK(form.lstDrives.ListIndex() == -1);
    CHECK(form.lstDrives.Text().empty());
    CHECK(::SendMessageW(list, LB_GETCOUNT, 0, 0) == 2);

    // The items outlive the window: a new load shows them again.
    form.Unload();
    form.lstDrives.AddItem(L"G:");
    form.Show();
    CHECK(::SendMessageW(form.lstDrives.hWnd(), LB_GETCOUNT, 0, 0) == 3);
    CHECK(form.WindowItem(2) == L"G:");

    form.lstDrives.Clear();
    CHECK(form.lstDrives.ListCount() == 0);
    CHECK(form.lstDrives.ListIndex() == -1);
    CHECK(::SendMessageW(form.lstDrives.hWnd(), LB_GETCOUNT, 0, 0) == 0);
}

TEST_CASE("ListBox::ClickOnSelection")
{
    ListForm form;
    form.cboDrive.AddItem(L"C:");
    form.cboDrive.AddItem(L"D:");
    form.Show();

    // A list box clicks on every selection from code, the same item again included,
    // and not when it is cleared; a combo box only when the selection changes.
    form.lstDrives.ListIndex(0);
    form.lstDrives.ListIndex(0);
    CHECK(form.listClicks == 2);
    form.lstDrives.ListIndex(-1);
    CHECK(form.listClicks == 2);
    form.cboDrive.ListIndex(1);
    form.cboDrive.ListIndex(1);
    CHECK(form.comboClicks == 1);
    form.cboDrive.ListIndex(-1);
    CHECK(form.comboClicks == 2);

    // A selection made in the window raises Click and is read back.
    ::SendMessageW(form.lstDrives.hWnd(), LB_SETCURSEL, 2, 0);
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(form.lstDrives.hWnd()));
    CHECK(form.lstDrives.ListIndex() == 2);
    CHECK(form.listClicks == 3);
}

TEST_CASE("ListBox::ArrayElementCopiesTheItems")
{
    class ArrayForm : public Form {
    public:
        ArrayForm() : Form(L"frmListArray")
        {
            lstPaths(0).AddItem(L"C:\\");
            lstPaths(0).AddItem(L"D:\\");
            lstPaths(0).ListIndex(1);
        }
        ~ArrayForm() override { Unload(); }
        ControlArray<ListBox> lstPaths{*this, L"lstPaths"};
    } form;
    form.Show();
    form.lstPaths.Load(1);
    CHECK(form.lstPaths(1).ListCount() == 2);
    CHECK(form.lstPaths(1).List(1) == L"D:\\");
    CHECK(form.lstPaths(1).ListIndex() == -1);
    CHECK(::SendMessageW(form.lstPaths(1).hWnd(), LB_GETCOUNT, 0, 0) == 2);
}
