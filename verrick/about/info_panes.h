#pragma once
// The About box's information panes: the process's modules, the machine's
// memory and operating system, and the process's own times. Each is read
// once when a box opens and handed to the box as display texts.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace verrick::about {

// One module of the current process. Addresses are pointer-sized: the
// 64-bit library reports its modules' full addresses.
struct CModuleEntry {
    std::wstring FileName; // full path
    std::wstring Name;     // file name without folder
    std::uintptr_t BaseAddress = 0;
    std::uintptr_t BaseSize = 0;
    std::uintptr_t PrefferedAddress = 0;

    // One line laid out for a name column nameSize characters wide.
    std::wstring toString(long nameSize) const;
};

// A snapshot of the modules, taken at creation.
class ModuleSnapshot {
public:
    virtual ~ModuleSnapshot() = default;
    long ModulesCount() const noexcept { return static_cast<long>(Entries.size()); }
    // Raises 9 for an index outside 0 .. count - 1.
    const CModuleEntry& ModuleItem(long index) const;

protected:
    std::vector<CModuleEntry> Entries;
};

class CToolHelpInfo final : public ModuleSnapshot {
public:
    CToolHelpInfo();
};

// Raises the runtime's error when the process-status library or one of its
// functions is missing.
class CPSAPIInfo final : public ModuleSnapshot {
public:
    CPSAPIInfo();
};

// The Modules tab's content: the source the lines came from (kept for the
// double click's look-up), one line per entry in entry order, and the length
// of the longest line in characters. An empty listing leaves the tab out.
struct ModuleListing {
    std::unique_ptr<ModuleSnapshot> Source;
    std::vector<std::wstring> Lines;
    std::size_t LongestLine = 0;
};
ModuleListing ReadModuleListing();
// The listing of one source: every name padded to the longest.
ModuleListing ListModules(std::unique_ptr<ModuleSnapshot> source);

// Shows the shell's Properties sheet of a module file; does nothing when the
// index has no entry.
void ShowModuleProperties(HWND owner, const ModuleSnapshot& source, long index);

// The System Info tab: the operating system's full name and the three memory
// figures (free physical memory ending in its percentage in parentheses, the
// page file in use, reserved virtual memory).
struct SystemInfoTexts {
    std::wstring OsName;
    std::wstring FreePhysical;
    std::wstring PageFileUsage;
    std::wstring ReservedVirtual;
};
SystemInfoTexts ReadSystemInfo();

// The Process Times tab: creation time, elapsed time, kernel time, user time,
// total processor time; no value when the times cannot be read (the tab is
// then not offered).
std::optional<std::array<std::wstring, 5>> ReadProcessTimes();

// Formatters of the Process Times tab. A duration is a count of 100 ns units.
std::wstring FormatDuration(double units);
std::wstring FormatFileTimeLocal(const FILETIME& time);
std::wstring FormatFileTimeDuration(const FILETIME& time);
std::wstring FormatElapsedTime(const FILETIME& exit, const FILETIME& creation);
std::wstring FormatCpuTotal(const FILETIME& kernel, const FILETIME& user);

// Starts the system information tool, or says in a message box that it is
// not available.
void ShowSystemInfo(HWND owner);

} // namespace verrick::about
