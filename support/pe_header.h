#pragma once
// The preferred load address written in an executable image's headers, read
// from bytes copied out of a loaded module. The bytes are not trusted: every
// offset is checked against their length. No Windows types.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace support {

// The ImageBase of the optional header of a PE32 or PE32+ image whose first
// bytes are given; nothing when the bytes are not such headers or are cut
// short before the field.
std::optional<std::uint64_t> PeImageBase(std::string_view headerBytes) noexcept;

} // namespace support
