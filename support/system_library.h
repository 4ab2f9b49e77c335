#pragma once
// Libraries loaded by name while the program runs. A bare name is looked for
// in the host program's own folder first, where a file of that name could run
// inside the host; so code comes from the system folder only, and files read
// for their icons or texts are mapped as data, never run.

#include <windows.h>

#include "support/handles.h"

namespace support {

// A system library, for its code, from the system folder only. Null, with the
// system's error, when it is not there.
UniqueModule LoadSystemLibrary(const wchar_t* name) noexcept;

// A function of a system library, by name or by ordinal (MAKEINTRESOURCEA);
// null where the library or the function is missing. The library stays loaded
// for good: callers keep the function.
template <typename Function> Function SystemFunction(const wchar_t* library, const char* name) noexcept
{
    HMODULE module = LoadSystemLibrary(library).release();
    FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
    if (module && !address) ::FreeLibrary(module);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The folders resource files of the system lie in.
enum class SystemFolder { System, Windows };

// A file of the system read for its resources only (icons, texts), from its
// folder: mapped as data and image resources.
UniqueModule LoadSystemResources(SystemFolder folder, const wchar_t* name) noexcept;

// Any file read for its resources only, found as its name says: its code
// never runs.
UniqueModule LoadResources(const wchar_t* file) noexcept;

// Restricts the process's own library search to the system folder, where the
// system can (Windows 8, or 7 with its update); a program calls it first thing.
void RestrictLibrarySearch() noexcept;

} // namespace support
