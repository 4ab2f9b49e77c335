// The drop-file block: any bytes read into paths that come from inside the
// block, and a block we build, in either width, reads back to its paths.
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/fuzz_target.h"
#include "verrick/clipboard/drop_files.h"

namespace {

using namespace verrick::clipboard;

std::uint32_t ListOffset(std::string_view block)
{
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i)
        offset |= static_cast<std::uint32_t>(static_cast<unsigned char>(block[i])) << (8 * i);
    return offset;
}

// Each path read is the block's own text, in order from the list offset on,
// with only separators between: one pass over the block, however many paths.
void CheckInside(std::string_view block)
{
    const DropFilesList list = ReadDropFilesBlock(block);
    FUZZ_CHECK(list.valid == (block.size() >= kDropFilesHeaderSize));
    FUZZ_CHECK(list.ansiPaths.empty() || list.widePaths.empty());
    if (!list.valid) {
        FUZZ_CHECK(list.ansiPaths.empty() && list.widePaths.empty());
        return;
    }
    const std::uint32_t offset = ListOffset(block);
    if (offset >= block.size()) {
        FUZZ_CHECK(list.ansiPaths.empty() && list.widePaths.empty());
        return;
    }
    const std::string_view rest = block.substr(offset);
    std::size_t at = 0;
    for (const std::string& path : list.ansiPaths) {
        FUZZ_CHECK(!path.empty() && path.find('\0') == std::string::npos);
        while (at < rest.size() && rest[at] == '\0')
            ++at;
        FUZZ_CHECK(rest.substr(at, path.size()) == path);
        at += path.size();
    }
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(rest[2 * i]) |
                                     static_cast<unsigned char>(rest[2 * i + 1]) << 8);
    };
    const std::size_t units = rest.size() / 2; // an odd last byte is no character
    for (const std::u16string& path : list.widePaths) {
        FUZZ_CHECK(!path.empty() && path.find(u'\0') == std::u16string::npos);
        while (at < units && unit(at) == u'\0')
            ++at;
        FUZZ_CHECK(at + path.size() <= units);
        for (char16_t c : path)
            FUZZ_CHECK(unit(at++) == c);
    }
}

// The input as paths: split at line feeds, NULs left out (a path cannot hold one).
std::vector<std::string> AnsiPaths(std::string_view input)
{
    std::vector<std::string> paths(1);
    for (char c : input) {
        if (c == '\n')
            paths.emplace_back();
        else if (c != '\0')
            paths.back() += c;
    }
    std::erase_if(paths, [](const std::string& p) { return p.empty(); });
    return paths;
}

std::vector<std::u16string> WidePaths(std::string_view input)
{
    std::vector<std::u16string> paths(1);
    for (std::size_t i = 0; i + 1 < input.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(input[i]) |
                                                 static_cast<unsigned char>(input[i + 1]) << 8);
        if (c == u'\n')
            paths.emplace_back();
        else if (c != u'\0')
            paths.back() += c;
    }
    std::erase_if(paths, [](const std::u16string& p) { return p.empty(); });
    return paths;
}

void CheckRoundTrip(std::string_view input)
{
    const std::vector<std::string> ansi = AnsiPaths(input);
    std::string block = BuildDropFilesBlock(ansi);
    std::size_t expected = kDropFilesHeaderSize + 1;
    for (const std::string& path : ansi)
        expected += path.size() + 1;
    FUZZ_CHECK(block.size() == expected);
    block.append(5, '\0'); // the spare bytes of a memory block
    DropFilesList list = ReadDropFilesBlock(block);
    FUZZ_CHECK(list.valid && !list.wide && list.ansiPaths == ansi && list.widePaths.empty());

    const std::vector<std::u16string> wide = WidePaths(input);
    block = BuildDropFilesBlock(wide);
    expected = kDropFilesHeaderSize + 2;
    for (const std::u16string& path : wide)
        expected += 2 * (path.size() + 1);
    FUZZ_CHECK(block.size() == expected);
    block.append(3, '\0');
    list = ReadDropFilesBlock(block);
    FUZZ_CHECK(list.valid && list.wide && list.widePaths == wide && list.ansiPaths.empty());
}

} // namespace

FUZZ_TARGET(drop_files)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckInside(input);
    CheckRoundTrip(input);
}
