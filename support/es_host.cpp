#include <lmcons.h>

#include <string>
#include <utility>
#include <vector>

#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"

namespace support {
namespace {

bool HostIs(DWORD platform, DWORD major, DWORD minor)
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) RaiseLastWin32(L"GetVersionExW");
    return version.dwPlatformId == platform && version.dwMajorVersion == major &&
           version.dwMinorVersion == minor;
}

} // namespace

bool esIsHostWin95()
{
    return HostIs(VER_PLATFORM_WIN32_WINDOWS, 4, 0);
}

bool esIsHostWinNT40()
{
    return HostIs(VER_PLATFORM_WIN32_NT, 4, 0);
}

bool esIsHostWinNT351()
{
    return HostIs(VER_PLATFORM_WIN32_NT, 3, 51);
}

std::wstring esGetFullUserName()
{
    // The account the thread runs as: its domain (or machine) and its name.
    UniqueKernelHandle token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()))
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
    DWORD size = 0;
    if (token) ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size && ::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) {
        wchar_t name[UNLEN + 1] = {}, domain[256] = {};
        DWORD nameLength = UNLEN + 1, domainLength = 256;
        SID_NAME_USE use{};
        if (::LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, name,
                                &nameLength, domain, &domainLength, &use))
            return std::wstring(domain) + L"\\" + name;
    }
    wchar_t name[UNLEN + 1] = {};
    DWORD length = UNLEN + 1;
    if (!::GetUserNameW(name, &length)) return {};
    return name;
}

void esUnloadForm(HWND window)
{
    if (!::IsWindow(window)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"esUnloadForm");
    HWND form = ::GetAncestor(window, GA_ROOT);
    ::SendMessageW(form ? form : window, WM_CLOSE, 0, 0);
}

long esMakeLong(long low, long high) noexcept
{
    return static_cast<long>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high)));
}

void esNormalizeRect(RECT& rect) noexcept
{
    if (rect.left > rect.right) std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
}

} // namespace support
