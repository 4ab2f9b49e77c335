#include "vorlan/drive_list.h"

#include <algorithm>
#include <cwctype>

#include "support/as.h"
#include "support/es.h"
#include "support/text.h"

namespace vorlan {

std::string DriveQueries::LogicalDriveStrings()
{
    std::string buffer(1025, '\0');
    ::GetLogicalDriveStringsA(1024, buffer.data());
    return buffer;
}

UINT DriveQueries::DriveType(const std::string& root)
{
    return ::GetDriveTypeA(root.c_str());
}

std::string DriveQueries::QueryDosDevice(const std::string& device)
{
    std::string buffer(261, '\0');
    ::QueryDosDeviceA(device.c_str(), buffer.data(), 260);
    return buffer;
}

bool DriveQueries::IsHostWinNT()
{
    return support::esIsHostWinNT();
}

double DriveQueries::DiskSpaceTotal(std::wstring_view path)
{
    return support::esGetDiskSpaceTotal(path);
}

double DriveQueries::DiskSpaceFree(std::wstring_view path)
{
    return support::esGetDiskSpaceFree(path);
}

std::wstring DriveQueries::VolumeLabel(const std::wstring& root)
{
    wchar_t label[MAX_PATH + 1] = {};
    support::CriticalErrorsFailed noErrorBox;
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        label[0] = 0;
    return label;
}

components::ShellIconPlace DriveQueries::DriveIcon(const std::wstring& root)
{
    return components::ShellIconReader::Locate(root);
}

DriveQueries& SystemDriveQueries()
{
    // Never destroyed: a query still waiting for its volume when the process
    // ends may come back while the program's statics go.
    static DriveQueries* system = new DriveQueries;
    return *system;
}

namespace {

std::wstring Upper(std::wstring text)
{
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring Lower(std::wstring text)
{
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Splits at every occurrence of the separator; an empty text gives no pieces.
std::vector<std::wstring> Split(std::wstring_view text, std::wstring_view separator)
{
    std::vector<std::wstring> pieces;
    if (text.empty()) return pieces;
    size_t start = 0;
    for (size_t found; (found = text.find(separator, start)) != std::wstring_view::npos;
         start = found + separator.size())
        pieces.emplace_back(text.substr(start, found - start));
    pieces.emplace_back(text.substr(start));
    return pieces;
}

} // namespace

std::wstring MeasuringPath(std::wstring_view key)
{
    if (key.size() == 1) return std::wstring(key) + L":\\";
    std::wstring path(key);
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() < 5 || !separator(path[0]) || !separator(path[1])) return path;
    // "\\?\" and "\\.\" name devices and long paths, not shares.
    if ((path[2] == L'?' || path[2] == L'.') && separator(path[3])) return path;
    const size_t server = path.find_first_of(L"\\/", 2);
    if (server == 2 || server == std::wstring::npos || server + 1 >= path.size()) return path;
    if (path.find_first_of(L"\\/", server + 1) != std::wstring::npos) return path;
    return path + L'\\';
}

std::vector<std::wstring> DriveRoots(DriveQueries& system)
{
    std::wstring roots = Upper(support::asGetStringFrom2NullBufferA(system.LogicalDriveStrings()));
    return Split(roots, std::wstring_view(L"\0", 1));
}

bool IsSubstitutedDrive(std::wstring_view root, DriveQueries& system)
{
    std::wstring device = support::asCutRight(root, 1);
    std::wstring target =
        support::asTrimEx(support::asGetStringFromPointerA(system.QueryDosDevice(support::ToAnsi(device))));
    if (target.empty()) return false;
    if (system.IsHostWinNT()) {
        // "\??\X:\" and the folder behind it: a drive made by substitution.
        std::wstring_view head = std::wstring_view(target).substr(0, 7);
        return head.size() == 7 && head[0] == L'\\' && head[1] == L'?' && head[2] == L'?' &&
               head[3] == L'\\' && head[5] == L':' && head[6] == L'\\';
    }
    // On the 9x family a plain drive maps to its own name, a substituted one to a folder.
    return Lower(std::wstring(root.substr(0, 2))) != Lower(target);
}

VolumeAnswer AnswerQuestion(const VolumeQuestion& question, DriveQueries& system)
{
    VolumeAnswer answer;
    const std::wstring path = MeasuringPath(question.key);
    if (question.key.size() == 1) {
        answer.type = system.DriveType(support::ToAnsi(path));
        const bool measured = answer.type == DRIVE_REMOVABLE || answer.type == DRIVE_FIXED ||
                              answer.type == DRIVE_RAMDISK ||
                              (answer.type == DRIVE_REMOTE && question.measureRemote);
        if (!measured) return answer;
    }
    answer.total = system.DiskSpaceTotal(path);
    if (answer.total == 0) return answer;
    // Free space beyond the total (a volume's own free space seen against a
    // quota) would make the used space negative: it is all free, no more.
    answer.free = std::max(0.0, std::min(system.DiskSpaceFree(path), answer.total));
    if (question.key.size() == 1) {
        answer.label = system.VolumeLabel(path);
        answer.icon = system.DriveIcon(path);
    }
    return answer;
}

std::vector<RowSource> EnumerateRows(const RowOptions& options, DriveQueries& system, const AskVolumes& ask)
{
    // The questions: drives that can qualify without asking their volumes, then the paths.
    std::vector<VolumeQuestion> questions;
    for (const std::wstring& root : DriveRoots(system)) {
        if (root.empty() || root == L"A:\\" || root == L"B:\\") continue;
        if (IsSubstitutedDrive(root, system)) continue;
        questions.push_back({root.substr(0, 1), options.showNetworkDrives});
    }
    const size_t drives = questions.size();
    if (options.showAdditionalPaths) {
        for (const std::wstring& path : options.additionalPaths)
            questions.push_back({path, false});
    }

    std::vector<std::optional<VolumeAnswer>> answers;
    if (ask) {
        answers = ask(questions);
    } else {
        for (const VolumeQuestion& question : questions)
            answers.emplace_back(AnswerQuestion(question, system));
    }

    std::vector<RowSource> rows;
    for (size_t i = 0; i < drives; ++i) {
        if (!answers[i]) continue;
        const UINT type = answers[i]->type;
        bool local = true;
        if (type == DRIVE_REMOTE) {
            if (!options.showNetworkDrives) continue;
            local = false;
        }
        if (type == DRIVE_CDROM || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) continue;
        if (answers[i]->total == 0) continue;
        rows.push_back({questions[i].key, local, std::move(*answers[i])});
    }
    if (options.showSummary) rows.push_back({L"", true});
    for (size_t i = drives; i < questions.size(); ++i) {
        if (answers[i] && answers[i]->total != 0) rows.push_back({questions[i].key, false, *answers[i]});
    }
    return rows;
}

std::vector<std::wstring> ParsePathList(std::wstring_view text)
{
    std::vector<std::wstring> paths;
    for (const std::wstring& line : Split(text, L"\r\n")) {
        std::wstring path =
            support::asTrimEx2(line, true, true, true, true, true, false, false, false, false, false);
        if (path.size() > 1) paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace vorlan
