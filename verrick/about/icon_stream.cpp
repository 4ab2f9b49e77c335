#include "verrick/about/icon_stream.h"

#include <algorithm>

namespace verrick::about {
namespace {

std::uint32_t ReadUInt32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

void AppendUInt32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One picture from `layout.used` on. False when reading stops there.
bool ReadPicture(std::string_view bytes, IconStreamLayout& layout, PictureBytes& picture)
{
    const std::size_t lengthAt = layout.used;
    if (bytes.size() - lengthAt < kPictureLengthSize) {
        layout.wanted = lengthAt + kPictureLengthSize;
        return false;
    }
    const std::uint32_t length = ReadUInt32(bytes, lengthAt);
    if (length > kMaxStreamPictureBytes) {
        layout.status = IconStreamLayout::Status::Damaged;
        layout.used = lengthAt + kPictureLengthSize;
        return false;
    }
    const std::size_t start = lengthAt + kPictureLengthSize;
    if (bytes.size() - start < length) {
        layout.used = start;
        layout.wanted = start + length;
        return false;
    }
    picture = {start, length};
    layout.used = start + length;
    return true;
}

} // namespace

IconStreamLayout ReadIconStream(std::string_view bytes)
{
    IconStreamLayout layout;
    if (bytes.size() >= 4 && ReadUInt32(bytes, 0) != kIconStreamTag) {
        layout.status = IconStreamLayout::Status::WrongTag;
        return layout;
    }
    if (bytes.size() < kIconStreamHeaderSize) {
        layout.wanted = kIconStreamHeaderSize;
        return layout;
    }
    layout.hasHeader = true;
    layout.backColor = ReadUInt32(bytes, 4);
    layout.mousePointer = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[8]) |
                                                    static_cast<unsigned char>(bytes[9]) << 8);
    layout.used = kIconStreamHeaderSize;
    // A picture after one that is cut short or damaged is not read.
    if (ReadPicture(bytes, layout, layout.picture) && ReadPicture(bytes, layout, layout.mouseIcon))
        layout.status = IconStreamLayout::Status::Complete;
    return layout;
}

IconStreamLayout ReadIconStream(const IconStreamSource& source, std::string& bytes)
{
    // Taken a piece at a time, so that a length the stream does not back with
    // bytes costs no memory.
    constexpr std::size_t kPiece = 64 * 1024;
    bytes.clear();
    for (;;) {
        const IconStreamLayout layout = ReadIconStream(bytes);
        if (layout.status != IconStreamLayout::Status::Short) return layout;
        const std::size_t have = bytes.size();
        const std::size_t asked = std::min(layout.wanted - have, kPiece);
        bytes.resize(have + asked);
        const std::size_t got = std::min(source(bytes.data() + have, asked), asked);
        bytes.resize(have + got);
        if (got < asked) return ReadIconStream(bytes);
    }
}

std::string BuildIconStream(std::uint32_t backColor, std::int16_t mousePointer, std::string_view picture,
                            std::string_view mouseIcon)
{
    if (picture.size() > kMaxStreamPictureBytes) picture = {};
    if (mouseIcon.size() > kMaxStreamPictureBytes) mouseIcon = {};
    std::string out;
    out.reserve(kIconStreamHeaderSize + 2 * kPictureLengthSize + picture.size() + mouseIcon.size());
    AppendUInt32(out, kIconStreamTag);
    AppendUInt32(out, backColor);
    const auto pointer = static_cast<std::uint16_t>(mousePointer);
    out += static_cast<char>(pointer & 0xFF);
    out += static_cast<char>(pointer >> 8);
    AppendUInt32(out, static_cast<std::uint32_t>(picture.size()));
    out += picture;
    AppendUInt32(out, static_cast<std::uint32_t>(mouseIcon.size()));
    out += mouseIcon;
    return out;
}

} // namespace verrick::about
