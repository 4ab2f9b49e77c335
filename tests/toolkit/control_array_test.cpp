#include <doctest.h>

#include <vector>

#include "leak_probe.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/picture_box.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

struct LabelsForm {
    LabelsForm()
    {
        labels(0).Move(60, 120, 2235, 255);
        labels(0).Caption(L"Диск C:");
        labels(0).ForeColor(RGB(0, 0, 128));
    }
    ~LabelsForm() { form.Unload(); }

    Form form{L"frmArray"};
    ControlArray<Label> labels{form, L"lblRow"};
};

} // namespace

TEST_CASE("ControlArray::LoadCopiesTheLowestElement")
{
    LabelsForm f;
    f.form.Show();
    Label& row = f.labels.Load(3);
    CHECK(row.Index() == 3);
    CHECK(row.Caption() == L"Диск C:");
    CHECK(row.ForeColor() == RGB(0, 0, 128));
    CHECK(row.Width() == 2235);
    CHECK_FALSE(row.Visible());
    REQUIRE(::IsWindow(row.hWnd()));
    CHECK(::GetParent(row.hWnd()) == f.form.hWnd());
    CHECK_FALSE(::IsWindowVisible(row.hWnd()));

    // The copy takes the lowest element as it is now, not as it was designed.
    f.labels(0).Caption(L"нулевой");
    CHECK(f.labels.Load(5).Caption() == L"нулевой");
}

TEST_CASE("ControlArray::Errors")
{
    LabelsForm f;
    f.form.Show();
    f.labels.Load(1);
    HWND design = f.labels(0).hWnd();
    CHECK(ErrorNumberOf([&] { f.labels.Load(1); }) == 360);
    CHECK(ErrorNumberOf([&] { f.labels.Unload(0); }) == 362);
    CHECK(f.labels.Exists(0));
    CHECK(::IsWindow(design));
    CHECK(ErrorNumberOf([&] { f.labels.Unload(2); }) == 340);
    CHECK(ErrorNumberOf([&] { f.labels(2); }) == 340);
    CHECK(f.labels.Count() == 2);
}

TEST_CASE("ControlArray::BoundsFollowLoadsAndUnloads")
{
    LabelsForm f;
    f.form.Show();
    f.labels.Load(2);
    f.labels.Load(7);
    CHECK(f.labels.UBound() == 7);
    CHECK(f.labels.Count() == 3);

    HWND seventh = f.labels(7).hWnd();
    f.labels.Unload(7);
    // Its window is out of sight and no longer a control's.
    CHECK_FALSE(::IsWindowVisible(seventh));
    CHECK(WindowObject::FromHandle(seventh) == nullptr);
    CHECK_FALSE(f.labels.Exists(7));
    CHECK(f.labels.UBound() == 2);
    CHECK(f.labels.Count() == 2);
    CHECK(f.labels.LBound() == 0);
}

TEST_CASE("ControlArray::LoadedBeforeItsForm")
{
    LabelsForm f;
    Label& row = f.labels.Load(1);
    CHECK(row.hWnd() == nullptr);
    f.form.Load();
    REQUIRE(row.hWnd() != nullptr);
    CHECK(::GetParent(row.hWnd()) == f.form.hWnd());
    CHECK_FALSE(::IsWindowVisible(row.hWnd()));
}

TEST_CASE("ControlArray::RunTimeElementsGoWithTheForm")
{
    LabelsForm f;
    f.form.Show();
    f.labels.Load(1);
    f.labels.Load(2);
    f.form.Unload();
    CHECK(f.labels.Count() == 1);
    CHECK(f.labels(0).Caption() == L"Диск C:");

    f.form.Show();
    CHECK(f.labels(0).hWnd() != nullptr);
    CHECK(ErrorNumberOf([&] { f.labels.Load(1); }) == 0);
}

TEST_CASE("ControlArray::AReloadedElementIsNewInTheSameWindow")
{
    LabelsForm f;
    f.form.Show();
    Label& row = f.labels.Load(4);
    HWND window = row.hWnd();
    RECT fresh{};
    ::GetWindowRect(window, &fresh);
    row.Caption(L"старый");
    row.ForeColor(RGB(255, 0, 0));
    row.Move(10, 10, 500, 600);
    row.Enabled(false);
    row.Visible(true);
    f.labels.Unload(4);
    const int windows = CountWindows();

    Label& again = f.labels.Load(4);
    CHECK(again.hWnd() == window);
    CHECK(CountWindows() == windows);
    CHECK(WindowObject::FromHandle(window) == &again);
    // Everything as a new copy of the lowest element has it.
    CHECK(again.Caption() == L"Диск C:");
    CHECK(again.ForeColor() == RGB(0, 0, 128));
    CHECK(again.Width() == 2235);
    CHECK_FALSE(again.Visible());
    CHECK_FALSE(::IsWindowVisible(window));
    CHECK(::IsWindowEnabled(window));
    RECT now{};
    ::GetWindowRect(window, &now);
    CHECK(::EqualRect(&now, &fresh));
    again.Visible(true);
    CHECK(::IsWindowVisible(window));

    // Another index makes a window of its own; the form takes the kept ones when it unloads.
    HWND fifth = f.labels.Load(5).hWnd();
    CHECK(fifth != window);
    f.labels.Unload(5);
    REQUIRE(::IsWindow(fifth));
    f.form.Unload();
    CHECK_FALSE(::IsWindow(fifth));
    CHECK_FALSE(::IsWindow(window));
}

