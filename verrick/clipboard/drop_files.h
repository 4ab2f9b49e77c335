#pragma once
// The shell's drop-file block (CF_HDROP): a 20-byte little-endian header (the
// offset of the file list, a drop point, a non-client flag and a wide flag)
// and a list of paths, each followed by a NUL, then one more NUL. Pure
// functions over bytes: paths are UTF-16 (char16_t) or bytes in the caller's
// ANSI code page, which the caller converts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verrick::clipboard {

inline constexpr std::size_t kDropFilesHeaderSize = 20;

// A block listing paths in UTF-16 (wide flag 1) or in ANSI bytes (wide flag 0).
std::string BuildDropFilesBlock(const std::vector<std::u16string>& paths);
std::string BuildDropFilesBlock(const std::vector<std::string>& ansiPaths);

struct DropFilesList {
    bool valid = false; // false: the block is shorter than its header
    bool wide = false;
    // The pieces between NULs from the list offset to the end of the block,
    // empty ones left out: a last path without terminator is kept, the spare
    // bytes of a memory block are dropped. Only one of the two is filled.
    std::vector<std::u16string> widePaths;
    std::vector<std::string> ansiPaths;
};

// Reads a block of any origin; nothing outside it is read. A list offset past
// the end of the block (or negative) gives a valid, empty list.
DropFilesList ReadDropFilesBlock(std::string_view block);

} // namespace verrick::clipboard
