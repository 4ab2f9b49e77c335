#include "verrick/about/frmAbout.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cmath>
#include <utility>

#include "toolkit/application.h"
#include "toolkit/twips.h"
#include "verrick/about/modAboutBox.h"
#include "verrick/about/tlvTabControl.h"
#include "verrick/about/ucIconControl.h"
#include "verrick/about/update_check.h"
#include "verrick/forms/CTextBoxInsertHook.h"
#include "verrick/com/com_object.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

#include "support/as.h"
#include "support/es.h"
#include "support/runtime_error.h"

namespace verrick::about {
namespace {

using support::ComPtr;
using support::Variant;

constexpr toolkit::OleColor kIconBackColor = 0x00808000;
constexpr long kIconExtentHimetric = 1085;
constexpr int kRightButton = 2;
constexpr wchar_t kTimesReadTag[] = L"Okeyo! ^^'";

toolkit::FontSpec Tahoma(bool underline = false)
{
    toolkit::FontSpec font;
    font.Name = L"Tahoma";
    font.Size = 8.25;
    font.Underline = underline;
    font.Charset = RUSSIAN_CHARSET;
    return font;
}

// A failed call on the tab object, as the run-time error it carries.
void CheckTabs(HRESULT hr, const wchar_t* member)
{
    if (FAILED(hr)) support::RaiseFailedCall(hr, member);
}

// The whole screen's pointer is the hourglass while it lives.
class ScreenHourglass {
public:
    ScreenHourglass() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~ScreenHourglass() { ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW)); }
    ScreenHourglass(const ScreenHourglass&) = delete;
    ScreenHourglass& operator=(const ScreenHourglass&) = delete;

private:
    HCURSOR previous_;
};

} // namespace

// The tab object's TabShown event, passed to the form while it listens.
class frmAbout::TabEvents final : public support::DispidEventSink<ComObject<IDispatch>> {
public:
    explicit TabEvents(frmAbout* form) noexcept : form_(form) {}
    void Disconnect() noexcept { form_ = nullptr; }

private:
    void Event(DISPID member, const DISPPARAMS& params) noexcept override
    {
        constexpr DISPID kTabShown = 1;
        if (member != kTabShown || !form_ || params.cArgs != 1) return;
        try {
            form_->TC_TabShown(vb::ToLong(vb::Deref(params.rgvarg[0])));
        } catch (...) {
            // A sink must not throw into the event source; a failed focus move changes nothing else.
        }
    }

    frmAbout* form_;
};

frmAbout::frmAbout()
    : Form(L"frmAbout"), fraTab(*this, L"fraTab"), shpIconBack(*this, L"shpIconBack"),
      imgIcon(*this, L"imgIcon",
              [] {
                  auto control = MakeObject<ucIconControl>();
                  ComPtr<IOleObject> object;
                  control->QueryInterface(IID_IOleObject, object.put_void());
                  return object;
              }),
      lblTitle(*this, L"lblTitle"), lblVersion(*this, L"lblVersion"), lblAuthor(*this, L"lblAuthor"),
      lblEMail(*this, L"lblEMail"), lblDevote(*this, L"lblDevote"), imgPicture(*this, L"imgPicture"),
      txtDescription(*this, L"txtDescription"), lstModules(*this, L"lstModules"),
      lblProcessTimesInfo(*this, L"lblProcessTimesInfo"), lblProcessTimes(*this, L"lblProcessTimes"),
      lblSystemInfoBack(*this, L"lblSystemInfoBack"), lblSystemInfo(*this, L"lblSystemInfo"),
      lblUpdateBack(*this, L"lblUpdateBack"), lblUpdateInfo(*this, L"lblUpdateInfo"),
      lblUpdateResult(*this, L"lblUpdateResult"), lblUpdateURL(*this, L"lblUpdateURL"),
      lblUpdateVersion(*this, L"lblUpdateVersion"), cmdUpdateCheck(*this, L"cmdUpdateCheck"),
      cmdOK(*this, L"cmdOK"), cmdSysInfo(*this, L"cmdSysInfo"), linEdge(*this, L"linEdge"),
      imgNight(*this, L"imgNight")
{
    Layout();
    imgIcon.Click = [this] { imgIcon_Click(); };
    // A double click is a second click: one more page.
    imgIcon.DblClick = [this] { imgIcon_Click(); };
    imgIcon.MouseMove = [this](int button, int shift, float, float) { imgIcon_MouseMove(button, shift); };
    cmdOK.Click = [this] { Unload(); };
    cmdSysInfo.Click = [this] { ShowSystemInfo(hWnd()); };
    cmdUpdateCheck.Click = [this] { cmdUpdateCheck_Click(); };
    lblUpdateURL.Click = [this] { lblUpdateURL_Click(); };
    lblEMail(0).Click = [this] { lblEMail_Click(0); };
    lblEMail(1).Click = [this] { lblEMail_Click(1); };
    lstModules.DblClick = [this] { lstModules_DblClick(); };
}

