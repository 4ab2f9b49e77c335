#include "vorlan/frmMain.h"

#include <dbt.h>

#include <algorithm>
#include <cmath>

#include "toolkit/twips.h"
#include "vorlan/frmAdditionalPathsEditor.h"
#include "vorlan/verrick_client.h"

#include "support/as.h"
#include "support/es.h"
#include "support/system_library.h"

namespace vorlan {
namespace {

constexpr wchar_t kCommandKeys[] = L"Tab / 0aANPRST";
constexpr wchar_t kNoDisksMessage[] = L"Подходящих дисков не обнаружено. Это печально!";
constexpr UINT kTopmostFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

// The keys of the stored options; all in the program's default section.
constexpr wchar_t kSection[] = L"";
constexpr wchar_t kShowFreeSpace[] = L"Show Free Space";
constexpr wchar_t kShowSummary[] = L"Show Summary";
constexpr wchar_t kShowNetworkDrives[] = L"Show Network Drives";
constexpr wchar_t kShowPercent[] = L"Show Percent";
constexpr wchar_t kShowAdditionalPaths[] = L"Show Additional Paths";
constexpr wchar_t kAdditionalPaths[] = L"Additional Paths";
constexpr wchar_t kWindowPlacement[] = L"Window placement";
constexpr wchar_t kTransparencyPercent[] = L"Transparency Percent";
constexpr wchar_t kTransparent[] = L"Transparent";
constexpr wchar_t kTopmost[] = L"Topmost";
constexpr wchar_t kAutorefreshInterval[] = L"Autorefresh Interval";
constexpr wchar_t kAutorefresh[] = L"Autorefresh";

constexpr long kDefaultOpacity = 75;
constexpr long kDefaultInterval = 2500;
// The system sends one notice per volume, each waiting for every window's
// answer: the notices of one device can come some way apart, and all of them
// should make a single refresh.
constexpr long kVolumesSettleInterval = 250;
// The longest a refresh waits for its drives' answers: a drive that has not
// answered by then is left out until it has.
constexpr DWORD kVolumeAnswerDeadline = 400;

support::Variant Integer(SHORT number)
{
    support::Variant value;
    value.get()->vt = VT_I2;
    value.get()->iVal = number;
    return value;
}

// Typed reads and writes of one option through the settings store.
class Options {
public:
    explicit Options(components::SettingsOwner owner) : owner_(std::move(owner)) {}

    bool Flag(const wchar_t* key)
    {
        return Read(key, components::skBoolean, support::Variant::Bool(false)).get()->boolVal !=
               VARIANT_FALSE;
    }
    long Number(const wchar_t* key, const support::Variant& defaultValue)
    {
        return Read(key, components::skNumber, defaultValue).get()->lVal;
    }
    std::wstring Text(const wchar_t* key)
    {
        return std::wstring(
            support::BstrView(Read(key, components::skString, support::Variant::Text(L"")).get()->bstrVal));
    }

    void Flag(const wchar_t* key, bool value)
    {
        Write(key, components::skBoolean, support::Variant::Bool(value));
    }
    void Number(const wchar_t* key, long value)
    {
        Write(key, components::skNumber, support::Variant::Long(value));
    }
    void Text(const wchar_t* key, std::wstring_view value)
    {
        Write(key, components::skString, support::Variant::Text(value));
    }

    bool LoadWindowPlacement(HWND window)
    {
        return store_.LoadWindowPlacement(kSection, kWindowPlacement, window, owner_);
    }
    void SaveWindowPlacement(HWND window)
    {
        store_.SaveWindowPlacement(kSection, kWindowPlacement, window, owner_);
    }

private:
    support::Variant Read(const wchar_t* key, int kind, const support::Variant& defaultValue)
    {
        return store_.ReadSetting(kSection, key, kind, *defaultValue, owner_);
    }
    void Write(const wchar_t* key, int kind, const support::Variant& value)
    {
        store_.WriteSetting(kSection, key, kind, *value, owner_);
    }

