#pragma once
// The public classes of the library: one line each in class_table.cpp.

#include <windows.h>

#include <span>

namespace verrick {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name; // the class name; the ProgID is "Velmora." + name
    // Creates an instance answering iid; null for classes clients cannot create.
    HRESULT (*create)(REFIID iid, void** object);
    // OLEMISC_* flags of an ActiveX control, registered with it; 0 for classes that are no control.
    DWORD miscStatus = 0;
};

std::span<const ClassEntry> PublicClasses() noexcept;

inline constexpr wchar_t kLibraryName[] = L"Velmora";
// The library's help string, also its name in the registry.
inline constexpr wchar_t kLibraryDescription[] = L"Tollever - Библиотека общих функций 3.07";

} // namespace verrick