frmAbout::~frmAbout()
{
    Unload();
}

void frmAbout::Layout()
{
    using toolkit::Label;
    Caption(L"About");
    BorderStyle(toolkit::FormBorderStyle::FixedDialog);
    StartUpPosition(toolkit::StartUpPosition::CenterScreen);
    ClientSize(5775, 2415);
    KeyPreview(true);
    Font(Tahoma());

    // The pages: 0 where it shows, the others anywhere until InitTabs stacks them on 0.
    static const wchar_t* const kPages[] = {L"Main tab",           L"Description", L"Modules list",
                                            L"Process Times Info", L"System Info", L"Update check"};
    fraTab(0).Caption(kPages[0]);
    fraTab(0).BorderStyle(0);
    fraTab(0).Move(1080, 120, 4635, 1695);
    for (int i = 1; i <= kUpdateTab; ++i) {
        toolkit::Frame& page = fraTab.Load(i);
        page.Caption(kPages[i]);
        page.Move(1080 + 60 * i, 2520 + 1800 * (i - 1), 4695, 1695);
        page.Visible(true);
    }

    shpIconBack.Move(120, 120, 855, 1635);
    shpIconBack.FillStyle(toolkit::vbFSSolid);
    shpIconBack.FillColor(kIconBackColor);
    shpIconBack.BorderColor(toolkit::SystemColor(COLOR_BTNSHADOW));
    imgIcon.Move(300, 300, 615, 615);
    toolkit::PropertyBag iconProperties;
    iconProperties.Write(L"backcolor", *Variant::Long(static_cast<LONG>(kIconBackColor)).get());
    iconProperties.Write(L"_extentx", *Variant::Long(kIconExtentHimetric).get());
    iconProperties.Write(L"_extenty", *Variant::Long(kIconExtentHimetric).get());
    imgIcon.Properties(std::move(iconProperties));

    // Main tab.
    toolkit::Frame& main = fraTab(kMainTab);
    lblTitle.Container(&main);
    lblTitle.Move(0, 0, 4605, 600);
    toolkit::FontSpec titleFont;
    titleFont.Name = L"Times New Roman";
    titleFont.Size = 18;
    titleFont.Bold = true;
    titleFont.Charset = RUSSIAN_CHARSET;
    lblTitle.Font(titleFont);
    lblTitle.UseMnemonic(false);
    lblTitle.Caption(L"Title");
    auto captionAndValue = [&](toolkit::ControlArray<Label>& array, double top, const wchar_t* caption,
                               const wchar_t* value) {
        array(0).Container(&main);
        array(0).Move(0, top, 735, 240);
        array(0).Caption(caption);
        Label& second = array.Load(1);
        second.Move(780, top, 2700, 240);
        second.UseMnemonic(false);
        second.Caption(value);
        second.Visible(true);
    };
    captionAndValue(lblVersion, 660, L"Версия:", L"0.00.0000");
    captionAndValue(lblAuthor, 900, L"Автор:", L"");
    captionAndValue(lblEMail, 1140, L"E-Mail:", L"");
    lblDevote.Container(&main);
    lblDevote.Move(0, 1380, 3480, 240);
    lblDevote.UseMnemonic(false);
    imgPicture.Container(&main);
    imgPicture.Move(3540, 660, 1020, 990);
    imgPicture.BorderStyle(1);

    // Description.
    txtDescription.Container(&fraTab(kDescriptionTab));
    txtDescription.Move(0, 0, 4695, 1695);
    txtDescription.MultiLine(true);
    txtDescription.ScrollBars(2);
    txtDescription.Locked(true);

    // Modules list.
    lstModules.Container(&fraTab(kModulesTab));
    lstModules.Move(0, 0, 4695, 1695);
    toolkit::FontSpec fixed;
    fixed.Name = L"Courier New";
    fixed.Size = 8.25;
    fixed.FixedPitch = true;
    lstModules.Font(fixed);
    lstModules.HorizontalScrollBar(true);

    // Process times: the run of the process, then the processor's share.
    toolkit::Frame& times = fraTab(kProcessTimesTab);
    static const wchar_t* const kTimeCaptions[] = {L"Creation time:", L"Total time:", L"Kernel time:",
                                                   L"User time:", L"Total time:"};
    static const double kTimeRows[] = {60, 300, 870, 1110, 1350};
    lblProcessTimes(0).Container(&times);
    for (int i = 0; i < 10; ++i) {
        Label& label = i == 0 ? lblProcessTimes(0) : lblProcessTimes.Load(i);
        const int row = i % 5;
        if (i < 5) {
            label.Move(60, kTimeRows[row], 1400, 240);
            label.Caption(kTimeCaptions[row]);
        } else {
            label.Move(1500, kTimeRows[row], 3135, 240);
            label.Caption(L"%TIME_" + std::to_wstring(row + 1) + L"%");
        }
        label.Visible(true);
    }
    lblProcessTimesInfo.Container(&times);
    lblProcessTimesInfo.Move(60, 600, 4575, 240);
    lblProcessTimesInfo.Caption(L"Processor time used by the program:");
    lblProcessTimesInfo.FontBold(true);

    // System information.
    toolkit::Frame& system = fraTab(kSystemInfoTab);
    lblSystemInfoBack.Container(&system);
    lblSystemInfoBack.Move(0, 0, 4695, 1695);
    lblSystemInfo(0).Container(&system);
    static const wchar_t* const kSystemCaptions[] = {L"%WINDOWS_VERSION%\r\n%SERVICE_PACK%",
                                                     L"Free Physical Mem:",
                                                     L"Page File Usage:",
                                                     L"Reserved Virtual:",
                                                     L"%MEM_1%",
                                                     L"%MEM_2%",
                                                     L"%MEM_3%"};
    for (int i = 0; i < 7; ++i) {
        Label& label = i == 0 ? lblSystemInfo(0) : lblSystemInfo.Load(i);
        label.UseMnemonic(false);
        label.Caption(kSystemCaptions[i]);
        if (i == 0) {
            label.Move(60, 60, 4575, 480);
            label.WordWrap(true);
            label.FontBold(true);
        } else if (i < 4) {
            label.WordWrap(false);
            label.FontBold(false);
            label.Move(60, 660 + 270 * (i - 1), 1650, 240);
        } else {
            label.WordWrap(false);
            label.FontBold(false);
            label.Move(1740, 660 + 270 * (i - 4), 2895, 240);
        }
        label.Visible(true);
    }

    // Update check.
    toolkit::Frame& update = fraTab(kUpdateTab);
    lblUpdateBack.Container(&update);
    lblUpdateBack.Move(0, 0, 4695, 1695);
    lblUpdateInfo.Container(&update);
    lblUpdateInfo.Move(60, 60, 4575, 1140);
    lblUpdateInfo.WordWrap(true);
    lblUpdateInfo.UseMnemonic(false);
    lblUpdateInfo.Caption(L"Нажмите кнопку для проверки версии программы на сайте.");
    lblUpdateVersion(0).Container(&update);
    static const wchar_t* const kVersionCaptions[] = {L"Локальная версия:", L"Версия на сайте:", L"0.00.0000",
                                                      L"0.00.0000"};
    for (int i = 0; i < 4; ++i) {
        Label& label = i == 0 ? lblUpdateVersion(0) : lblUpdateVersion.Load(i);
        label.Move(i < 2 ? 60 : 1980, 60 + 240 * (i % 2), i < 2 ? 1860 : 1500, 240);
        label.Caption(kVersionCaptions[i]);
        label.Visible(false);
    }
    // The longest result takes two lines.
    lblUpdateResult.Container(&update);
    lblUpdateResult.Move(60, 600, 4575, 480);
    lblUpdateResult.WordWrap(true);
    lblUpdateResult.UseMnemonic(false);
    lblUpdateResult.Caption(L"...");
    lblUpdateResult.FontBold(true);
    lblUpdateResult.Visible(false);
    // The link is as wide as its text: only the address opens the page.
    lblUpdateURL.Container(&update);
    lblUpdateURL.Move(60, 1080, 4575, 240);
    lblUpdateURL.UseMnemonic(false);
    lblUpdateURL.AutoSize(true);
    lblUpdateURL.Caption(std::wstring(kMakerHomePage));
    lblUpdateURL.ForeColor(0x00FF0000); // blue, as links are
    lblUpdateURL.Visible(false);
    cmdUpdateCheck.Container(&update);
    cmdUpdateCheck.Move(1980, 1320, 2655, 345);
    cmdUpdateCheck.Caption(L"Проверить обновление");

    // The buttons under an etched line.
    cmdOK.Move(2880, 1980, 1365, 345);
    cmdOK.Caption(L"Ok");
    cmdSysInfo.Move(4320, 1980, 1365, 345);
    cmdSysInfo.Caption(L"&System Info...");
    linEdge(0).Points(120, 1875, 5655, 1875);
    linEdge(0).BorderColor(toolkit::SystemColor(COLOR_BTNSHADOW));
    toolkit::Line& highlight = linEdge.Load(1);
    highlight.Points(120, 1890, 5655, 1890);
    highlight.BorderColor(toolkit::SystemColor(COLOR_BTNHIGHLIGHT));
    highlight.Visible(true);

    imgNight.Move(0, 0, 5775, 2415);
    imgNight.Stretch(true);
    imgNight.Visible(false);
    imgNight.TabStop(false);

    // The page controls in tab order first, then the buttons.
    cmdOK.TabIndex(100);
    cmdSysInfo.TabIndex(101);
}

