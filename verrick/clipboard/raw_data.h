#pragma once
// What a raw read of the clipboard may copy into a byte array: which formats
// hand over a block of memory at all, and how large a block an array takes.
// Pure functions, no Windows types.

#include <cstdint>
#include <optional>

namespace verrick::clipboard {

// False for the formats whose clipboard handle is a GDI object or refers to
// one (bitmaps, palettes, metafile pictures, enhanced metafiles, their display
// forms and the GDI-object range 0x300 to 0x3FF): there is no memory to copy.
bool IsMemoryFormat(std::uint32_t format) noexcept;

// The element count of a byte array indexed 0 to size - 1 whose size is
// reported as a Long: nothing for a block larger than 2^31 - 1 bytes.
std::optional<std::int32_t> ByteArrayLength(std::uint64_t blockSize) noexcept;

} // namespace verrick::clipboard
