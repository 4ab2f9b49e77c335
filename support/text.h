#pragma once
// Conversions between the UTF-16 text used inside and the byte encodings at
// the edges (ANSI code page, OEM code page, UTF-8). A text the system cannot
// convert whole (more than 2^31 - 1 units either way) raises run-time error 7
// (out of memory), never giving an empty or cut result.

#include <string>
#include <string_view>

namespace support {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);
std::string ToOem(std::wstring_view text);

} // namespace support
