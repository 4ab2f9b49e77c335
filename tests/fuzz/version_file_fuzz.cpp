// The update check's version file: any bytes give a status and, only when
// Ok, three non-negative numbers that print back to a file reading the same;
// three numbers taken from the input print to a file that reads back to them,
// with or without the one accepted line break, and never with more parts.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_target.h"
#include "verrick/about/version_file.h"

namespace {

using namespace verrick::about;

void CheckReadsBack(std::int32_t major, std::int32_t minor, std::int32_t revision)
{
    const std::string text = FormatVersionFile(major, minor, revision);
    for (const std::string& file : {text, text + "\n", text + "\r\n"}) {
        const VersionFileContent back = ParseVersionFile(file);
        FUZZ_CHECK(back.Status == VersionFileStatus::Ok);
        FUZZ_CHECK(back.Major == major && back.Minor == minor && back.Revision == revision);
    }
    FUZZ_CHECK(ParseVersionFile(text + "\n\n").Status == VersionFileStatus::BadNumber);
    FUZZ_CHECK(ParseVersionFile(text + ".0").Status == VersionFileStatus::WrongPartCount);
    FUZZ_CHECK(ParseVersionFile("\xEF\xBB\xBF" + text).Status == VersionFileStatus::BadNumber);
}

} // namespace

FUZZ_TARGET(version_file)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const VersionFileContent content = ParseVersionFile(input);
    if (content.Status == VersionFileStatus::Ok) {
        FUZZ_CHECK(size <= kMaxVersionFileSize);
        FUZZ_CHECK(content.Major >= 0 && content.Minor >= 0 && content.Revision >= 0);
        CheckReadsBack(content.Major, content.Minor, content.Revision);
    } else {
        FUZZ_CHECK(content.Major == 0 && content.Minor == 0 && content.Revision == 0);
        if (size > kMaxVersionFileSize) FUZZ_CHECK(content.Status == VersionFileStatus::TooLarge);
    }
    // Three numbers from the input's first twelve bytes, as the file would hold them.
    if (size >= 12) {
        std::uint32_t words[3];
        std::memcpy(words, data, sizeof words);
        CheckReadsBack(static_cast<std::int32_t>(words[0] & 0x7FFFFFFFu),
                       static_cast<std::int32_t>(words[1] & 0x7FFFFFFFu),
                       static_cast<std::int32_t>(words[2] & 0x7FFFFFFFu));
    }
}
