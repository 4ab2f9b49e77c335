#include "components/shell_icon_reader.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "support/system_library.h"

namespace components {
namespace {

// The shell's functions want COM on the thread that calls them.
class ThreadApartment {
public:
    ThreadApartment() noexcept : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    {}
    ThreadApartment(const ThreadApartment&) = delete;
    ThreadApartment& operator=(const ThreadApartment&) = delete;
    ~ThreadApartment()
    {
        if (initialised_) ::CoUninitialize();
    }

private:
    bool initialised_;
};

} // namespace

ShellIconReader::ShellIconReader()
{
    ThreadApartment apartment;
    SHFILEINFOW info{};
    ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

ShellIconPlace ShellIconReader::Locate(std::wstring_view driveRoot)
{
    if (driveRoot.empty()) return {};
    const std::wstring root(driveRoot);
    // Some shells answer with a generic drive icon even for a letter that is not mapped.
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return {};

    // The position of the root's icon in the shell's list of small icons.
    // Asking for the icon itself would make a new copy of it on every read.
    ThreadApartment apartment;
    SHFILEINFOW info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!list || info.iIcon < 0) return {};
    return {list, info.iIcon};
}

HICON ShellIconReader::Icon(ShellIconPlace place)
{
    if (!place.list || place.index < 0) return nullptr;
    support::UniqueIcon& icon = icons_[place.index];
    static const auto getIcon =
        support::SystemFunction<decltype(&::ImageList_GetIcon)>(L"comctl32.dll", "ImageList_GetIcon");
    if (!icon && getIcon) icon.reset(getIcon(place.list, place.index, ILD_NORMAL));
    return icon.get();
}

bool ShellIconReader::Read(std::wstring_view driveRoot)
{
    current_ = Icon(Locate(driveRoot));
    return current_ != nullptr;
}

} // namespace components
