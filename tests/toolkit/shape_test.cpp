#include <doctest.h>

#include "toolkit/form.h"
#include "toolkit/shape.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Paints its whole surface blue in Form_Paint; the shape comes on top.
class PaintedForm : public Form {
public:
    PaintedForm() : Form(L"frmPainted")
    {
        BorderStyle(FormBorderStyle::None);
        ClientSize(3000, 3000);
        shpBack.Move(300, 300, 1500, 1500);
        shpBack.FillStyle(vbFSSolid);
        shpBack.FillColor(kRed);
        shpBack.BorderStyle(vbTransparent);
    }
    ~PaintedForm() override { Unload(); }

    Shape shpBack{*this, L"shpBack"};
    int paints = 0;
    bool hadDC = false;

protected:
    void Form_Paint() override
    {
        ++paints;
        hadDC = hDC() != nullptr;
        FilledBox(0, 0, ScaleWidth(), ScaleHeight(), kBlue);
    }
};

} // namespace

TEST_CASE("Shape::DrawnByTheFormAfterItsPaint")
{
    PaintedForm form;
    form.Show();
    form.Refresh();
    REQUIRE(form.paints > 0);
    CHECK(form.hadDC);
    CHECK(form.hDC() == nullptr);
    CHECK(ScreenPixel(form.hWnd(), 40, 40) == kRed);
    CHECK(ScreenPixel(form.hWnd(), 10, 10) == kBlue);
    CHECK(ScreenPixel(form.hWnd(), 130, 130) == kBlue);

    form.shpBack.Visible(false);
    PumpMessages();
    CHECK(ScreenPixel(form.hWnd(), 40, 40) == kBlue);

    form.shpBack.Visible(true);
    form.shpBack.Move(1500, 1500, 600, 600);
    PumpMessages();
    CHECK(ScreenPixel(form.hWnd(), 40, 40) == kBlue);
    CHECK(ScreenPixel(form.hWnd(), 110, 110) == kRed);
    CHECK(ErrorNumberOf([&] { form.shpBack.FillStyle(7); }) == 380);
}
