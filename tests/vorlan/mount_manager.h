#pragma once
// Drives of the running prefix made and taken away as Wine's own drive
// settings do it: through the mount manager, which makes the drive's link in
// the prefix and the system's volume device at once, so that the drive list
// shows the drive or lacks it from then on.

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>

#include "support/handles.h"

namespace vorlan_test {

// Makes letter a drive of the type (DRIVE_FIXED, DRIVE_REMOTE...) over the
// Unix folder; no folder takes the drive away. False when the manager refused.
inline bool DefineUnixDrive(wchar_t letter, UINT type, const std::string& unixFolder)
{
    // Wine's mount manager request (its ddk/mountmgr.h): the drive's type and
    // letter, then the Unix folder it stands for.
    struct UnixDrive {
        ULONG size;
        ULONG type;
        ULONG fs_type;
        DWORD serial;
        ULONGLONG unix_dev;
        WCHAR letter;
        USHORT mount_point_offset;
        USHORT device_offset;
        USHORT label_offset;
    };
    constexpr DWORD kDefineUnixDrive =
        CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

    support::UniqueFileHandle manager(::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
    if (!manager) return false;
    std::string request(sizeof(UnixDrive) + (unixFolder.empty() ? 0 : unixFolder.size() + 1), '\0');
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = type;
    drive.letter = static_cast<WCHAR>(letter | 0x20);
    if (!unixFolder.empty()) {
        drive.mount_point_offset = sizeof(UnixDrive);
        std::memcpy(request.data() + sizeof(UnixDrive), unixFolder.c_str(), unixFolder.size());
    }
    std::memcpy(request.data(), &drive, sizeof drive);
    DWORD returned = 0;
    return ::DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(),
                             static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr) != FALSE;
}

} // namespace vorlan_test
