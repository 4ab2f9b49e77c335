#include <algorithm>
#include <string>
#include <vector>

#include "support/es.h"
#include "support/handles.h"

namespace support {

namespace {

std::wstring Expanded(const std::wstring& text)
{
    std::vector<wchar_t> expanded(text.size() + 64);
    for (;;) {
        const DWORD needed =
            ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) return text;
        if (needed <= expanded.size()) return expanded.data();
        expanded.resize(needed);
    }
}

} // namespace

std::wstring esReadStringFromRegistry(HKEY root, std::wstring_view key, std::wstring_view value,
                                      std::wstring_view defaultText, bool* found, bool expand)
{
    if (found) *found = false;
    UniqueRegKey opened;
    const std::wstring keyPath(key), valueName(value);
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS)
        return std::wstring(defaultText);
    std::vector<wchar_t> data(64);
    for (;;) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LONG status = ::RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_MORE_DATA) {
            // Room for a terminating NUL the stored data may lack.
            data.resize(bytes / sizeof(wchar_t) + 2);
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::wstring(defaultText);
        // Up to the first NUL, never past the bytes that were read.
        std::wstring text(data.data(), bytes / sizeof(wchar_t));
        text.resize(std::min(text.size(), text.find(L'\0')));
        if (found) *found = true;
        return expand && type == REG_EXPAND_SZ ? Expanded(text) : text;
    }
}

bool esWriteStringToRegistry(HKEY root, std::wstring_view key, std::wstring_view value,
                             std::wstring_view text)
{
    UniqueRegKey opened;
    const std::wstring keyPath(key), valueName(value), data(text);
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(opened.get(), valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool esDeleteValueFromRegistry(HKEY root, std::wstring_view key, std::wstring_view value)
{
    UniqueRegKey opened;
    const std::wstring keyPath(key), valueName(value);
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_SET_VALUE, opened.put()) != ERROR_SUCCESS) return false;
    return ::RegDeleteValueW(opened.get(), valueName.c_str()) == ERROR_SUCCESS;
}

} // namespace support