void frmAbout::Form_Load()
{
    // The backgrounds of their pages lie under the other controls.
    lblSystemInfoBack.ZOrder(1);
    lblUpdateBack.ZOrder(1);
    support::esCenterFormEx(hWnd(), nullptr);
    TextBoxHook = std::make_unique<forms::CTextBoxInsertHook>();
    TextBoxHook->CurrentHook(txtDescription.Dispatch().get());
}

void frmAbout::Form_Unload(int&)
{
    EndIconDrag(false);
    if (tabEventsPoint_) {
        tabEventsPoint_->Unadvise(tabEventsCookie_);
        tabEventsPoint_.reset();
    }
    TC.reset();
    if (TextBoxHook) TextBoxHook->CurrentHook(nullptr);
    TextBoxHook.reset();
    FormIcon(nullptr);
    ModulesInfo.reset();
}

void frmAbout::FormIcon(ComPtr<IPictureDisp> picture)
{
    // The old picture may own the icon the window shows: it goes only once the
    // window holds the new one.
    const ComPtr<IPictureDisp> old = std::exchange(formIcon_, std::move(picture));
    if (!hWnd()) return;
    HICON icon = nullptr;
    if (OLE_HANDLE handle = PictureHandle(formIcon_.get()))
        icon = static_cast<HICON>(LongToHandle(static_cast<LONG>(handle)));
    support::asSetWindowIconAll(hWnd(), icon, icon);
}

