#include "support/system_library.h"

#include <new>
#include <string>

namespace support {
namespace {

// Present with the LOAD_LIBRARY_SEARCH_* flags; older systems refuse the flags.
FARPROC Kernel32Function(const char* name) noexcept
{
    return ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
}

bool SearchFlagsKnown() noexcept
{
    static const bool known = Kernel32Function("AddDllDirectory") != nullptr;
    return known;
}

// The file's full path in the folder; empty when the folder cannot be told.
std::wstring InFolder(SystemFolder folder, const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const UINT length = folder == SystemFolder::System ? ::GetSystemDirectoryW(path, MAX_PATH)
                                                       : ::GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(path, length) + L'\\' + name;
}

} // namespace

UniqueModule LoadSystemLibrary(const wchar_t* name) noexcept
{
    if (SearchFlagsKnown())
        return UniqueModule(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    try {
        const std::wstring path = InFolder(SystemFolder::System, name);
        // Its own imports are looked for beside it, in the system folder, too.
        return UniqueModule(
            path.empty() ? nullptr : ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

UniqueModule LoadSystemResources(SystemFolder folder, const wchar_t* name) noexcept
{
    try {
        const std::wstring path = InFolder(folder, name);
        return path.empty() ? UniqueModule() : LoadResources(path.c_str());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

UniqueModule LoadResources(const wchar_t* file) noexcept
{
    HMODULE module =
        ::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    // Systems before Vista know the data mapping only.
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return UniqueModule(module);
}

void RestrictLibrarySearch() noexcept
{
    using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    if (auto set = reinterpret_cast<SetDefaultDllDirectories>(
            reinterpret_cast<void (*)()>(Kernel32Function("SetDefaultDllDirectories"))))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace support
