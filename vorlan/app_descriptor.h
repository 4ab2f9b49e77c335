#pragma once
// The program's run-time application object: what the About box and the
// settings store read about the program.

#include <windows.h>

#include <string>

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

} // namespace vorlan
