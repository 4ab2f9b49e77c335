#pragma once
// Drives that the test prefix cannot show (a removable drive without medium,
// the 9x family, any number of rows), answered the way the system answers.

#include <map>
#include <string>

#include "vorlan/drive_list.h"

namespace vorlan_test {

struct FakeDrive {
    UINT type = DRIVE_FIXED;
    double total = 0;
    double free = 0;
    std::string device; // what QueryDosDeviceA gives for "X:"
};

class FakeDrives : public vorlan::DriveQueries {
public:
    std::map<char, FakeDrive> drives;
    std::map<std::wstring, std::pair<double, double>> paths; // total, free
    bool nt = true;

    void Add(char letter, UINT type, double total, double free, std::string device = {})
    {
        if (device.empty()) device = "\\Device\\HarddiskVolume" + std::to_string(drives.size() + 1);
        drives[letter] = {type, total, free, device};
    }

    std::string LogicalDriveStrings() override
    {
        std::string buffer;
        for (auto& [letter, drive] : drives)
            buffer += std::string{letter, ':', '\\', '\0'};
        buffer.resize(1025, '\0');
        return buffer;
    }
    UINT DriveType(const std::string& root) override
    {
        auto found = drives.find(root[0]);
        return found == drives.end() ? DRIVE_NO_ROOT_DIR : found->second.type;
    }
    std::string QueryDosDevice(const std::string& device) override
    {
        std::string buffer(261, '\0');
        if (auto found = drives.find(device[0]); found != drives.end())
            buffer.replace(0, found->second.device.size(), found->second.device);
        return buffer;
    }
    bool IsHostWinNT() override { return nt; }
    double DiskSpaceTotal(std::wstring_view path) override { return Figure(path).first; }
    double DiskSpaceFree(std::wstring_view path) override { return Figure(path).second; }

private:
    std::pair<double, double> Figure(std::wstring_view path)
    {
        if (path.size() == 3 && path[1] == L':') {
            auto found = drives.find(static_cast<char>(path[0]));
            return found == drives.end() ? std::pair{0.0, 0.0}
                                         : std::pair{found->second.total, found->second.free};
        }
        auto found = paths.find(std::wstring(path));
        return found == paths.end() ? std::pair{0.0, 0.0} : found->second;
    }
};

} // namespace vorlan_test
