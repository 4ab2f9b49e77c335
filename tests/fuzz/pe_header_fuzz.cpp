// The image-header reader: whatever the bytes, a result is the little-endian
// ImageBase field of the headers they hold, lying wholly inside them, and
// nothing past that field is needed to read it; headers built from the input
// read back to the address written into them.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/pe_header.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

using namespace std::literals;

// Reads width bytes at offset as a little-endian number; the caller has checked the bounds.
std::uint64_t LittleEndian(std::string_view bytes, std::uint64_t offset, unsigned width)
{
    std::uint64_t value = 0;
    for (unsigned i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset + i)]);
    return value;
}

// The reader on a copy of exactly these bytes, so a read past them is a read past a heap block.
std::optional<std::uint64_t> Read(std::string_view bytes)
{
    const std::vector<char> copy(bytes.begin(), bytes.end());
    return support::PeImageBase(std::string_view(copy.data(), copy.size()));
}

void CheckResultInside(std::string_view input)
{
    const std::optional<std::uint64_t> base = Read(input);
    if (!base) return;
    // The layout: "MZ", the offset of "PE\0\0" at 0x3C, a 20-byte file header,
    // then the optional header: magic 0x10B with a 4-byte ImageBase at 28, or
    // 0x20B with an 8-byte one at 24.
    FUZZ_CHECK(input.size() >= 0x40 && input.substr(0, 2) == "MZ");
    const std::uint64_t nt = LittleEndian(input, 0x3C, 4);
    FUZZ_CHECK(nt + 4 + 20 + 2 <= input.size() &&
               input.substr(static_cast<std::size_t>(nt), 4) == "PE\0\0"sv);
    const std::uint64_t optional = nt + 24;
    const std::uint64_t magic = LittleEndian(input, optional, 2);
    FUZZ_CHECK(magic == 0x10B || magic == 0x20B);
    const unsigned width = magic == 0x10B ? 4 : 8;
    const std::uint64_t at = optional + (magic == 0x10B ? 28 : 24);
    FUZZ_CHECK(at + width <= input.size());
    FUZZ_CHECK(LittleEndian(input, at, width) == *base);
    // Only the bytes up to the last field read matter.
    const std::size_t needed = static_cast<std::size_t>(std::max<std::uint64_t>(at + width, 0x40));
    FUZZ_CHECK(Read(input.substr(0, needed)) == base);
    FUZZ_CHECK(!Read(input.substr(0, needed - 1)));
}

void CheckBuiltHeadersReadBack(std::string_view input)
{
    if (input.size() < 11) return;
    const std::uint64_t nt = 0x40 + LittleEndian(input, 0, 2) % 0x400;
    const bool plus = input[2] & 1;
    const std::uint64_t address = LittleEndian(input, 3, 8);
    std::string headers(static_cast<std::size_t>(nt + 24 + 32), '\0');
    headers[0] = 'M';
    headers[1] = 'Z';
    for (unsigned i = 0; i < 4; ++i)
        headers[0x3C + i] = static_cast<char>(nt >> (8 * i));
    headers.replace(static_cast<std::size_t>(nt), 4, "PE\0\0", 4);
    const std::size_t optional = static_cast<std::size_t>(nt + 24);
    headers[optional] = 0x0B;
    headers[optional + 1] = plus ? 0x02 : 0x01;
    const std::size_t at = optional + (plus ? 24 : 28);
    const unsigned width = plus ? 8 : 4;
    for (unsigned i = 0; i < width; ++i)
        headers[at + i] = static_cast<char>(address >> (8 * i));
    const std::uint64_t expected = plus ? address : address & 0xFFFFFFFFu;
    FUZZ_CHECK(Read(headers) == expected);
    FUZZ_CHECK(Read(std::string_view(headers).substr(0, at + width)) == expected);
    FUZZ_CHECK(!Read(std::string_view(headers).substr(0, at + width - 1)));
}

} // namespace

FUZZ_TARGET(pe_header)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckResultInside(input);
    CheckBuiltHeadersReadBack(input);
}