namespace {

// Position changes that reach the form's child windows while it is watched.
HWND watchedForm = nullptr;
int childPositionChanges = 0;
LRESULT CALLBACK CountChildPositionChanges(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_WINDOWPOSCHANGED &&
        ::GetParent(message->hwnd) == watchedForm)
        ++childPositionChanges;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_CASE("ControlArray::APreparedElementStartsInPlaceInOneStep")
{
    LabelsForm f;
    f.form.Show();
    watchedForm = f.form.hWnd();
    HHOOK hook =
        ::SetWindowsHookExW(WH_CALLWNDPROC, CountChildPositionChanges, nullptr, ::GetCurrentThreadId());
    REQUIRE(hook);
    auto prepare = [](Label& row) {
        row.Top(120 + 4 * 360);
        row.Visible(true);
    };
    auto checkPlaced = [&](Label& row) {
        CHECK(row.Top() == 120 + 4 * 360);
        CHECK(row.Visible());
        CHECK(::IsWindowVisible(row.hWnd()));
        RECT r{};
        ::GetWindowRect(row.hWnd(), &r);
        ::MapWindowPoints(nullptr, f.form.hWnd(), reinterpret_cast<POINT*>(&r), 2);
        CHECK(r.top == (120 + 4 * 360) / 15);
    };

    SUBCASE("a new window")
    {
        checkPlaced(f.labels.Load(4, prepare));
    }
    SUBCASE("the window an unloaded element left: one move that shows it")
    {
        f.labels.Load(4);
        f.labels.Unload(4);
        childPositionChanges = 0;
        Label& row = f.labels.Load(4, prepare);
        CHECK(childPositionChanges == 1);
        checkPlaced(row);
        // Showing a shown element again asks nothing of the window.
        childPositionChanges = 0;
        row.Visible(true);
        CHECK(childPositionChanges == 0);
        row.Visible(false);
        CHECK_FALSE(::IsWindowVisible(row.hWnd()));
    }
    ::UnhookWindowsHookEx(hook);
}

namespace {

// WM_SETREDRAW sent to the watched form, in order: 0 off, 1 on.
std::vector<WPARAM> redrawSwitches;
LRESULT CALLBACK WatchRedrawSwitches(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == watchedForm && message->message == WM_SETREDRAW)
        redrawSwitches.push_back(message->wParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_CASE("ControlArray::ARebuildInAFreezeChangesOnlyWhatMoved")
{
    LabelsForm f;
    f.form.Show();
    auto rowAt = [](int top) {
        return [top](Label& row) {
            row.Top(top);
            row.Visible(true);
        };
    };
    std::vector<HWND> windows(5);
    for (int i = 1; i <= 4; ++i)
        windows[i] = f.labels.Load(i, rowAt(120 + i * 360)).hWnd();
    PumpMessages();
    watchedForm = f.form.hWnd();
    HHOOK positions =
        ::SetWindowsHookExW(WH_CALLWNDPROC, CountChildPositionChanges, nullptr, ::GetCurrentThreadId());
    HHOOK redraws = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchRedrawSwitches, nullptr, ::GetCurrentThreadId());
    REQUIRE(positions);
    REQUIRE(redraws);
    childPositionChanges = 0;
    redrawSwitches.clear();

    SUBCASE("every row back in its place: no move, no freeze of the window, the new texts repaint")
    {
        {
            auto freeze = f.form.FreezeDrawing();
            for (int i = 1; i <= 4; ++i) {
                f.labels.Unload(i);
                CHECK(::IsWindowVisible(windows[i])); // until the freeze ends or the row comes back
            }
            for (int i = 1; i <= 4; ++i)
                f.labels.Load(i, rowAt(120 + i * 360)).Caption(L"Строка " + std::to_wstring(i));
            // Nothing is marked for repainting before the freeze ends.
            for (int i = 1; i <= 4; ++i)
                CHECK_FALSE(::GetUpdateRect(windows[i], nullptr, FALSE));
        }
        CHECK(childPositionChanges == 0);
        CHECK(redrawSwitches.empty());
        for (int i = 1; i <= 4; ++i) {
            CHECK(f.labels(i).hWnd() == windows[i]);
            CHECK(::IsWindowVisible(windows[i]));
            CHECK(::GetUpdateRect(windows[i], nullptr, FALSE)); // repaints with its new text
        }
    }
    SUBCASE("fewer rows: the windows left over hide when the freeze ends, drawn in one go")
    {
        {
            auto freeze = f.form.FreezeDrawing();
            for (int i = 1; i <= 4; ++i)
                f.labels.Unload(i);
            for (int i = 1; i <= 2; ++i)
                f.labels.Load(i, rowAt(120 + i * 360));
        }
        CHECK(redrawSwitches == std::vector<WPARAM>{FALSE, TRUE});
        CHECK(::IsWindowVisible(windows[1]));
        CHECK(::IsWindowVisible(windows[2]));
        CHECK_FALSE(::IsWindowVisible(windows[3]));
        CHECK_FALSE(::IsWindowVisible(windows[4]));
        // A later load takes a hidden window back and shows it.
        CHECK(f.labels.Load(3, rowAt(120 + 3 * 360)).hWnd() == windows[3]);
        CHECK(::IsWindowVisible(windows[3]));
    }
    SUBCASE("a row in another place: drawing stops before it moves")
    {
        {
            auto freeze = f.form.FreezeDrawing();
            f.labels.Unload(2);
            CHECK(redrawSwitches.empty());
            f.labels.Load(2, rowAt(120 + 7 * 360));
            CHECK(redrawSwitches == std::vector<WPARAM>{FALSE});
        }
        CHECK(redrawSwitches == std::vector<WPARAM>{FALSE, TRUE});
        CHECK(childPositionChanges == 1);
        RECT r{};
        ::GetWindowRect(windows[2], &r);
        ::MapWindowPoints(nullptr, f.form.hWnd(), reinterpret_cast<POINT*>(&r), 2);
        CHECK(r.top == (120 + 7 * 360) / 15);
    }
    ::UnhookWindowsHookEx(redraws);
    ::UnhookWindowsHookEx(positions);
}

TEST_CASE("ControlArray::AReloadedPictureBoxStartsBlank")
{
    Form form(L"frmPictures");
    ControlArray<PictureBox> boxes(form, L"picBar");
    boxes(0).Move(60, 60, 2000, 255);
    boxes(0).BackColor(RGB(255, 255, 255));
    boxes(0).Scale(100, 1);
    form.Show();
    PictureBox& first = boxes.Load(1);
    first.FilledBox(0, 0, 100, 1, RGB(200, 0, 0));
    CHECK(::GetPixel(first.hDC(), 2, 2) == RGB(200, 0, 0));
    HWND window = first.hWnd();
    boxes.Unload(1);
    PumpMessages();

    const int gdi = CountGdiObjects(), windows = CountWindows();
    for (int i = 0; i < 50; ++i) {
        PictureBox& box = boxes.Load(1);
        REQUIRE(box.hWnd() == window);
        CHECK(::GetPixel(box.hDC(), 2, 2) == RGB(255, 255, 255));
        box.FilledBox(0, 0, 100, 1, RGB(200, 0, 0));
        box.Visible(true);
        PumpMessages();
        boxes.Unload(1);
    }
    CHECK(CountGdiObjects() == gdi);
    CHECK(CountWindows() == windows);
    form.Unload();
}

namespace {

// Ten rows of a label and a picture box, twenty elements, made at every load.
class RowsForm : public Form {
public:
    RowsForm() : Form(L"frmRows")
    {
        lblRow(0).Move(60, 60, 2000, 255);
        picRow(0).Move(2100, 60, 2000, 255);
        picRow(0).Scale(100, 1);
        ClientSize(4200, 10 * 300);
    }

    ControlArray<Label> lblRow{*this, L"lblRow"};
    ControlArray<PictureBox> picRow{*this, L"picRow"};

protected:
    void Form_Load() override
    {
        for (int i = 1; i < 10; ++i) {
            lblRow.Load(i).Top(60 + i * 300);
            picRow.Load(i).Top(60 + i * 300);
        }
        for (auto& [index, label] : lblRow) {
            label->Caption(L"Строка " + std::to_wstring(index));
            label->Visible(true);
        }
        for (auto& [index, box] : picRow) {
            box->FilledBox(0, 0, (index + 1) * 10, 1, RGB(51, 170, 0));
            box->Visible(true);
        }
    }
};

} // namespace

TEST_CASE("ControlArray::LoadAndUnloadLeaveNothingBehind")
{
    RowsForm form;
    CheckRoundsLeaveNothing(200, [&] {
        form.Show();
        PumpMessages();
        REQUIRE(form.lblRow.Count() == 10);
        form.Unload();
    });
}
