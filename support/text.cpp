#include "support/text.h"

#include <windows.h>

#include <limits>

#include "support/runtime_error.h"

namespace support {
namespace {

// The system's conversions count in ints: a longer text, or one whose result
// would not fit, fails whole rather than giving an empty or cut text.
[[noreturn]] void RaiseTooLarge()
{
    Raise(err::OutOfMemory);
}

int Units(std::size_t size)
{
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) RaiseTooLarge();
    return static_cast<int>(size);
}

std::string Narrow(UINT codePage, std::wstring_view text)
{
    if (text.empty()) return {};
    const int units = Units(text.size());
    const int length = ::WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) RaiseTooLarge();
    std::string bytes(static_cast<size_t>(length), '\0');
    if (::WideCharToMultiByte(codePage, 0, text.data(), units, bytes.data(), length, nullptr, nullptr) !=
        length)
        RaiseTooLarge();
    return bytes;
}

std::wstring Widen(UINT codePage, std::string_view bytes)
{
    if (bytes.empty()) return {};
    const int units = Units(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), units, nullptr, 0);
    if (length <= 0) RaiseTooLarge();
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (::MultiByteToWideChar(codePage, 0, bytes.data(), units, text.data(), length) != length)
        RaiseTooLarge();
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
