#include "verrick/clipboard/drop_files.h"

namespace verrick::clipboard {
namespace {

void PutLong(std::string& block, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        block[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetLong(std::string_view block, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(block[at + i])) << (8 * i);
    return value;
}

std::string Header(bool wide)
{
    std::string block(kDropFilesHeaderSize, '\0');
    PutLong(block, 0, kDropFilesHeaderSize);
    PutLong(block, 16, wide ? 1 : 0);
    return block;
}

template <typename Text> std::vector<Text> SplitAtNuls(const Text& list)
{
    std::vector<Text> pieces;
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = list.find(typename Text::value_type{0}, begin);
        if (end == Text::npos) end = list.size();
        if (end > begin) pieces.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return pieces;
}

} // namespace

std::string BuildDropFilesBlock(const std::vector<std::u16string>& paths)
{
    std::string block = Header(true);
    for (const std::u16string& path : paths) {
        for (char16_t c : path) {
            block += static_cast<char>(c & 0xFF);
            block += static_cast<char>(c >> 8);
        }
        block.append(2, '\0');
    }
    block.append(2, '\0');
    return block;
}

std::string BuildDropFilesBlock(const std::vector<std::string>& ansiPaths)
{
    std::string block = Header(false);
    for (const std::string& path : ansiPaths) {
        block += path;
        block += '\0';
    }
    block += '\0';
    return block;
}

DropFilesList ReadDropFilesBlock(std::string_view block)
{
    DropFilesList list;
    if (block.size() < kDropFilesHeaderSize) return list;
    list.valid = true;
    list.wide = GetLong(block, 16) != 0;
    const std::uint32_t offset = GetLong(block, 0);
    if (offset >= block.size()) return list; // also a negative offset, read unsigned
    const std::string_view bytes = block.substr(offset);
    if (list.wide) {
        std::u16string text(bytes.size() / 2, u'\0'); // an odd last byte is no character
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                            static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        list.widePaths = SplitAtNuls(text);
    } else {
        list.ansiPaths = SplitAtNuls(std::string(bytes));
    }
    return list;
}

} // namespace verrick::clipboard