// Information panes ----------------------------------------------------------

void frmAbout::FillModulesList()
{
    ModuleListing listing = ReadModuleListing();
    for (const std::wstring& line : listing.Lines)
        lstModules.AddItem(line);
    if (listing.LongestLine > 0) SetListHorizontalExtent(listing.LongestLine);
    if (lstModules.ListCount() > 0) {
        ModulesInfo = std::move(listing.Source);
        lstModules.ListIndex(0);
    }
}

void frmAbout::SetListHorizontalExtent(std::size_t lineWidth)
{
    // One blank more than the longest line, measured in the list's own font.
    support::UniqueFont font = toolkit::MakeFont(lstModules.Font());
    support::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    support::SelectedObject selected(dc.get(), font.get());
    const std::wstring blanks(lineWidth + 1, L' ');
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), blanks.c_str(), static_cast<int>(blanks.size()), &size);
    const long twips = std::lround(toolkit::ToTwipsX(size.cx));
    const long perPixel = std::lround(static_cast<double>(support::esScreenTwipsPerPixelX()));
    lstModules.HorizontalExtent(static_cast<int>(twips / perPixel));
}

void frmAbout::FillSystemInfo()
{
    SystemInfoTexts texts = ReadSystemInfo();
    lblSystemInfo(0).Caption(texts.OsName);
    lblSystemInfo(4).Caption(texts.FreePhysical);
    lblSystemInfo(5).Caption(texts.PageFileUsage);
    lblSystemInfo(6).Caption(texts.ReservedVirtual);
}

