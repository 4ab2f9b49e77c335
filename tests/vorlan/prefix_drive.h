#pragma once
// A drive added to the running test prefix and taken away again, through
// Wine's mount manager (mount_manager.h). The manager is Wine's
// service, so its own notices go to the services' desktop: a test sends the
// notice the system sends to applications itself (VolumeNotice).

#include <windows.h>
#include <dbt.h>

#include <cstdlib>
#include <string>

#include "mount_manager.h"
#include "verrick_server.h"

#include "support/handles.h"

namespace vorlan_test {

class PrefixDrive {
public:
    // A fixed drive at letter, over a new folder of the prefix with that volume label.
    PrefixDrive(wchar_t letter, const std::wstring& label) : letter_(letter)
    {
        Remove(); // left over from a run that ended early
        const char* prefix = std::getenv("WINEPREFIX");
        REQUIRE(prefix);
        std::string folder = std::string(prefix) + "/drives/" + static_cast<char>(letter | 0x20);
        std::wstring windowsFolder = WindowsPathOf("WINEPREFIX") + L"\\drives\\" + wchar_t(letter | 0x20);
        ::CreateDirectoryW(windowsFolder.c_str(), nullptr);
        support::UniqueFileHandle labelFile(::CreateFileW((windowsFolder + L"\\.windows-label").c_str(),
                                                          GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                                          nullptr));
        std::string text(label.begin(), label.end());
        DWORD written = 0;
        ::WriteFile(labelFile.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        labelFile.reset();
        REQUIRE(Define(DRIVE_FIXED, folder));
    }
    // A drive of the type (DRIVE_FIXED, DRIVE_REMOTE...) at letter, over a Unix folder.
    PrefixDrive(wchar_t letter, const std::string& unixFolder, UINT type) : letter_(letter)
    {
        Remove();
        REQUIRE(Define(type, unixFolder));
    }
    PrefixDrive(const PrefixDrive&) = delete;
    PrefixDrive& operator=(const PrefixDrive&) = delete;
    ~PrefixDrive() { Remove(); }

    bool Remove() { return Define(DRIVE_NO_ROOT_DIR, {}); }
    DWORD UnitMask() const { return 1u << (letter_ - L'A'); }

private:
    bool Define(UINT type, const std::string& unixFolder)
    {
        return DefineUnixDrive(letter_, type, unixFolder);
    }

    wchar_t letter_;
};

// What the system broadcasts to applications when volumes arrive or leave
// (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE), or another device notice.
inline void VolumeNotice(WPARAM event, DWORD unitMask, DWORD deviceType = DBT_DEVTYP_VOLUME)
{
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = deviceType;
    volume.dbcv_unitmask = unitMask;
    DWORD recipients = BSM_APPLICATIONS;
    ::BroadcastSystemMessageW(BSF_FORCEIFHUNG | BSF_QUERY, &recipients, WM_DEVICECHANGE, event,
                              reinterpret_cast<LPARAM>(&volume));
}

} // namespace vorlan_test
