#pragma once
// Which rows the main window shows, in which order: qualifying drives, the
// summary over local drives, then the additional paths. Also the text form of
// the additional paths list.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vorlan {

enum class RowKind { Drive, Summary, Path };

struct RowSource {
    // Drive rows: the letter alone, upper case; summary: empty; path rows: the path.
    std::wstring key;
    // Only local drive rows feed the summary.
    bool local = true;

    RowKind Kind() const noexcept
    {
        return key.empty() ? RowKind::Summary : key.size() == 1 ? RowKind::Drive : RowKind::Path;
    }
};

struct RowOptions {
    bool showNetworkDrives = false;
    bool showSummary = false;
    bool showAdditionalPaths = false;
    std::vector<std::wstring> additionalPaths;
};

// What the row list asks of the system. The program uses the real one; tests
// replace it where the system cannot be made to show a case.
class DriveQueries {
public:
    virtual ~DriveQueries() = default;
    // GetLogicalDriveStringsA's buffer, as it fills it.
    virtual std::string LogicalDriveStrings();
    virtual UINT DriveType(const std::string& root);
    // QueryDosDeviceA's buffer for a device name such as "D:".
    virtual std::string QueryDosDevice(const std::string& device);
    virtual bool IsHostWinNT();
    virtual double DiskSpaceTotal(std::wstring_view path);
    virtual double DiskSpaceFree(std::wstring_view path);
};

DriveQueries& SystemDriveQueries();

// The path a row's figures are measured at: a drive letter's root ("C" gives
// "C:\"), a path as listed, except that a share root ("\\server\share") gets
// the trailing backslash without which the system measures nothing.
std::wstring MeasuringPath(std::wstring_view key);

// The drive roots in the system's order, upper case ("A:\", "C:\"...).
std::vector<std::wstring> DriveRoots(DriveQueries& system);

// The ordered row sources for a rebuild.
std::vector<RowSource> EnumerateRows(const RowOptions& options, DriveQueries& system);

// True when the root (such as "X:\") names a drive substituted for a folder.
bool IsSubstitutedDrive(std::wstring_view root, DriveQueries& system);

// The additional paths from their text form: lines split at CR LF, trimmed,
// lines of one character or less dropped, order and duplicates kept.
std::vector<std::wstring> ParsePathList(std::wstring_view text);

} // namespace vorlan
