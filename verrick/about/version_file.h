#pragma once
// The version file on the maker's server: "major.minor.revision". Its bytes
// come from the network and a cache folder, so they are read as foreign data
// by a pure function without Windows types.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace verrick::about {

// A version file is a few bytes; anything larger is not read whole and is
// not a version.
inline constexpr std::size_t kMaxVersionFileSize = 1024;

enum class VersionFileStatus {
    Ok,
    TooLarge,       // more than kMaxVersionFileSize bytes
    WrongPartCount, // not exactly three parts separated by "."
    BadNumber,      // a part that is not a decimal number from 0 to 2147483647
};

struct VersionFileContent {
    VersionFileStatus Status = VersionFileStatus::WrongPartCount;
    std::int32_t Major = 0;
    std::int32_t Minor = 0;
    std::int32_t Revision = 0;
};

// Three parts separated by "."; each part is one or more ASCII digits (no
// sign, no blanks) whose value fits a signed 32-bit integer; leading zeros
// are allowed. One line break (CRLF or LF) after the last part is accepted,
// as editors save one. Anything else (a byte-order mark, other bytes, a
// second line break) makes the file malformed. The numbers are 0 unless the
// status is Ok.
VersionFileContent ParseVersionFile(std::string_view bytes) noexcept;

// "major.minor.revision" in decimal: the form ParseVersionFile reads.
std::string FormatVersionFile(std::int32_t major, std::int32_t minor, std::int32_t revision);

} // namespace verrick::about
