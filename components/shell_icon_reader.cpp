#include "components/shell_icon_reader.h"

#include <shellapi.h>

#include <string>

namespace components {

bool ShellIconReader::Read(std::wstring_view driveRoot)
{
    icon_.reset();
    if (driveRoot.empty()) return false;
    const std::wstring root(driveRoot);
    // Some shells answer with a generic drive icon even for a letter that is not mapped.
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return false;

    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return false;
    icon_.reset(info.hIcon);
    return static_cast<bool>(icon_);
}

} // namespace components
