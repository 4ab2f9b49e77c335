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

const toolkit::automation::ClassInfo& AppObject::AutomationClass() const
{
    using support::Variant;
    static const toolkit::automation::ClassInfo info = [] {
        toolkit::automation::ClassInfo made(L"App");
        toolkit::automation::Members<AppObject>(made)
            .Property(L"Title", [](AppObject& a) { return Variant::Text(a.app_.Title); })
            .Property(L"Major", [](AppObject& a) { return Variant::Long(a.app_.Major); })
            .Property(L"Minor", [](AppObject& a) { return Variant::Long(a.app_.Minor); })
            .Property(L"Revision", [](AppObject& a) { return Variant::Long(a.app_.Revision); })
            .Property(L"EXEName", [](AppObject& a) { return Variant::Text(a.app_.EXEName); })
            .Property(L"Path", [](AppObject& a) { return Variant::Text(a.app_.Path); })
            .Property(L"hInstance", [](AppObject& a) {
                return Variant::Long(static_cast<LONG>(reinterpret_cast<LONG_PTR>(a.app_.hInstance)));
            });
        return made;
    }();
    return info;
}

} // namespace vorlan
