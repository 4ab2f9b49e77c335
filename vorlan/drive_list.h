#pragma once
// Which rows the main window shows, in which order: qualifying drives, the
// summary over local drives, then the additional paths. Also the text form of
// the additional paths list.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/shell_icon_reader.h"

namespace vorlan {

enum class RowKind { Drive, Summary, Path };

// What a drive or a path told when asked: for a drive its type, and where it
// has something to measure, its figures, volume label and shell icon; for a
// path its figures. Free space is never more than the total.
struct VolumeAnswer {
    UINT type = DRIVE_UNKNOWN;
    double total = 0;
    double free = 0;
    std::wstring label;
    components::ShellIconPlace icon;
};

// One question of a rebuild: a drive (its letter) or a path, keyed as its row.
struct VolumeQuestion {
    std::wstring key;
    // A network drive is measured only while network drives are shown.
    bool measureRemote = false;
    bool operator==(const VolumeQuestion&) const = default;
};

struct RowSource {
    // Drive rows: the letter alone, upper case; summary: empty; path rows: the path.
    std::wstring key;
    // Only local drive rows feed the summary.
    bool local = true;
    // What the drive or path answered; nothing for the summary.
    VolumeAnswer answer;

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
    // The volume label of a root such as "C:\"; empty when it has none.
    virtual std::wstring VolumeLabel(const std::wstring& root);
    virtual components::ShellIconPlace DriveIcon(const std::wstring& root);
};

DriveQueries& SystemDriveQueries();

// The path a row's figures are measured at: a drive letter's root ("C" gives
// "C:\"), a path as listed, except that a share root ("\\server\share") gets
// the trailing backslash without which the system measures nothing.
std::wstring MeasuringPath(std::wstring_view key);

// Asks a question: the calls that may touch a volume, and only those.
VolumeAnswer AnswerQuestion(const VolumeQuestion& question, DriveQueries& system);

// Answers a rebuild's questions, in their order; an answer that has not come
// is a drive or path with nothing to measure this time.
using AskVolumes =
    std::function<std::vector<std::optional<VolumeAnswer>>(const std::vector<VolumeQuestion>& questions)>;

// The drive roots in the system's order, upper case ("A:\", "C:\"...).
std::vector<std::wstring> DriveRoots(DriveQueries& system);

// The ordered row sources for a rebuild, each question answered by ask
// (by default at once, on the calling thread).
std::vector<RowSource> EnumerateRows(const RowOptions& options, DriveQueries& system,
                                     const AskVolumes& ask = {});

// True when the root (such as "X:\") names a drive substituted for a folder.
bool IsSubstitutedDrive(std::wstring_view root, DriveQueries& system);

// The additional paths from their text form: lines split at CR LF, trimmed,
// lines of one character or less dropped, order and duplicates kept.
std::vector<std::wstring> ParsePathList(std::wstring_view text);

} // namespace vorlan
