// The as* functions of the About box's information panes and module lists:
// operating system, memory, debug privilege, ToolHelp and image headers.
#include <algorithm>
#include <limits>
#include <string>

#include "support/as.h"
#include "support/pe_header.h"
#include "support/runtime_error.h"
#include "support/text.h"

namespace support {
namespace {

// Operating system -------------------------------------------------------------

std::wstring NtName(DWORD major, DWORD minor, DWORD build, bool server)
{
    if (major == 3 && minor == 51) return L"Windows NT 3.51";
    if (major == 4 && minor == 0) return L"Windows NT 4.0";
    if (major == 5 && minor == 0) return L"Windows 2000";
    if (major == 5 && minor == 1) return L"Windows XP";
    if (major == 5 && minor == 2) return server ? L"Windows Server 2003" : L"Windows XP";
    if (major == 6 && minor == 0) return server ? L"Windows Server 2008" : L"Windows Vista";
    if (major == 6 && minor == 1) return server ? L"Windows Server 2008 R2" : L"Windows 7";
    if (major == 6 && minor == 2) return server ? L"Windows Server 2012" : L"Windows 8";
    if (major == 6 && minor == 3) return server ? L"Windows Server 2012 R2" : L"Windows 8.1";
    if (major == 10 && minor == 0) {
        if (!server) return build >= 22000 ? L"Windows 11" : L"Windows 10";
        return build >= 20348   ? L"Windows Server 2022"
               : build >= 17763 ? L"Windows Server 2019"
                                : L"Windows Server 2016";
    }
    return L"Windows NT " + std::to_wstring(major) + L"." + std::to_wstring(minor);
}

std::wstring NineXName(DWORD major, DWORD minor)
{
    if (major == 4 && minor == 0) return L"Windows 95";
    if (major == 4 && minor == 10) return L"Windows 98";
    if (major == 4 && minor == 90) return L"Windows Me";
    return L"Windows " + std::to_wstring(major) + L"." + std::to_wstring(minor);
}

// Functions that older systems lack ------------------------------------------------

template <typename Function> Function Kernel32Function(const char* name) noexcept
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

using GlobalMemoryStatusExProc = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
using CreateSnapshotProc = HANDLE(WINAPI*)(DWORD, DWORD);
using ModuleWProc = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using ModuleAProc = BOOL(WINAPI*)(HANDLE, tagMODULEENTRY32*);
// The ANSI record of Windows 9x: 548 bytes in a 32-bit process.
static_assert(sizeof(void*) != 4 || sizeof(tagMODULEENTRY32) == 548);

// The ANSI record as the wide one.
void CopyRecord(const tagMODULEENTRY32& from, MODULEENTRY32W& to)
{
    to.th32ModuleID = from.th32ModuleID;
    to.th32ProcessID = from.th32ProcessID;
    to.GlblcntUsage = from.GlblcntUsage;
    to.ProccntUsage = from.ProccntUsage;
    to.modBaseAddr = from.modBaseAddr;
    to.modBaseSize = from.modBaseSize;
    to.hModule = from.hModule;
    const auto copyText = [](const char* text, std::size_t capacity, wchar_t* out, std::size_t outCapacity) {
        const std::wstring wide = FromAnsi({text, ::strnlen(text, capacity)});
        const std::size_t length = std::min(wide.size(), outCapacity - 1);
        std::copy_n(wide.data(), length, out);
        out[length] = L'\0';
    };
    copyText(from.szModule, sizeof from.szModule, to.szModule, std::size(to.szModule));
    copyText(from.szExePath, sizeof from.szExePath, to.szExePath, std::size(to.szExePath));
}

bool NextModule(HANDLE snapshot, MODULEENTRY32W& entry, const char* wideName, const char* ansiName) noexcept
{
    if (!snapshot || snapshot == INVALID_HANDLE_VALUE) return false;
    if (const auto wide = Kernel32Function<ModuleWProc>(wideName)) {
        entry.dwSize = sizeof entry;
        return wide(snapshot, &entry) != FALSE;
    }
    const auto ansi = Kernel32Function<ModuleAProc>(ansiName);
    if (!ansi) return false;
    tagMODULEENTRY32 record{};
    record.dwSize = sizeof record;
    if (!ansi(snapshot, &record)) return false;
    try {
        CopyRecord(record, entry);
    } catch (...) {
        return false;
    }
    return true;
}

// An image's headers fit in its first page.
constexpr SIZE_T kHeaderBytes = 4096;

} // namespace

std::wstring asGetHostOSFullName(bool withBuild, bool withServicePack)
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    bool extended = true;
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
        extended = false; // Windows NT 4.0 before its sixth service pack, Windows 9x
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) RaiseLastWin32(L"GetVersionExW");
    }
    const bool nineX = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    const DWORD build = nineX ? version.dwBuildNumber & 0xFFFF : version.dwBuildNumber;
    std::wstring name = nineX ? NineXName(version.dwMajorVersion, version.dwMinorVersion)
                              : NtName(version.dwMajorVersion, version.dwMinorVersion, build,
                                       extended && version.wProductType != VER_NT_WORKSTATION);
    if (withBuild) name += L" (build " + std::to_wstring(build) + L")";
    const std::wstring servicePack =
        asTrimEx({version.szCSDVersion, ::wcsnlen(version.szCSDVersion, std::size(version.szCSDVersion))});
    if (withServicePack && !servicePack.empty()) name += L"\r\n" + servicePack;
    return name;
}

