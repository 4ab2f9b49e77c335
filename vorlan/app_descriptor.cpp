#include "vorlan/app_descriptor.h"

#include <string>

#include "vorlan/res/version.h"

namespace vorlan {

AppDescriptor AppDescriptor::ForThisProgram()
{
    AppDescriptor app;
    app.Title = L"Tollever - Vorlan";
    app.Major = VORLAN_VERSION_MAJOR;
    app.Minor = VORLAN_VERSION_MINOR;
    app.Revision = VORLAN_VERSION_REVISION;
    app.hInstance = ::GetModuleHandleW(nullptr);

    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    app.Path = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = file.find_last_of(L'.');
    app.EXEName = dot == std::wstring::npos ? file : file.substr(0, dot);
    return app;
}

} // namespace vorlan