void frmAbout::FillProcessTimes()
{
    auto times = ReadProcessTimes();
    if (!times) return;
    for (int i = 0; i < 5; ++i)
        lblProcessTimes(5 + i).Caption((*times)[static_cast<std::size_t>(i)]);
    lblProcessTimesInfo.Tag(kTimesReadTag);
}

bool frmAbout::PrepareUpdateTab()
{
    const std::wstring name = GetInternalName();
    if (name.empty()) return false;
    lblUpdateInfo.Caption(lblUpdateInfo.Caption() + L"\r\n\r\nРесурс: Version." + name + L".DAT");
    VersionFileURL = VersionFileUrl(name);
    cmdUpdateCheck.ToolTipText(VersionFileURL);
    return true;
}

void frmAbout::lstModules_DblClick()
{
    const int index = lstModules.ListIndex();
    if (!ModulesInfo || index < 0) return;
    // A line whose module cannot be looked up shows nothing.
    support::IgnoringErrors([&] { ShowModuleProperties(hWnd(), *ModulesInfo, index); });
}

// Tabs -------------------------------------------------------------------------

void frmAbout::InitTabs()
{
    FillModulesList();
    FillSystemInfo();
    FillProcessTimes();

    TC.reset();
    auto tabs = MakeObject<tlvTabControl>();
    CheckTabs(tabs->QueryInterface(IID__tlvTabControl, TC.put_void()), L"tlvTabControl");
    ComPtr<IConnectionPointContainer> container;
    CheckTabs(TC->QueryInterface(IID_IConnectionPointContainer, container.put_void()), L"TC");
    CheckTabs(container->FindConnectionPoint(DIID___tlvTabControl, tabEventsPoint_.put()), L"TC");
    auto sink = MakeObject<TabEvents>(this);
    CheckTabs(tabEventsPoint_->Advise(sink.get(), &tabEventsCookie_), L"TC");

    toolkit::Frame& first = fraTab(fraTab.LBound());
    for (int i = fraTab.LBound(); i <= fraTab.UBound(); ++i) {
        if (!fraTab.Exists(i)) continue;
        toolkit::Frame& page = fraTab(i);
        bool shown = true;
        if (page.Contains(txtDescription))
            shown = !txtDescription.Text().empty();
        else if (page.Contains(lstModules))
            shown = lstModules.ListCount() > 0;
        else if (page.Contains(lblProcessTimesInfo))
            shown = !lblProcessTimesInfo.Tag().empty();
        else if (page.Contains(cmdUpdateCheck))
            shown = PrepareUpdateTab();
        if (shown) {
            CheckTabs(TC->AddTab(page.Dispatch().get(), VARIANT_TRUE), L"AddTab");
            page.Move(first.Left(), first.Top(), page.Width(), page.Height());
        } else {
            page.Visible(false);
        }
    }
    CheckTabs(TC->PopTab(1, VARIANT_FALSE, VARIANT_TRUE), L"PopTab");
}