void asGlobalMemoryStatus(MemoryStatus& status)
{
    if (const auto extended = Kernel32Function<GlobalMemoryStatusExProc>("GlobalMemoryStatusEx")) {
        MEMORYSTATUSEX memory{};
        memory.dwLength = sizeof memory;
        if (!extended(&memory)) RaiseLastWin32(L"GlobalMemoryStatusEx");
        status = {static_cast<long>(memory.dwMemoryLoad),       static_cast<double>(memory.ullTotalPhys),
                  static_cast<double>(memory.ullAvailPhys),     static_cast<double>(memory.ullTotalPageFile),
                  static_cast<double>(memory.ullAvailPageFile), static_cast<double>(memory.ullTotalVirtual),
                  static_cast<double>(memory.ullAvailVirtual)};
        return;
    }
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    ::GlobalMemoryStatus(&memory);
    status = {static_cast<long>(memory.dwMemoryLoad),      static_cast<double>(memory.dwTotalPhys),
              static_cast<double>(memory.dwAvailPhys),     static_cast<double>(memory.dwTotalPageFile),
              static_cast<double>(memory.dwAvailPageFile), static_cast<double>(memory.dwTotalVirtual),
              static_cast<double>(memory.dwAvailVirtual)};
}

double asLargeIntegerToDouble(const FILETIME& value) noexcept
{
    return static_cast<double>((static_cast<std::uint64_t>(value.dwHighDateTime) << 32) |
                               value.dwLowDateTime);
}

bool asEnableDebugPrivilege(bool enable, TOKEN_PRIVILEGES* previous) noexcept
{
    if (previous) *previous = TOKEN_PRIVILEGES{};
    UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid)) return false;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    ::SetLastError(ERROR_SUCCESS);
    DWORD size = sizeof(TOKEN_PRIVILEGES);
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, previous,
                                 previous ? &size : nullptr))
        return false;
    return ::GetLastError() == ERROR_SUCCESS; // ERROR_NOT_ALL_ASSIGNED: the user lacks it
}

DebugPrivilegeScope::DebugPrivilegeScope() noexcept
{
    asEnableDebugPrivilege(true, &previous_);
}

DebugPrivilegeScope::~DebugPrivilegeScope()
{
    // Only what enabling changed is listed; nothing listed, nothing to put back.
    if (previous_.PrivilegeCount == 0) return;
    UniqueKernelHandle token;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()))
        ::AdjustTokenPrivileges(token.get(), FALSE, &previous_, 0, nullptr, nullptr);
}

UniqueFileHandle asCreateToolhelp32Snapshot(DWORD flags, DWORD processId) noexcept
{
    const auto create = Kernel32Function<CreateSnapshotProc>("CreateToolhelp32Snapshot");
    if (!create) return {};
    return UniqueFileHandle(create(flags, processId));
}

bool asModule32First(HANDLE snapshot, MODULEENTRY32W& entry) noexcept
{
    return NextModule(snapshot, entry, "Module32FirstW", "Module32First");
}

bool asModule32Next(HANDLE snapshot, MODULEENTRY32W& entry) noexcept
{
    return NextModule(snapshot, entry, "Module32NextW", "Module32Next");
}

std::uintptr_t asGetModulePreferredBaseAddr(DWORD processId, std::uintptr_t loadAddress)
{
    UniqueKernelHandle other;
    HANDLE process = ::GetCurrentProcess();
    if (processId != ::GetCurrentProcessId()) {
        other.reset(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        if (!other) RaiseLastWin32(L"OpenProcess");
        process = other.get();
    }
    // Read no further than the committed region the headers start in.
    MEMORY_BASIC_INFORMATION region{};
    const auto* address = reinterpret_cast<const void*>(loadAddress);
    if (!::VirtualQueryEx(process, address, &region, sizeof region) || region.State != MEM_COMMIT)
        Raise(err::InvalidProcedureCall, {}, L"asGetModulePreferredBaseAddr");
    const std::uintptr_t regionEnd = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    std::string bytes(
        static_cast<std::size_t>(std::min<std::uintptr_t>(regionEnd - loadAddress, kHeaderBytes)), '\0');
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, address, bytes.data(), bytes.size(), &read))
        Raise(err::InvalidProcedureCall, {}, L"asGetModulePreferredBaseAddr");
    bytes.resize(read);
    const auto imageBase = PeImageBase(bytes);
    if (!imageBase || *imageBase > std::numeric_limits<std::uintptr_t>::max())
        Raise(err::InvalidProcedureCall, {}, L"asGetModulePreferredBaseAddr");
    return static_cast<std::uintptr_t>(*imageBase);
}

} // namespace support
