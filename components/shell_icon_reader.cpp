#include "components/shell_icon_reader.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "support/system_library.h"

namespace components {

bool ShellIconReader::Read(std::wstring_view driveRoot)
{
    current_ = nullptr;
    if (driveRoot.empty()) return false;
    const std::wstring root(driveRoot);
    // Some shells answer with a generic drive icon even for a letter that is not mapped.
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return false;

    // The position of the root's icon in the shell's list of small icons (the
    // list is the shell's, never destroyed here). Asking for the icon itself
    // would make a new copy of it on every read.
    SHFILEINFOW info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!list || info.iIcon < 0) return false;
    support::UniqueIcon& icon = icons_[info.iIcon];
    static const auto getIcon =
        support::SystemFunction<decltype(&::ImageList_GetIcon)>(L"comctl32.dll", "ImageList_GetIcon");
    if (!icon && getIcon) icon.reset(getIcon(list, info.iIcon, ILD_NORMAL));
    current_ = icon.get();
    return current_ != nullptr;
}

} // namespace components