    components::SettingsStore store_;
    components::SettingsOwner owner_;
};

using support::IgnoringErrors;

} // namespace

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

bool IsVolumeArrivalOrRemoval(WPARAM event, LPARAM data) noexcept
{
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    return header && header->dbch_size >= sizeof(DEV_BROADCAST_HDR) &&
           header->dbch_devicetype == DBT_DEVTYP_VOLUME;
}

frmMain::frmMain(const AppDescriptor& app, DriveQueries& drives)
    : Form(L"frmMain"), tmrRefresh(*this, L"tmrRefresh"), tmrVolumesChanged(*this, L"tmrVolumesChanged"),
      lblDiskInfo(*this, L"lblDiskInfo"), picDiskIcon(*this, L"picDiskIcon"),
      picSizeBar(*this, L"picSizeBar"), lblDiskSize(*this, L"lblDiskSize"),
      lblDisksNotFound(*this, L"lblDisksNotFound"), app_(app), drives_(drives),
      volumes_(drives, kVolumeAnswerDeadline)
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
    tmrVolumesChanged.Enabled(false);
    tmrVolumesChanged.Interval(kVolumesSettleInterval);
    tmrVolumesChanged.OnTimer = [this] { tmrVolumesChanged_Timer(); };

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
    if (!DriveIconSource) DriveIconSource = std::make_unique<components::ShellIconReader>();
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

void frmMain::tmrRefresh_Timer()
{
    RefreshBars();
}

void frmMain::tmrVolumesChanged_Timer()
{
    tmrVolumesChanged.Enabled(false);
    RefreshBars();
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A drive came or went: the rows change now, whether or not the refresh timer runs.
    // Notices that come while the one-shot waits add nothing to it.
    if (message == WM_DEVICECHANGE && IsVolumeArrivalOrRemoval(wParam, lParam))
        tmrVolumesChanged.Enabled(true);
    return Form::HandleMessage(message, wParam, lParam);
}

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

void frmMain::MakeTopmost()
{
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, kTopmostFlags);
}

void frmMain::MakeNotTopmost()
{
    ::SetWindowPos(hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, kTopmostFlags);
}

void frmMain::ApplyTransparency()
{
    support::esSetWindowTransparecny(hWnd(), SET_TransparencyPercent, true);
}

void frmMain::RemoveTransparency()
{
    support::esSetWindowTransparecny(hWnd(), 100, true);
}

void frmMain::RebuildBars()
{
    ClearRows();
    UpdateCaption();
    RowOptions rowOptions{ShowNetworkDrives, ShowSummary, ShowAdditionalPaths, AdditionalPaths};
    int n = 0;
    const auto ask = [this](const std::vector<VolumeQuestion>& questions) { return volumes_.Ask(questions); };
    for (const RowSource& row : EnumerateRows(rowOptions, drives_, ask)) {
        CreateRow(n);
        switch (row.Kind()) {
        case RowKind::Drive:
            DrawRowIcon(row, n);
            FillRow(n, row, !row.local);
            break;
        case RowKind::Summary:
            FillRow(n, row, false);
            DrawRowIcon(row, n);
            break;
        case RowKind::Path:
            DrawRowIcon(row, n);
            FillRow(n, row, true);
            break;
        }
        ++n;
    }
    if (n > 0) lblDisksNotFound.Visible(false);
    if (n == 0) {
        lblDisksNotFound.Caption(kNoDisksMessage);
        lblDisksNotFound.Left(
            std::trunc(toolkit::RoundHalfEven(ScaleWidth() - lblDisksNotFound.Width()) / 2));
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
        // Each new element's window is placed and shown in one step.
        auto load = [index](auto& array) {
            const double top = array(0).Top() + index * kRowPitch;
            array.Load(index, [top](auto& element) {
                element.Top(top);
                element.Visible(true);
            });
        };
        load(lblDiskInfo);
        load(picDiskIcon);
        load(picSizeBar);
        load(lblDiskSize);
        return;
    }
    lblDiskInfo(index).Visible(true);
    picDiskIcon(index).Visible(true);
    picSizeBar(index).Visible(true);
    lblDiskSize(index).Visible(true);
}

