#include <doctest.h>

#include <algorithm>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit_test.h"

using namespace toolkit;
using namespace toolkit_test;

namespace {

const FontSpec kTahoma{.Name = L"Tahoma", .Size = 9, .Charset = RUSSIAN_CHARSET};

// The label's pixels, one per entry, row by row.
std::vector<COLORREF> Pixels(const Label& label)
{
    RECT r{};
    ::GetClientRect(label.hWnd(), &r);
    support::WindowDC dc(label.hWnd());
    std::vector<COLORREF> pixels;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            pixels.push_back(::GetPixel(dc.get(), x, y));
    return pixels;
}

} // namespace

TEST_CASE("Label::AutoSizeFitsTheText")
{
    Form form(L"frmLabel");
    Label label(form, L"lblName");
    // The form's font is set after its controls exist, as a form's constructor does.
    form.Font(kTahoma);
    label.AutoSize(true);
    label.Caption(L"Диск C: [DATA]");
    form.Show();

    SIZE extent = TextExtent(kTahoma, L"Диск C: [DATA]");
    CHECK(label.Width() == extent.cx * 15);
    CHECK(label.Height() == extent.cy * 15);
    RECT client{};
    ::GetClientRect(label.hWnd(), &client);
    CHECK(client.right == extent.cx);

    label.Caption(L"Подходящих дисков не обнаружено");
    CHECK(label.Width() == TextExtent(kTahoma, L"Подходящих дисков не обнаружено").cx * 15);

    FontSpec big = kTahoma;
    big.Size = 14;
    big.Bold = true;
    label.Font(big);
    CHECK(label.Width() == TextExtent(big, L"Подходящих дисков не обнаружено").cx * 15);
    CHECK(label.Height() == TextExtent(big, L"Подходящих дисков не обнаружено").cy * 15);
    form.Unload();
}

TEST_CASE("Label::FontComesFromTheFormUntilSet")
{
    Form form(L"frmLabel");
    form.Font(kTahoma);
    Label label(form, L"lblName");
    CHECK(label.Font() == kTahoma);

    label.FontBold(true);
    CHECK(label.Font().Bold);
    CHECK(label.Font().Name == L"Tahoma");
    CHECK_FALSE(form.Font().Bold);

    // Its window tells the font it draws with, as the system's controls do.
    form.Show();
    auto font = reinterpret_cast<HFONT>(::SendMessageW(label.hWnd(), WM_GETFONT, 0, 0));
    REQUIRE(font);
    LOGFONTW drawn{};
    ::GetObjectW(font, sizeof drawn, &drawn);
    CHECK(std::wstring(drawn.lfFaceName) == L"Tahoma");
    CHECK(drawn.lfWeight == FW_BOLD);
    form.Unload();
}

TEST_CASE("Label::AmpersandShownWithoutMnemonic")
{
    Form form(L"frmLabel");
    form.Font(kTahoma);
    Label plain(form, L"lblPlain");
    Label mnemonic(form, L"lblMnemonic");
    for (Label* label : {&plain, &mnemonic}) {
        label->AutoSize(true);
        label->ForeColor(RGB(0, 0, 0));
        label->BackColor(RGB(255, 255, 255));
    }
    plain.UseMnemonic(false);
    plain.Caption(L"&");
    mnemonic.Caption(L"&&");
    mnemonic.Move(0, 600, 0, 0);
    form.Show();
    PumpMessages();

    CHECK(plain.Width() == TextExtent(kTahoma, L"&").cx * 15);
    std::vector<COLORREF> pixels = Pixels(plain);
    CHECK(std::count(pixels.begin(), pixels.end(), RGB(0, 0, 0)) > 0);
    // "&&" with access keys draws the one ampersand that "&" draws without them.
    CHECK(pixels == Pixels(mnemonic));
    form.Unload();
}

TEST_CASE("Label::TabMovesToTheNextStop")
{
    Form form(L"frmLabel");
    form.Font(kTahoma);
    Label label(form, L"lblTag");
    label.AutoSize(true);
    label.Caption(L"C:\tDATA");
    form.Show();

    // Stops stand every eight average character widths; the tab is not drawn as a glyph.
    support::UniqueFont font = MakeFont(kTahoma);
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject selected(dc.get(), font.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    const int stop = 8 * metrics.tmAveCharWidth;
    REQUIRE(TextExtent(kTahoma, L"C:").cx < stop);
    CHECK(label.Width() == (stop + TextExtent(kTahoma, L"DATA").cx) * 15);
    form.Unload();
}
