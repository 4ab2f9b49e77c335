#include "support/pe_header.h"

namespace support {
namespace {

// Little-endian fields at an offset, when the bytes reach that far.
std::optional<std::uint64_t> Field(std::string_view bytes, std::uint64_t offset, std::size_t size) noexcept
{
    if (offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset) + i]);
    return value;
}

constexpr std::uint64_t kDosMagic = 0x5A4D;        // "MZ"
constexpr std::uint64_t kNtSignature = 0x00004550; // "PE\0\0"
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kPe32Magic = 0x10B;
constexpr std::uint64_t kPe32PlusMagic = 0x20B;

} // namespace

std::optional<std::uint64_t> PeImageBase(std::string_view headerBytes) noexcept
{
    if (Field(headerBytes, 0, 2) != kDosMagic) return std::nullopt;
    const auto ntHeaders = Field(headerBytes, kNewHeaderOffsetField, 4);
    if (!ntHeaders || Field(headerBytes, *ntHeaders, 4) != kNtSignature) return std::nullopt;
    const std::uint64_t optionalHeader = *ntHeaders + 4 + kFileHeaderSize;
    const auto magic = Field(headerBytes, optionalHeader, 2);
    if (magic == kPe32Magic) return Field(headerBytes, optionalHeader + 28, 4);
    if (magic == kPe32PlusMagic) return Field(headerBytes, optionalHeader + 24, 8);
    return std::nullopt;
}

} // namespace support
