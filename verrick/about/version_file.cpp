#include "verrick/about/version_file.h"

#include <limits>

namespace verrick::about {
namespace {

bool ParsePart(std::string_view part, std::int32_t& value) noexcept
{
    if (part.empty()) return false;
    constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
    std::int32_t result = 0;
    for (char c : part) {
        if (c < '0' || c > '9') return false;
        const int digit = c - '0';
        if (result > (kLargest - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

} // namespace

VersionFileContent ParseVersionFile(std::string_view bytes) noexcept
{
    VersionFileContent content;
    if (bytes.size() > kMaxVersionFileSize) {
        content.Status = VersionFileStatus::TooLarge;
        return content;
    }
    if (bytes.ends_with("\r\n"))
        bytes.remove_suffix(2);
    else if (bytes.ends_with('\n'))
        bytes.remove_suffix(1);

    const std::size_t first = bytes.find('.');
    const std::size_t second = first == std::string_view::npos ? first : bytes.find('.', first + 1);
    if (second == std::string_view::npos || bytes.find('.', second + 1) != std::string_view::npos) {
        content.Status = VersionFileStatus::WrongPartCount;
        return content;
    }
    std::int32_t numbers[3] = {};
    if (!ParsePart(bytes.substr(0, first), numbers[0]) ||
        !ParsePart(bytes.substr(first + 1, second - first - 1), numbers[1]) ||
        !ParsePart(bytes.substr(second + 1), numbers[2])) {
        content.Status = VersionFileStatus::BadNumber;
        return content;
    }
    content.Status = VersionFileStatus::Ok;
    content.Major = numbers[0];
    content.Minor = numbers[1];
    content.Revision = numbers[2];
    return content;
}

std::string FormatVersionFile(std::int32_t major, std::int32_t minor, std::int32_t revision)
{
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

} // namespace verrick::about