void frmMain::ClearRows()
{
    // Row 0 is the design-time one and stays; an index an array lacks has nothing to unload.
    for (int i = picDiskIcon.LBound(); i <= picSizeBar.UBound(); ++i) {
        if (i == 0) continue;
        auto unload = [i](auto& array) {
            if (array.Exists(i)) array.Unload(i);
        };
        unload(picDiskIcon);
        unload(picSizeBar);
        unload(lblDiskInfo);
        unload(lblDiskSize);
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
    using support::SystemFolder;
    if (auto explorer = support::LoadSystemResources(SystemFolder::Windows, L"Explorer.EXE"))
        MyComputerIcon = support::asLoadResIconSmallEx(L"#100", explorer.get());
    if (auto shell = support::LoadSystemResources(SystemFolder::System, L"Shell32.DLL"))
        FolderIcon = support::asLoadResIconSmallEx(L"#4", shell.get());
}

void frmMain::DrawIcon(int index, HICON icon)
{
    toolkit::PictureBox& box = picDiskIcon(index);
    box.Cls();
    // The system's small-icon size follows the screen's dots per inch (16
    // pixels at 96), as the icon box's twips do.
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    ::DrawIconEx(box.hDC(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    box.Refresh();
}

void frmMain::DrawRowIcon(const RowSource& row, int index)
{
    if (row.Kind() == RowKind::Summary) {
        if (MyComputerIcon) DrawIcon(index, MyComputerIcon.get());
    } else if (row.Kind() == RowKind::Drive) {
        if (!DriveIconSource) DriveIconSource = std::make_unique<components::ShellIconReader>();
        if (HICON icon = DriveIconSource->Icon(row.answer.icon)) DrawIcon(index, icon);
    } else {
        if (FolderIcon) DrawIcon(index, FolderIcon.get());
    }
}

void frmMain::FillRow(int index, const RowSource& row, bool notLocal)
{
    const std::wstring& key = row.key;
    double total = row.answer.total, free = row.answer.free;
    std::wstring name;
    if (key.empty()) {
        total = SummaryTotal;
        free = SummaryFree;
        SummaryTotal = SummaryFree = 0;
        name = L"Мой компьютер ";
    } else if (key.size() == 1) {
        if (ShowSummary && !notLocal) {
            SummaryTotal += total;
            SummaryFree += free;
        }
        name = L" Диск " + key + L": [" + row.answer.label + L"] ";
    } else {
        name = L" Путь " + key;
        double room = lblDiskInfo(index).Width();
        while (!name.empty() && TextWidth(name) > room)
            name.pop_back();
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
    Options options(SettingsOwner());
    ShowFreeSpace = options.Flag(kShowFreeSpace);
    ShowSummary = options.Flag(kShowSummary);
    ShowNetworkDrives = options.Flag(kShowNetworkDrives);
    PercentMode = options.Number(kShowPercent, support::Variant::Bool(false));
    if (PercentMode < 0 || PercentMode > 3) PercentMode = 0;
    ShowAdditionalPaths = options.Flag(kShowAdditionalPaths);
    AdditionalPaths = ParsePathList(options.Text(kAdditionalPaths));
}

void frmMain::LoadWindowOptions()
{
    Options options(SettingsOwner());
    if (!options.LoadWindowPlacement(hWnd())) support::esCenterFormEx(hWnd(), nullptr);

    SET_TransparencyPercent = options.Number(kTransparencyPercent, Integer(kDefaultOpacity));
    if (SET_TransparencyPercent < 1 || SET_TransparencyPercent > 100)
        SET_TransparencyPercent = kDefaultOpacity;
    SET_Transparent = options.Flag(kTransparent);
    if (SET_Transparent) ApplyTransparency();
    SET_Topmost = options.Flag(kTopmost);
    if (SET_Topmost) MakeTopmost();

    // An interval the timer refuses leaves it at its default.
    IgnoringErrors(
        [&] { tmrRefresh.Interval(options.Number(kAutorefreshInterval, Integer(kDefaultInterval))); });
    IgnoringErrors([&] { tmrRefresh.Enabled(options.Flag(kAutorefresh)); });
    IgnoringErrors([&] { UpdateCaption(); });
}

void frmMain::SaveOptions()
{
    // Joined before anything is written: if Verrick fails, the stored options stay as they were.
    const std::wstring paths = JoinCollection(AdditionalPaths, L"\r\n");

    Options options(SettingsOwner());
    options.SaveWindowPlacement(hWnd());
    options.Flag(kShowFreeSpace, ShowFreeSpace);
    options.Number(kShowPercent, PercentMode);
    options.Flag(kShowSummary, ShowSummary);
    options.Flag(kShowNetworkDrives, ShowNetworkDrives);
    options.Flag(kShowAdditionalPaths, ShowAdditionalPaths);
    options.Text(kAdditionalPaths, paths);
    options.Flag(kTransparent, SET_Transparent);
    options.Number(kTransparencyPercent, SET_TransparencyPercent);
    options.Flag(kTopmost, SET_Topmost);
    options.Number(kAutorefreshInterval, tmrRefresh.Interval());
    options.Flag(kAutorefresh, tmrRefresh.Enabled());
}

void frmMain::Form_KeyDown(int& keyCode, int shift)
{
    const int modifiers = shift & (toolkit::vbShiftMask | toolkit::vbCtrlMask | toolkit::vbAltMask);
    if (modifiers == toolkit::vbShiftMask) {
        if (keyCode == VK_F1) {
            AppObject app(app_);
            vorlan::ShowAboutBox(Dispatch().get(), app.Dispatch().get(), L"Vorlan");
        } else if (keyCode == 'A' && EditAdditionalPaths()) {
            RefreshBars();
        }
        return;
    }
    if (modifiers != 0) return;
    switch (keyCode) {
    case VK_F1: support::esOpenReadMeFile(nullptr); break;
    case VK_ESCAPE: Unload(); break;
    case VK_F5: RefreshBars(); break;
    case VK_TAB:
        ShowFreeSpace = !ShowFreeSpace;
        RefreshBars();
        break;
    case 'S':
        ShowSummary = !ShowSummary;
        RefreshBars();
        break;
    case 'N':
        ShowNetworkDrives = !ShowNetworkDrives;
        RefreshBars();
        break;
    case 'A':
        ShowAdditionalPaths = !ShowAdditionalPaths;
        RefreshBars();
        break;
    case '0':
        SET_Transparent = !SET_Transparent;
        if (SET_Transparent)
            ApplyTransparency();
        else
            RemoveTransparency();
        break;
    case 'T':
        SET_Topmost = !SET_Topmost;
        if (SET_Topmost)
            MakeTopmost();
        else
            MakeNotTopmost();
        break;
    case 'R':
        tmrRefresh.Enabled(!tmrRefresh.Enabled());
        UpdateCaption();
        break;
    case 'P':
        PercentMode = PercentMode < 3 ? PercentMode + 1 : 0;
        RefreshBars();
        break;
    default: break;
    }
}

bool frmMain::EditAdditionalPaths()
{
    frmAdditionalPathsEditor editor;
    editor.Load();
    editor.txtAdditionalPaths.Text(JoinCollection(AdditionalPaths, L"\r\n"));
    editor.Show(toolkit::vbModal, this);
    bool replaced = editor.Ok;
    if (replaced) AdditionalPaths = ParsePathList(editor.txtAdditionalPaths.Text());
    editor.Unload();
    return replaced;
}

} // namespace vorlan
