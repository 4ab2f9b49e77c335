#include <doctest.h>

#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/picture_box.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(200, 0, 0);

// A shown form with a bordered box whose inner area is 200 x 100 pixels.
struct BoxForm {
    BoxForm()
    {
        box.Move(150, 150, 3030, 1530);
        box.BackColor(kWhite);
        form.Show();
        PumpMessages();
    }
    ~BoxForm() { form.Unload(); }
    COLORREF ImagePixel(int x, int y) { return ::GetPixel(box.hDC(), x, y); }

    Form form{L"frmPicture"};
    PictureBox box{form, L"picBox"};
};

bool ImageIsAll(PictureBox& box, COLORREF color)
{
    RECT r{};
    ::GetClientRect(box.hWnd(), &r);
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if (::GetPixel(box.hDC(), x, y) != color) return false;
    return true;
}

} // namespace

TEST_CASE("PictureBox::ImageSurvivesRepaint")
{
    BoxForm f;
    RECT client{};
    ::GetClientRect(f.box.hWnd(), &client);
    REQUIRE(client.right == 200);
    REQUIRE(client.bottom == 100);

    f.box.FilledBox(0, 0, 1500, 750, kRed);
    ::InvalidateRect(f.box.hWnd(), nullptr, TRUE);
    ::UpdateWindow(f.box.hWnd());
    CHECK(ScreenPixel(f.box.hWnd(), 0, 0) == kRed);
    CHECK(ScreenPixel(f.box.hWnd(), 99, 49) == kRed);
    CHECK(ScreenPixel(f.box.hWnd(), 100, 49) == kWhite);
    CHECK(ScreenPixel(f.box.hWnd(), 99, 50) == kWhite);
}

TEST_CASE("PictureBox::UserScaleCoversTheInnerArea")
{
    BoxForm f;
    f.box.Scale(100, 1);
    CHECK(f.box.ScaleWidth() == 100);
    CHECK(f.box.ScaleHeight() == 1);
    f.box.FilledBox(25, 0.5, 75, 1, kRed);
    CHECK(f.ImagePixel(50, 50) == kRed);
    CHECK(f.ImagePixel(149, 99) == kRed);
    CHECK(f.ImagePixel(49, 50) == kWhite);
    CHECK(f.ImagePixel(150, 99) == kWhite);
    CHECK(f.ImagePixel(50, 49) == kWhite);
}

TEST_CASE("PictureBox::FilledBoxModes")
{
    BoxForm f;
    f.box.Scale(100, 1);
    f.box.FilledBox(0, 0, 100, 1, RGB(10, 20, 30));
    CHECK(f.ImagePixel(0, 0) == RGB(10, 20, 30));
    CHECK(f.ImagePixel(199, 99) == RGB(10, 20, 30));

    f.box.DrawMode(vbInvert);
    f.box.FilledBox(0, 0, 50, 1, kRed);
    CHECK(f.ImagePixel(10, 10) == RGB(245, 235, 225));
    CHECK(f.ImagePixel(150, 10) == RGB(10, 20, 30));
    f.box.FilledBox(0, 0, 50, 1, kRed);
    CHECK(ImageIsAll(f.box, RGB(10, 20, 30)));
}

TEST_CASE("PictureBox::ClsAndPrint")
{
    BoxForm f;
    f.box.FilledBox(0, 0, 1500, 750, kRed);
    f.box.CurrentX(300);
    f.box.BackColor(RGB(0, 0, 128));
    f.box.Cls();
    CHECK(ImageIsAll(f.box, RGB(0, 0, 128)));
    CHECK(f.box.CurrentX() == 0);
    CHECK(f.box.CurrentY() == 0);

    support::UniqueFont font = MakeFont(f.box.Font());
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject selected(dc.get(), font.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);

    f.box.ForeColor(RGB(255, 255, 0));
    f.box.CurrentX(300);
    f.box.CurrentY(150);
    f.box.Print(L"ЖЖЖ");
    CHECK(f.box.CurrentX() == 0);
    CHECK(f.box.CurrentY() == 150 + metrics.tmHeight * 15);
    int yellow = 0;
    for (int x = 20; x < 60; ++x)
        for (int y = 10; y < 10 + metrics.tmHeight; ++y)
            yellow += f.ImagePixel(x, y) == RGB(255, 255, 0);
    CHECK(yellow > 0);

    f.box.Scale(100, 10);
    f.box.CurrentY(0);
    f.box.Print(L"x");
    CHECK(f.box.CurrentY() == doctest::Approx(metrics.tmHeight * 10.0 / 100));
}

TEST_CASE("PictureBox::TextWidthInScaleUnits")
{
    BoxForm f;
    long pixels = TextExtent(f.box.Font(), L"Проверка 100%").cx;
    CHECK(f.box.TextWidth(L"Проверка 100%") == pixels * 15);
    f.box.Scale(100, 1);
    CHECK(f.box.TextWidth(L"Проверка 100%") == doctest::Approx(pixels * 100.0 / 200));
}

TEST_CASE("PictureBox::ArrayCopyKeepsDesignButNotTheImage")
{
    Form form(L"frmPicture");
    ControlArray<PictureBox> boxes(form, L"picBar");
    PictureBox& first = boxes(0);
    first.Move(150, 150, 3030, 1530);
    first.BackColor(RGB(255, 255, 0));
    first.Scale(100, 1);
    first.DrawMode(vbInvert);
    form.Show();
    first.FilledBox(0, 0, 100, 1, kRed);

    PictureBox& copy = boxes.Load(1);
    CHECK(copy.BackColor() == RGB(255, 255, 0));
    CHECK(copy.ScaleWidth() == 100);
    CHECK(copy.DrawMode() == vbInvert);
    CHECK(copy.Width() == 3030);
    CHECK((::GetWindowLongW(copy.hWnd(), GWL_STYLE) & WS_BORDER) != 0);
    CHECK(ImageIsAll(copy, RGB(255, 255, 0)));
    form.Unload();
}
