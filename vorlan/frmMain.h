#pragma once
// The main window: one row per qualifying drive and path, sized to its rows,
// refreshed at load, on the timer and on the option keys.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/settings_store.h"
#include "components/shell_icon_reader.h"
#include "components/subclasser.h"
#include "toolkit/control_array.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/picture_box.h"
#include "toolkit/timer.h"
#include "vorlan/app_descriptor.h"
#include "vorlan/drive_list.h"
#include "vorlan/volume_asker.h"

#include "support/handles.h"

namespace vorlan {

// Bar colours and the row pitch.
inline constexpr COLORREF kCriticalColor = RGB(220, 51, 0);
inline constexpr COLORREF kWarningColor = RGB(237, 200, 47);
inline constexpr COLORREF kNormalColor = RGB(51, 170, 0);
inline constexpr COLORREF kBarBackground = RGB(255, 255, 255);
inline constexpr double kRowPitch = 360;

// The bar colour for a shown percentage.
COLORREF BarColor(double percent, bool showFreeSpace);
// The percentage text drawn on a bar: whole percent, halves to even.
std::wstring PercentText(double percent);
// True for a WM_DEVICECHANGE notice that a volume arrived or left.
bool IsVolumeArrivalOrRemoval(WPARAM event, LPARAM data) noexcept;

class frmMain : public toolkit::Form, public components::ISubclasserCallback {
public:
    explicit frmMain(const AppDescriptor& app, DriveQueries& drives = SystemDriveQueries());
    ~frmMain() override;

    // Applied to the window; kept by the settings.
    std::unique_ptr<components::Subclasser> SBC;
    bool SET_Transparent = false;
    long SET_TransparencyPercent = 0;
    bool SET_Topmost = false;

    void RefreshBars();
    void UpdateCaption();
    void MakeTopmost();
    void MakeNotTopmost();
    void ApplyTransparency();
    void RemoveTransparency();

    const AppDescriptor& App() const noexcept { return app_; }

    toolkit::Timer tmrRefresh;
    // One-shot: the refresh after volumes arrived or left.
    toolkit::Timer tmrVolumesChanged;
    toolkit::ControlArray<toolkit::Label> lblDiskInfo;
    toolkit::ControlArray<toolkit::PictureBox> picDiskIcon;
    toolkit::ControlArray<toolkit::PictureBox> picSizeBar;
    toolkit::ControlArray<toolkit::Label> lblDiskSize;
    toolkit::Label lblDisksNotFound;

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void tmrRefresh_Timer();
    void tmrVolumesChanged_Timer();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void ISubclasserCallback_WindowProc(components::Subclasser& subclasserObject, HWND hWnd, UINT& uMsg,
                                        WPARAM& wParam, LPARAM& lParam, LRESULT& retVal,
                                        bool& noDef) override;

private:
    void RebuildBars();
    void CreateRow(int index);
    void ClearRows();
    void HideFirstRow();
    void LoadRowIcons();
    void DrawRowIcon(const RowSource& row, int index);
    void FillRow(int index, const RowSource& row, bool notLocal);
    void DrawIcon(int index, HICON icon);

    void LoadDisplayOptions();
    void LoadWindowOptions();
    void SaveOptions();
    components::SettingsOwner SettingsOwner() const { return {app_.Title, app_.EXEName}; }

    // Runs the paths editor; true when it replaced AdditionalPaths.
    bool EditAdditionalPaths();

    // Tests reach the private state through this one door.
    friend struct frmMainTestAccess;

    AppDescriptor app_;
    DriveQueries& drives_;
    VolumeAsker volumes_;

    bool BarsBuilt = false;
    bool ShowFreeSpace = false;
    bool ShowSummary = false;
    bool ShowNetworkDrives = false;
    bool ShowAdditionalPaths = false;
    std::vector<std::wstring> AdditionalPaths;
    long PercentMode = 0;
    support::UniqueIcon MyComputerIcon;
    support::UniqueIcon FolderIcon;
    std::unique_ptr<components::ShellIconReader> DriveIconSource;
    double SummaryTotal = 0;
    double SummaryFree = 0;
    std::wstring LastCaption;
};

} // namespace vorlan
