#pragma once
// The icon control's stream record, little-endian:
//   tag "UIC1" (4), back colour (4), mouse pointer (2, signed),
//   picture: length (4) and that many bytes of the picture's own stream form,
//   mouse icon: the same.
// A length of 0 stands for no picture. Pure functions over bytes: the control
// moves the bytes between the record and its container's stream, and turns
// picture bytes into pictures.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace verrick::about {

inline constexpr std::uint32_t kIconStreamTag = 0x31434955; // "UIC1"
inline constexpr std::size_t kIconStreamHeaderSize = 10;
inline constexpr std::size_t kPictureLengthSize = 4;
// A longer picture is taken for damage, not for a picture, and is not written.
inline constexpr std::uint32_t kMaxStreamPictureBytes = 16 * 1024 * 1024;

// Where a picture's bytes lie in the record; size 0: no picture.
struct PictureBytes {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string_view In(std::string_view record) const { return record.substr(offset, size); }
};

struct IconStreamLayout {
    enum class Status {
        Complete, // both pictures read
        Short,    // the bytes end before the record does
        WrongTag, // not our record
        Damaged,  // a picture length past the limit: reading stops there
    };
    Status status = Status::Short;
    // True once the tag, colour and pointer are read; the rest may still be missing.
    bool hasHeader = false;
    std::uint32_t backColor = 0;
    std::int16_t mousePointer = 0;
    // A picture cut short, or after one cut short or damaged, has size 0.
    PictureBytes picture, mouseIcon;
    // The bytes read so far: the whole record when Complete.
    std::size_t used = 0;
    // When Short: the length the bytes must have for reading to go on.
    std::size_t wanted = 0;
};

// Reads the record at the start of the bytes; bytes after it are ignored.
IconStreamLayout ReadIconStream(std::string_view bytes);

// Reads a record from a source that gives up to n bytes each time it is asked
// and fewer only at its end, taking no byte past the record. `bytes` receives
// what was taken, which the layout's offsets refer to.
using IconStreamSource = std::function<std::size_t(char* buffer, std::size_t n)>;
IconStreamLayout ReadIconStream(const IconStreamSource& source, std::string& bytes);

// The record for these values; a picture longer than the limit is written as none.
std::string BuildIconStream(std::uint32_t backColor, std::int16_t mousePointer, std::string_view picture,
                            std::string_view mouseIcon);

} // namespace verrick::about
