#include "verrick/clipboard/raw_data.h"

#include <limits>

namespace verrick::clipboard {

bool IsMemoryFormat(std::uint32_t format) noexcept
{
    switch (format) {
    case 0x0002: // CF_BITMAP
    case 0x0003: // CF_METAFILEPICT: a metafile handle inside
    case 0x0009: // CF_PALETTE
    case 0x000E: // CF_ENHMETAFILE
    case 0x0082: // CF_DSPBITMAP
    case 0x0083: // CF_DSPMETAFILEPICT
    case 0x008E: // CF_DSPENHMETAFILE
        return false;
    default: return format < 0x0300 || format > 0x03FF; // CF_GDIOBJFIRST to CF_GDIOBJLAST
    }
}

std::optional<std::int32_t> ByteArrayLength(std::uint64_t blockSize) noexcept
{
    if (blockSize > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return std::nullopt;
    return static_cast<std::int32_t>(blockSize);
}

} // namespace verrick::clipboard
