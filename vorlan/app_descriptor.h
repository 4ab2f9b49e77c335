#pragma once
// The program's run-time application object: what the About box and the
// settings store read about the program.

#include <windows.h>

#include <string>

#include "toolkit/automation.h"

namespace vorlan {

struct AppDescriptor {
    std::wstring Title;
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
    std::wstring EXEName; // the executable's name without its extension
    std::wstring Path;    // the executable's folder, without a trailing backslash
    HINSTANCE hInstance = nullptr;

    // Vorlan's own: "Tollever - Vorlan" 1.04.0052, read from the running executable.
    static AppDescriptor ForThisProgram();
};

// The descriptor as late-bound callers read it: Title, Major, Minor,
// Revision, EXEName, Path and hInstance (a Long, as the type library of the
// runtime gives it: a module handle of a 64-bit process may not fit, so it
// is the handle's low 32 bits there).
class AppObject final : public toolkit::Automatable {
public:
    explicit AppObject(const AppDescriptor& app) : app_(app) {}
    const toolkit::automation::ClassInfo& AutomationClass() const override;

private:
    const AppDescriptor& app_;
};

} // namespace vorlan
