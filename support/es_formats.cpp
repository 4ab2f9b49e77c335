// The es* functions of the About box's information panes and module lists:
// hexadecimal texts, dates and times, and file names.
#include <cwchar>
#include <string>

#include "support/es.h"
#include "support/runtime_error.h"

namespace support {
namespace {

std::wstring Hex(unsigned long long value, int digits)
{
    wchar_t text[24];
    std::swprintf(text, std::size(text), L"%0*llX", digits, value);
    return text;
}

using DateOrTimeFormat = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

std::wstring FormatWith(DateOrTimeFormat format, const wchar_t* name, const SYSTEMTIME& time, DWORD flags,
                        LCID locale)
{
    if (locale == 0) locale = LOCALE_USER_DEFAULT;
    const int length = format(locale, flags, &time, nullptr, nullptr, 0);
    if (length <= 0) RaiseLastWin32(name);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (format(locale, flags, &time, nullptr, text.data(), length) <= 0) RaiseLastWin32(name);
    text.resize(static_cast<std::size_t>(length - 1));
    return text;
}

} // namespace

std::wstring esHex2(std::uint16_t value)
{
    return Hex(value, 4);
}

std::wstring esHexEx4(std::uint32_t value)
{
    return L"0x" + Hex(value, 8);
}

std::wstring esHexAddress(std::uintptr_t value)
{
    return L"0x" + Hex(value, static_cast<int>(sizeof value * 2));
}

std::wstring esFormatDate(const SYSTEMTIME& time, DWORD flags, LCID locale)
{
    return FormatWith(::GetDateFormatW, L"GetDateFormatW", time, flags, locale);
}

std::wstring esFormatTime(const SYSTEMTIME& time, DWORD flags, LCID locale)
{
    return FormatWith(::GetTimeFormatW, L"GetTimeFormatW", time, flags, locale);
}

void esSystemTimeToLocalSystemTime(const SYSTEMTIME& in, SYSTEMTIME& out)
{
    const SYSTEMTIME utc = in;
    SYSTEMTIME local{};
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        RaiseLastWin32(L"SystemTimeToTzSpecificLocalTime");
    out = local;
}

std::wstring esBuildFileName(std::wstring_view folder, std::wstring_view name)
{
    while (!name.empty() && (name.front() == L'\\' || name.front() == L'/'))
        name.remove_prefix(1);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.remove_suffix(1);
    if (folder.empty()) return std::wstring(name);
    return std::wstring(folder) + L"\\" + std::wstring(name);
}

std::wstring esGetLongFileName(std::wstring_view path)
{
    using GetLongPathNameProc = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    // Bound by name: kernel32 has it from Windows 98 and 2000 on.
    static const auto getLongPathName = reinterpret_cast<GetLongPathNameProc>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetLongPathNameW")));
    const std::wstring given(path);
    if (!getLongPathName || given.empty()) return given;
    std::wstring longPath(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            getLongPathName(given.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
        if (length == 0) return given;
        if (length < longPath.size()) {
            longPath.resize(length);
            return longPath;
        }
        longPath.resize(length); // the size it needs, its NUL included
    }
    return given;
}

} // namespace support