void frmAbout::TC_TabShown(long)
{
    for (int i = fraTab.LBound(); i <= fraTab.UBound(); ++i) {
        if (!fraTab.Exists(i) || !fraTab(i).Visible()) continue;
        switch (i) {
        case kMainTab:
        case kProcessTimesTab: ::SetFocus(cmdOK.hWnd()); break;
        case kDescriptionTab:
            ::SetFocus(txtDescription.hWnd());
            ::SendMessageW(txtDescription.hWnd(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                           support::esMakeLong(2, 2));
            break;
        case kModulesTab: ::SetFocus(lstModules.hWnd()); break;
        case kUpdateTab: ::SetFocus(cmdUpdateCheck.Enabled() ? cmdUpdateCheck.hWnd() : cmdOK.hWnd()); break;
        default: break;
        }
    }
}

// Keys and mouse ---------------------------------------------------------------

void frmAbout::Form_KeyDown(int& keyCode, int shift)
{
    if (shift & (toolkit::vbShiftMask | toolkit::vbCtrlMask | toolkit::vbAltMask)) return;
    switch (keyCode) {
    case VK_PRIOR:
        if (TC) CheckTabs(TC->PopPrevTab(VARIANT_FALSE, VARIANT_TRUE), L"PopPrevTab");
        keyCode = 0;
        break;
    case VK_NEXT:
        if (TC) CheckTabs(TC->PopNextTab(VARIANT_FALSE, VARIANT_TRUE), L"PopNextTab");
        keyCode = 0;
        break;
    case VK_ESCAPE:
        keyCode = 0;
        support::esUnloadForm(hWnd());
        break;
    default: break;
    }
}

void frmAbout::imgIcon_Click()
{
    if (TC) CheckTabs(TC->PopNextTab(VARIANT_FALSE, VARIANT_TRUE), L"PopNextTab");
}

void frmAbout::lblEMail_Click(int index)
{
    if (index != 1 || lblEMail(1).Caption().empty()) return;
    const std::wstring address = L"mailto:" + lblEMail(1).Caption();
    ::ShellExecuteW(hWnd(), L"open", address.c_str(), L"", L"", SW_SHOWNORMAL);
}

void frmAbout::cmdUpdateCheck_Click()
{
    if (checking_) return;
    UpdateOutcome outcome;
    {
        ScreenHourglass hourglass;
        checking_ = true;
        // The box goes on drawing and answering keys while it waits; closing it gives the check up.
        outcome = CheckForUpdate(
            VersionFileURL,
            Version{static_cast<std::int32_t>(AppMajor), static_cast<std::int32_t>(AppMinor),
                    static_cast<std::int32_t>(AppRevision)},
            [this] {
                toolkit::Application::DoEvents();
                MSG quit;
                return IsLoaded() && !::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
            });
        checking_ = false;
    }
    if (outcome.Cancelled || !IsLoaded()) return;
    if (!outcome.Succeeded) {
        lblUpdateInfo.Caption(outcome.Info);
        return;
    }
    lblUpdateURL.Font(Tahoma(true));
    lblUpdateURL.MouseIcon(ComPtr<IDispatch>(LibraryCursor(kLinkCursorResource).get()));
    lblUpdateURL.MousePointer(toolkit::vbCustom);
    cmdUpdateCheck.Enabled(false);
    lblUpdateInfo.Visible(false);
    lblUpdateResult.Visible(true);
    lblUpdateURL.Visible(true);
    for (int i = 0; i < 4; ++i)
        lblUpdateVersion(i).Visible(true);
    lblUpdateVersion(2).Caption(support::asFormatVersion(AppMajor, AppMinor, AppRevision));
    lblUpdateVersion(3).Caption(
        support::asFormatVersion(outcome.Site.Major, outcome.Site.Minor, outcome.Site.Revision));
    lblUpdateResult.Caption(outcome.Result);
    if (::GetFocus() == nullptr || !::IsWindowEnabled(::GetFocus())) ::SetFocus(cmdOK.hWnd());
}

void frmAbout::lblUpdateURL_Click()
{
    ::ShellExecuteW(hWnd(), L"open", lblUpdateURL.Caption().c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

// The hidden drag gesture ------------------------------------------------------

void frmAbout::imgIcon_MouseMove(int button, int shift)
{
    if (button == kRightButton && shift == 0 && !dragging_) BeginIconDrag();
}

void frmAbout::BeginIconDrag()
{
    dragCursor_.reset();
    if (OLE_HANDLE handle = PictureHandle(DragIcon.get());
        handle && PictureType(DragIcon.get()) == PICTYPE_ICON)
        dragCursor_.reset(::CopyIcon(static_cast<HICON>(LongToHandle(static_cast<LONG>(handle)))));
    dragging_ = true;
    ::SetCapture(hWnd());
    ::SetCursor(dragCursor_ ? dragCursor_.get() : ::LoadCursorW(nullptr, IDC_ARROW));
}

void frmAbout::EndIconDrag(bool dropped)
{
    if (!dragging_) return;
    dragging_ = false;
    POINT at{};
    ::GetCursorPos(&at);
    if (::GetCapture() == hWnd()) ::ReleaseCapture();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    dragCursor_.reset();
    if (dropped) IconDropped(::WindowFromPoint(at));
}

void frmAbout::IconDropped(HWND target)
{
    auto on = [target](const toolkit::WindowedControl& control) {
        return target && control.hWnd() && (target == control.hWnd() || ::IsChild(control.hWnd(), target));
    };
    int egg = 0;
    if (on(lblTitle))
        egg = 1;
    else if (on(imgPicture))
        egg = 2;
    else if (on(cmdSysInfo))
        egg = 3;
    else if (on(cmdOK))
        egg = 4;
    if (egg == 0) return;
    support::asDebugPrint(L"Easter egg " + std::to_wstring(egg) + L"/" + std::to_wstring(4) + L" detected!");
    if (egg == 1) {
        for (toolkit::Control* control : Controls()) {
            if (auto* windowed = dynamic_cast<toolkit::WindowedControl*>(control))
                windowed->Visible(false);
            else if (auto* shape = dynamic_cast<toolkit::Shape*>(control))
                shape->Visible(false);
            else if (auto* line = dynamic_cast<toolkit::Line*>(control))
                line->Visible(false);
        }
        imgNight.Picture(LibraryBitmap(kNightPictureResource));
        imgNight.Move(0, 0, ScaleWidth(), ScaleHeight());
        imgNight.Visible(true);
        ::SetFocus(hWnd());
    } else if (egg == 4) {
        Unload();
    }
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (dragging_) {
        switch (message) {
        case WM_SETCURSOR:
        case WM_MOUSEMOVE:
            ::SetCursor(dragCursor_ ? dragCursor_.get() : ::LoadCursorW(nullptr, IDC_ARROW));
            return message == WM_SETCURSOR ? TRUE : 0;
        case WM_RBUTTONUP:
        case WM_LBUTTONUP: EndIconDrag(true); return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hWnd()) EndIconDrag(false);
            return 0;
        default: break;
        }
    }
    return Form::HandleMessage(message, wParam, lParam);
}

} // namespace verrick::about
