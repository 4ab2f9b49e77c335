// The module lists of the About box: the process's modules from PSAPI or from
// ToolHelp, one display line each.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/as.h"
#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "support/system_library.h"
#include "verrick/about/info_panes.h"

namespace verrick::about {
namespace {

// The preferred address of a loaded module; 0 when its headers cannot be read.
std::uintptr_t PreferredAddress(std::uintptr_t loadAddress) noexcept
{
    try {
        return support::asGetModulePreferredBaseAddr(::GetCurrentProcessId(), loadAddress);
    } catch (const std::exception&) {
        return 0;
    }
}

// The process-status functions, bound by name: PSAPI.DLL is not on every system.
class Psapi {
public:
    Psapi()
    {
        library_ = support::LoadSystemLibrary(L"psapi.dll");
        if (!library_) support::Raise(support::err::FileNotFound, L"File not found: psapi.dll");
        Bind(enumProcessModules, "EnumProcessModules");
        Bind(getModuleFileNameEx, "GetModuleFileNameExW");
        Bind(getModuleBaseName, "GetModuleBaseNameW");
        Bind(getModuleInformation, "GetModuleInformation");
    }

    BOOL(WINAPI* enumProcessModules)(HANDLE, HMODULE*, DWORD, LPDWORD) = nullptr;
    DWORD(WINAPI* getModuleFileNameEx)(HANDLE, HMODULE, LPWSTR, DWORD) = nullptr;
    DWORD(WINAPI* getModuleBaseName)(HANDLE, HMODULE, LPWSTR, DWORD) = nullptr;
    BOOL(WINAPI* getModuleInformation)(HANDLE, HMODULE, LPMODULEINFO, DWORD) = nullptr;

private:
    template <typename Function> void Bind(Function& function, const char* name)
    {
        function =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library_.get(), name)));
        if (!function)
            support::Raise(support::err::DllEntryPointMissing,
                           L"Can't find DLL entry point " + std::wstring(name, name + std::strlen(name)) +
                               L" in psapi.dll");
    }

    support::UniqueModule library_;
};

std::wstring ModuleText(DWORD(WINAPI* read)(HANDLE, HMODULE, LPWSTR, DWORD), HMODULE module)
{
    wchar_t text[1024] = {};
    const DWORD length = read(::GetCurrentProcess(), module, text, 1024);
    return std::wstring(text, std::min<DWORD>(length, 1024));
}

// Every module handle of the process, however many there are: the array grows
// to what the system says it needs.
std::vector<HMODULE> ProcessModules(const Psapi& psapi)
{
    std::vector<HMODULE> modules(2048);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD needed = 0;
        if (!psapi.enumProcessModules(::GetCurrentProcess(), modules.data(),
                                      static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
            return {};
        const std::size_t count = needed / sizeof(HMODULE);
        if (count <= modules.size()) {
            modules.resize(count);
            return modules;
        }
        modules.resize(count + 64); // more were loaded meanwhile: ask again
    }
    return {};
}

} // namespace

std::wstring CModuleEntry::toString(long nameSize) const
{
    std::wstring line = Name;
    if (nameSize > 0 && line.size() < static_cast<std::size_t>(nameSize))
        line.append(static_cast<std::size_t>(nameSize) - line.size(), L' ');
    const std::wstring base = support::esHexAddress(BaseAddress);
    line += L"  " + base + L"  ";
    if (PrefferedAddress != BaseAddress)
        line += L"(" + support::esHexAddress(PrefferedAddress) + L")  ";
    else
        line.append(base.size() + 4, L' ');
    std::wstring size = support::asFormatInt64(static_cast<double>(BaseSize));
    if (size.size() < 13) size.append(13 - size.size(), L' ');
    line += size + L"  " + FileName;
    return line;
}

const CModuleEntry& ModuleSnapshot::ModuleItem(long index) const
{
    if (index < 0 || index >= ModulesCount()) support::Raise(support::err::SubscriptOutOfRange);
    return Entries[static_cast<std::size_t>(index)];
}

CToolHelpInfo::CToolHelpInfo()
{
    const support::DebugPrivilegeScope debugPrivilege;
    const support::UniqueFileHandle snapshot =
        support::asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetCurrentProcessId());
    if (!snapshot) return;
    MODULEENTRY32W record{};
    record.dwSize = sizeof record;
    for (bool delivered = support::asModule32First(snapshot.get(), record); delivered;
         delivered = support::asModule32Next(snapshot.get(), record)) {
        CModuleEntry entry;
        entry.Name = support::asGetStringFromPointerW({record.szModule, std::size(record.szModule)});
        entry.BaseAddress = reinterpret_cast<std::uintptr_t>(record.modBaseAddr);
        entry.PrefferedAddress = PreferredAddress(entry.BaseAddress);
        entry.BaseSize = record.modBaseSize;
        entry.FileName = support::esGetLongFileName(
            support::asGetStringFromPointerW({record.szExePath, std::size(record.szExePath)}));
        Entries.push_back(std::move(entry));
    }
}

CPSAPIInfo::CPSAPIInfo()
{
    const Psapi psapi;
    const support::DebugPrivilegeScope debugPrivilege;
    for (HMODULE module : ProcessModules(psapi)) {
        CModuleEntry entry;
        entry.FileName = ModuleText(psapi.getModuleFileNameEx, module);
        entry.Name = ModuleText(psapi.getModuleBaseName, module);
        MODULEINFO information{};
        if (psapi.getModuleInformation(::GetCurrentProcess(), module, &information, sizeof information)) {
            entry.BaseAddress = reinterpret_cast<std::uintptr_t>(information.lpBaseOfDll);
            entry.PrefferedAddress = PreferredAddress(entry.BaseAddress);
            entry.BaseSize = information.SizeOfImage;
        }
        Entries.push_back(std::move(entry));
    }
}

ModuleListing ListModules(std::unique_ptr<ModuleSnapshot> source)
{
    ModuleListing listing;
    const long count = source->ModulesCount();
    long nameSize = 0;
    for (long i = 0; i < count; ++i)
        nameSize = std::max(nameSize, static_cast<long>(source->ModuleItem(i).Name.size()));
    for (long i = 0; i < count; ++i) {
        listing.Lines.push_back(source->ModuleItem(i).toString(nameSize));
        listing.LongestLine = std::max(listing.LongestLine, listing.Lines.back().size());
    }
    listing.Source = std::move(source);
    return listing;
}

ModuleListing ReadModuleListing()
{
    if (!support::esIsHostWin9x()) {
        std::unique_ptr<ModuleSnapshot> psapi;
        try {
            psapi = std::make_unique<CPSAPIInfo>();
        } catch (const support::RuntimeError&) {
            // No PSAPI: ToolHelp below.
        }
        if (psapi && psapi->ModulesCount() > 0) return ListModules(std::move(psapi));
    }
    ModuleListing listing = ListModules(std::make_unique<CToolHelpInfo>());
    if (listing.Lines.empty()) listing.Source.reset();
    return listing;
}

void ShowModuleProperties(HWND owner, const ModuleSnapshot& source, long index)
{
    if (index < 0 || index >= source.ModulesCount()) return;
    const std::wstring& file = source.ModuleItem(index).FileName;
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_INVOKEIDLIST;
    execute.hwnd = owner;
    execute.lpVerb = L"properties";
    execute.lpFile = file.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&execute);
}

} // namespace verrick::about
