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

DriveQueries& SystemDriveQueries()
{
    static DriveQueries system;
    return system;
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

std::vector<RowSource> EnumerateRows(const RowOptions& options, DriveQueries& system)
{
    std::vector<RowSource> rows;
    for (const std::wstring& root : DriveRoots(system)) {
        UINT type = system.DriveType(support::ToAnsi(root));
        bool local = true;
        if (type == DRIVE_REMOTE) {
            if (!options.showNetworkDrives) continue;
            local = false;
        }
        if (type == DRIVE_CDROM || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) continue;
        if (root == L"A:\\" || root == L"B:\\") continue;
        if (IsSubstitutedDrive(root, system)) continue;
        if (system.DiskSpaceTotal(root) == 0) continue;
        rows.push_back({root.substr(0, 1), local});
    }
    if (options.showSummary) rows.push_back({L"", true});
    if (options.showAdditionalPaths) {
        for (const std::wstring& path : options.additionalPaths) {
            if (system.DiskSpaceTotal(MeasuringPath(path)) != 0) rows.push_back({path, false});
        }
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
