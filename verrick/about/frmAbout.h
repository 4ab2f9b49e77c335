#pragma once
// The library's About box: six tab pages in one frame array stacked at one
// place and paged by a tlvTabControl, the big program icon (an ucIconControl)
// that pages on click and starts a hidden drag gesture on a right-button drag,
// the e-mail link, and the information tabs filled when the tabs are built.
// modAboutBox fills a new instance, shows it modally and unloads it.

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <string>
#include <vector>

#include "Velmora.h"
#include "toolkit/command_button.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/line.h"
#include "toolkit/list_box.h"
#include "toolkit/ole_control_host.h"
#include "toolkit/shape.h"
#include "toolkit/text_box.h"
#include "verrick/about/info_panes.h"

#include "support/com.h"
#include "support/handles.h"

namespace verrick::forms {
class CTextBoxInsertHook;
}

namespace verrick::about {

// The frames of the tab pages, by index.
enum AboutTab { kMainTab = 0, kDescriptionTab, kModulesTab, kProcessTimesTab, kSystemInfoTab, kUpdateTab };

class frmAbout final : public toolkit::Form {
public:
    frmAbout();
    ~frmAbout() override;

    // Declared first: the controls on the pages are attached into their windows.
    toolkit::ControlArray<toolkit::Frame> fraTab;

    toolkit::Shape shpIconBack;
    toolkit::OleControlHost imgIcon;
    toolkit::Label lblTitle;
    toolkit::ControlArray<toolkit::Label> lblVersion;
    toolkit::ControlArray<toolkit::Label> lblAuthor;
    toolkit::ControlArray<toolkit::Label> lblEMail;
    toolkit::Label lblDevote;
    toolkit::Image imgPicture;
    toolkit::TextBox txtDescription;
    toolkit::ListBox lstModules;
    toolkit::Label lblProcessTimesInfo;
    toolkit::ControlArray<toolkit::Label> lblProcessTimes;
    toolkit::Label lblSystemInfoBack;
    toolkit::ControlArray<toolkit::Label> lblSystemInfo;
    toolkit::Label lblUpdateBack;
    toolkit::Label lblUpdateInfo;
    toolkit::Label lblUpdateResult;
    toolkit::Label lblUpdateURL;
    toolkit::ControlArray<toolkit::Label> lblUpdateVersion;
    toolkit::CommandButton cmdUpdateCheck;
    toolkit::CommandButton cmdOK;
    toolkit::CommandButton cmdSysInfo;
    toolkit::ControlArray<toolkit::Line> linEdge;
    // The second bitmap of the hidden gesture on the title, over the whole window.
    toolkit::Image imgNight;

    // The version the box was opened with; the update check compares against it.
    long AppMajor = 0;
    long AppMinor = 0;
    long AppRevision = 0;
    std::unique_ptr<forms::CTextBoxInsertHook> TextBoxHook;
    std::wstring VersionFileURL;
    std::unique_ptr<ModuleSnapshot> ModulesInfo;
    support::ComPtr<_tlvTabControl> TC;
    // The image the icon shows while it is dragged.
    support::ComPtr<IPictureDisp> DragIcon;

    // Keeps the window icon (both sizes) and shows it; none takes the icons away.
    void FormIcon(support::ComPtr<IPictureDisp> picture);
    const support::ComPtr<IPictureDisp>& FormIcon() const noexcept { return formIcon_; }

    // Fills the information panes, decides which pages are offered and shows the first.
    void InitTabs();
    // A page came to the front: the focus goes where that page wants it.
    void TC_TabShown(long currTab);

    // The update check's button and the web site link.
    void cmdUpdateCheck_Click();
    void lblUpdateURL_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyDown(int& keyCode, int shift) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class TabEvents;

    void Layout();
    void FillModulesList();
    void SetListHorizontalExtent(std::size_t lineWidth);
    void FillSystemInfo();
    void FillProcessTimes();
    bool PrepareUpdateTab();
    void lstModules_DblClick();
    void lblEMail_Click(int index);
    void imgIcon_Click();
    void imgIcon_MouseMove(int button, int shift);
    void BeginIconDrag();
    void EndIconDrag(bool dropped);
    void IconDropped(HWND target);

    support::ComPtr<IPictureDisp> formIcon_;
    support::ComPtr<IConnectionPoint> tabEventsPoint_;
    DWORD tabEventsCookie_ = 0;
    bool dragging_ = false;
    bool checking_ = false; // an update check is waiting for the server
    support::UniqueIcon dragCursor_;
};

} // namespace verrick::about
