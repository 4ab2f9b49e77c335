#include "verrick/forms/frmList.h"

#include <cmath>
#include <memory>

#include "toolkit/twips.h"

#include "support/es.h"

namespace verrick::forms {
namespace {

constexpr double kMargin = 60;

} // namespace

frmList::frmList() : Form(L"frmList"), lstList(*this, L"lstList"), lblTag(*this, L"lblTag")
{
    BorderStyle(toolkit::FormBorderStyle::SizableToolWindow);
    KeyPreview(true);
    Caption(L"List");
    toolkit::FontSpec font;
    font.Name = L"Tahoma";
    font.Size = 9;
    font.Charset = RUSSIAN_CHARSET;
    Font(font);
    ClientSize(6735, 4050);
    lstList.Move(kMargin, kMargin, 6735 - 2 * kMargin, 4050 - 255 - 2 * kMargin);
    lblTag.Move(kMargin, 4050 - 255 - kMargin, 6735 - 2 * kMargin, 255);
    // A path with an ampersand shows as it is.
    lblTag.UseMnemonic(false);
    lstList.Click = [this] { lstList_Click(); };
}

void frmList::Form_Load()
{
    support::esCenterFormEx(hWnd(), nullptr);
}

void frmList::Form_KeyDown(int& keyCode, int)
{
    if (keyCode != VK_RETURN && keyCode != VK_ESCAPE) return;
    keyCode = 0;
    Unload();
}

void frmList::Form_Resize()
{
    if (::IsIconic(hWnd())) return;
    const double frame = toolkit::RoundHalfEven(Height() - ScaleHeight());
    const double minimum = toolkit::RoundHalfEven(2 * lblTag.Height() + frame + 120);
    if (Height() < minimum) Height(minimum);
    const double width = std::max(0.0, ScaleWidth() - 2 * kMargin);
    lstList.Move(kMargin, kMargin, width, std::max(0.0, ScaleHeight() - lblTag.Height() - 2 * kMargin));
    // Below the list's real bottom edge: the list keeps whole lines only.
    lblTag.Move(kMargin, lstList.Height() + kMargin, width, lblTag.Height());
}

void frmList::ListFont(const toolkit::FontSpec& font)
{
    lstList.Font(font);
    lblTag.Font(font);
    if (IsLoaded()) Form_Resize();
}

void frmList::lstList_Click()
{
    const std::wstring line = lstList.Text();
    const size_t tab = line.find(L'\t');
    lblTag.Caption(tab == std::wstring::npos ? line : line.substr(tab + 1));
}

void ShowListDialog(const std::vector<std::wstring>& items, const std::wstring& caption, bool showCount,
                    const std::optional<toolkit::FontSpec>& font)
{
    auto dialog = std::make_unique<frmList>();
    dialog->Load();
    for (const std::wstring& item : items)
        dialog->lstList.AddItem(item);
    std::wstring shown = caption;
    if (showCount) shown += L" [" + std::to_wstring(dialog->lstList.ListCount()) + L"]";
    dialog->Caption(shown);
    if (font) dialog->ListFont(*font);
    dialog->Show(toolkit::vbModal);
    dialog->Unload();
}

} // namespace verrick::forms
