#include "vorlan/frmMain.h"

#include <cmath>

#include "toolkit/twips.h"

#include "support/as.h"
#include "support/es.h"

namespace vorlan {
namespace {

constexpr wchar_t kCommandKeys[] = L"Tab / 0aANPRST";
constexpr wchar_t kNoDisksMessage[] = L"Подходящих дисков не обнаружено. Это печально!";
constexpr UINT kTopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

std::wstring VolumeLabel(wchar_t letter)
{
    wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t label[MAX_PATH + 1] = {};
    UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    if (!::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
    ::SetErrorMode(oldMode);
    return label;
}

}  // namespace

COLORREF BarColor(double percent, bool showFreeSpace)
{
    if (showFreeSpace) {
        if (percent <= 10) return kCriticalColor;
        if (percent <= 20) return kWarningColor;
        return kNormalColor;
    }
    if (percent > 90) return kCriticalColor;
    if (percent > 80) return kWarningColor;
    return kNormalColor;
}

std::wstring PercentText(double percent)
{
    return std::to_wstring(static_cast<long long>(toolkit::RoundHalfEven(percent))) + L"%";
}

frmMain::frmMain(const AppDescriptor& app, DriveQueries& drives)
    : Form(L"frmMain"),
      tmrRefresh(*this, L"tmrRefresh"),
      lblDiskInfo(*this, L"lblDiskInfo"),
      picDiskIcon(*this, L"picDiskIcon"),
      picSizeBar(*this, L"picSizeBar"),
      lblDiskSize(*this, L"lblDiskSize"),
      lblDisksNotFound(*this, L"lblDisksNotFound"),
      app_(app),
      drives_(drives)
{
    BorderStyle(toolkit::FormBorderStyle::FixedToolWindow);
    StartUpPosition(toolkit::StartUpPosition::CenterScreen);
    ClientSize(8715, 435);
    Font({.Name = L"Tahoma", .Size = 9, .Charset = RUSSIAN_CHARSET});
    Caption(L"Vorlan :: занято / всего");
    KeyPreview(true);

    tmrRefresh.Enabled(false);
    tmrRefresh.Interval(2500);
    tmrRefresh.OnTimer = [this] { tmrRefresh_Timer(); };

    lblDiskInfo(0).Move(60, 120, 2235, 255);
    lblDiskInfo(0).UseMnemonic(false);
    picDiskIcon(0).Move(2460, 100, 255, 255);
    picDiskIcon(0).BorderStyle(0);
    picSizeBar(0).Move(2820, 60, 3495, 315);
    picSizeBar(0).BorderStyle(1);
    picSizeBar(0).BackColor(kBarBackground);
    lblDiskSize(0).Move(6360, 120, 2235, 255);
    lblDiskSize(0).UseMnemonic(false);
    lblDisksNotFound.Move(2820, 1200, 1200, 255);
    lblDisksNotFound.AutoSize(true);
    lblDisksNotFound.Visible(false);
}

frmMain::~frmMain()
{
    // The hook must go before the window it watches.
    if (SBC) {
        SBC->SetHWnd(nullptr);
        SBC->SetCallback(nullptr);
    }
}

void frmMain::Form_Load()
{
    if (!support::esIsInIDE()) support::asSetWindowResIconAll(hWnd(), L"A_MAIN");
    support::esFixUserControlsContainerWindow();
    LoadDisplayOptions();
    LoadRowIcons();
    RefreshBars();
    if (BarsBuilt) {
        LoadWindowOptions();
        if (!SBC) SBC = std::make_unique<components::Subclasser>();
        SBC->SetCallback(this);
        SBC->SetHWnd(hWnd());
    }
}

void frmMain::Form_Unload(int& cancel)
{
    if (!SBC) SBC = std::make_unique<components::Subclasser>();
    SBC->SetHWnd(nullptr);
    SBC->SetCallback(nullptr);
    if (BarsBuilt) SaveOptions();
}

void frmMain::tmrRefresh_Timer() { RefreshBars(); }

void frmMain::ISubclasserCallback_WindowProc(components::Subclasser& subclasserObject, HWND hWnd, UINT& uMsg,
                                             WPARAM& wParam, LPARAM& lParam, LRESULT& retVal, bool& noDef)
{
    if (uMsg == WM_WINDOWPOSCHANGED && SET_Topmost) MakeTopmost();
}

void frmMain::RefreshBars()
{
    // The rows are rebuilt from scratch: repaint once, when they are all there.
    auto freeze = FreezeDrawing();
    RebuildBars();
}

void frmMain::UpdateCaption()
{
    std::wstring caption = tmrRefresh.Enabled() ? L"Vorlan :: " : L"Vorlan :: F5 / ";
    caption += kCommandKeys;
    caption += ShowFreeSpace ? L" :: свободно / всего" : L" :: занято / всего";
    if (caption != LastCaption) {
        Caption(caption);
        LastCaption = std::move(caption);
    }
}

void frmMain::MakeTopmost() { ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, kTopmostFlags); }

void frmMain::MakeNotTopmost() { ::SetWindowPos(hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, kTopmostFlags); }

void frmMain::ApplyTransparency() { support::esSetWindowTransparecny(hWnd(), SET_TransparencyPercent, true); }

void frmMain::RemoveTransparency() { support::esSetWindowTransparecny(hWnd(), 100, true); }

void frmMain::RebuildBars()
{
    ClearRows();
    UpdateCaption();
    RowOptions rowOptions{ShowNetworkDrives, ShowSummary, ShowAdditionalPaths, AdditionalPaths};
    int n = 0;
    for (const RowSource& row : EnumerateRows(rowOptions, drives_)) {
        CreateRow(n);
        switch (row.Kind()) {
        case RowKind::Drive:
            DrawRowIcon(row.key, n);
            FillRow(n, row.key, !row.local);
            break;
        case RowKind::Summary:
            FillRow(n, row.key, false);
            DrawRowIcon(row.key, n);
            break;
        case RowKind::Path:
            DrawRowIcon(row.key, n);
            FillRow(n, row.key, true);
            break;
        }
        ++n;
    }
    if (n > 0) lblDisksNotFound.Visible(false);
    if (n == 0) {
        lblDisksNotFound.Caption(kNoDisksMessage);
        lblDisksNotFound.Left(std::trunc(toolkit::RoundHalfEven(ScaleWidth() - lblDisksNotFound.Width()) / 2));
        lblDisksNotFound.Top(lblDiskInfo(0).Top());
        lblDisksNotFound.Visible(true);
        HideFirstRow();
        n = 1;
    }
    toolkit::PictureBox& last = picSizeBar(n - 1);
    Height(Height() - ScaleHeight() + picSizeBar(0).Top() + last.Top() + last.Height());
    BarsBuilt = true;
}

void frmMain::CreateRow(int index)
{
    if (index > 0) {
        double top = index * kRowPitch;
        lblDiskInfo.Load(index).Top(lblDiskInfo(0).Top() + top);
        picDiskIcon.Load(index).Top(picDiskIcon(0).Top() + top);
        picSizeBar.Load(index).Top(picSizeBar(0).Top() + top);
        lblDiskSize.Load(index).Top(lblDiskSize(0).Top() + top);
    }
    lblDiskInfo(index).Visible(true);
    picDiskIcon(index).Visible(true);
    picSizeBar(index).Visible(true);
    lblDiskSize(index).Visible(true);
}

void frmMain::ClearRows()
{
    // Element 0 cannot go: its removal fails and is passed over, like any other failure here.
    for (int i = picDiskIcon.LBound(); i <= picSizeBar.UBound(); ++i) {
        try {
            picDiskIcon.Unload(i);
        } catch (const support::RuntimeError&) {
        }
        try {
            picSizeBar.Unload(i);
        } catch (const support::RuntimeError&) {
        }
        try {
            lblDiskInfo.Unload(i);
        } catch (const support::RuntimeError&) {
        }
        try {
            lblDiskSize.Unload(i);
        } catch (const support::RuntimeError&) {
        }
    }
}

void frmMain::HideFirstRow()
{
    lblDiskInfo(lblDiskInfo.LBound()).Visible(false);
    picDiskIcon(picDiskIcon.LBound()).Visible(false);
    picSizeBar(picSizeBar.LBound()).Visible(false);
    lblDiskSize(lblDiskSize.LBound()).Visible(false);
}

void frmMain::LoadRowIcons()
{
    if (support::UniqueModule explorer(::LoadLibraryW(L"Explorer.EXE")); explorer)
        MyComputerIcon = support::asLoadResIconSmallEx(L"#100", explorer.get());
    if (support::UniqueModule shell(::LoadLibraryW(L"Shell32.DLL")); shell)
        FolderIcon = support::asLoadResIconSmallEx(L"#4", shell.get());
}

void frmMain::DrawIcon(int index, HICON icon)
{
    toolkit::PictureBox& box = picDiskIcon(index);
    box.Cls();
    ::DrawIconEx(box.hDC(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    box.Refresh();
}

void frmMain::DrawRowIcon(const std::wstring& key, int index)
{
    if (key.empty()) {
        if (MyComputerIcon) DrawIcon(index, MyComputerIcon.get());
    } else if (key.size() == 1) {
        if (!DriveIconSource) DriveIconSource = std::make_unique<components::ShellIconReader>();
        if (DriveIconSource->Read(key + L":\\")) DrawIcon(index, DriveIconSource->SmallIcon());
    } else {
        if (FolderIcon) DrawIcon(index, FolderIcon.get());
    }
}

void frmMain::FillRow(int index, const std::wstring& key, bool notLocal)
{
    double total = 0, free = 0;
    std::wstring name;
    if (key.empty()) {
        total = SummaryTotal;
        free = SummaryFree;
        SummaryTotal = SummaryFree = 0;
        name = L"Мой компьютер ";
    } else if (key.size() == 1) {
        std::wstring root = key + L":\\";
        total = drives_.DiskSpaceTotal(root);
        free = drives_.DiskSpaceFree(root);
        if (ShowSummary && !notLocal) {
            SummaryTotal += total;
            SummaryFree += free;
        }
        name = L" Диск " + key + L": [" + VolumeLabel(key[0]) + L"] ";
    } else {
        total = drives_.DiskSpaceTotal(key);
        free = drives_.DiskSpaceFree(key);
        name = L" Путь " + key;
        double room = lblDiskInfo(index).Width();
        while (!name.empty() && TextWidth(name) > room) name.pop_back();
    }
    lblDiskInfo(index).Caption(name);

    double shown = ShowFreeSpace ? free : total - free;
    double percent = total != 0 ? shown / (total / 100) : 0;
    lblDiskSize(index).Caption(L" " + support::asFormatByteSizeEx(shown) + L" / " +
                               support::asFormatByteSize(total));

    toolkit::PictureBox& bar = picSizeBar(index);
    bar.Scale(100, 1);
    bar.BackColor(kBarBackground);
    bar.Cls();
    COLORREF color = BarColor(percent, ShowFreeSpace);
    bar.FilledBox(0, 0, percent, 1, color);

    std::wstring text = PercentText(percent);
    switch (PercentMode) {
    case 1:
        bar.ForeColor(RGB(255, 255, 255));
        bar.FontBold(false);
        bar.CurrentX(percent - 12);
        bar.CurrentY(0);
        bar.Print(text);
        break;
    case 2:
        bar.ForeColor(RGB(0, 0, 0));
        bar.FontBold(false);
        bar.CurrentX(percent + 2);
        bar.CurrentY(0);
        bar.Print(text);
        break;
    case 3:
        // Inverting the fill around black text leaves it white over the fill and black over the rest.
        bar.DrawMode(toolkit::vbInvert);
        bar.FilledBox(0, 0, percent, 1, color);
        bar.DrawMode(toolkit::vbCopyPen);
        bar.ForeColor(RGB(0, 0, 0));
        bar.FontBold(true);
        bar.CurrentX(std::trunc(toolkit::RoundHalfEven(100 - bar.TextWidth(text)) / 2));
        bar.CurrentY(0);
        bar.Print(text);
        bar.DrawMode(toolkit::vbInvert);
        bar.FilledBox(0, 0, percent, 1, color);
        bar.DrawMode(toolkit::vbCopyPen);
        break;
    default: break;
    }
}

void frmMain::LoadDisplayOptions()
{
    // Until the settings store arrives, every start is a first start.
    ShowFreeSpace = ShowSummary = ShowNetworkDrives = ShowAdditionalPaths = false;
    AdditionalPaths.clear();
    PercentMode = 0;
}

void frmMain::LoadWindowOptions()
{
    SET_TransparencyPercent = 75;
    SET_Transparent = false;
    SET_Topmost = false;
    tmrRefresh.Interval(2500);
    tmrRefresh.Enabled(false);
    UpdateCaption();
}

void frmMain::SaveOptions() {}

}  // namespace vorlan
