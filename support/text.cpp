#include "support/text.h"

#include <windows.h>

namespace support {
namespace {

std::string Narrow(UINT codePage, std::wstring_view text)
{
    if (text.empty()) return {};
    int length = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                          nullptr, nullptr);
    return bytes;
}

std::wstring Widen(UINT codePage, std::string_view bytes)
{
    if (bytes.empty()) return {};
    int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

} // namespace

std::string ToUtf8(std::wstring_view text)
{
    return Narrow(CP_UTF8, text);
}
std::wstring FromUtf8(std::string_view bytes)
{
    return Widen(CP_UTF8, bytes);
}
std::string ToAnsi(std::wstring_view text)
{
    return Narrow(CP_ACP, text);
}
std::wstring FromAnsi(std::string_view bytes)
{
    return Widen(CP_ACP, bytes);
}
std::string ToOem(std::wstring_view text)
{
    return Narrow(CP_OEMCP, text);
}

} // namespace support
