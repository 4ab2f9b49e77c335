#include <doctest.h>

#include <string>

#include "verrick/about/version_file.h"

using namespace verrick::about;

namespace {

VersionFileStatus StatusOf(std::string_view bytes)
{
    return ParseVersionFile(bytes).Status;
}

} // namespace

TEST_CASE("VersionFile::ThreeNumbers")
{
    const VersionFileContent content = ParseVersionFile("1.5.38");
    CHECK(content.Status == VersionFileStatus::Ok);
    CHECK(content.Major == 1);
    CHECK(content.Minor == 5);
    CHECK(content.Revision == 38);
    const VersionFileContent largest = ParseVersionFile("2147483647.0.007");
    CHECK(largest.Status == VersionFileStatus::Ok);
    CHECK(largest.Major == 2147483647);
    CHECK(largest.Revision == 7);
}

TEST_CASE("VersionFile::OneTrailingLineBreak")
{
    CHECK(ParseVersionFile("1.10.0\n").Minor == 10);
    CHECK(StatusOf("1.10.0\r\n") == VersionFileStatus::Ok);
    CHECK(StatusOf("1.10.0\n\n") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1.10.0\r") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1.10.0 ") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("\n1.10.0") == VersionFileStatus::BadNumber);
}

TEST_CASE("VersionFile::PartCount")
{
    CHECK(StatusOf("1.5") == VersionFileStatus::WrongPartCount);
    CHECK(StatusOf("1.5.38.2") == VersionFileStatus::WrongPartCount);
    CHECK(StatusOf("") == VersionFileStatus::WrongPartCount);
    CHECK(StatusOf("\n") == VersionFileStatus::WrongPartCount);
    CHECK(StatusOf("..") == VersionFileStatus::BadNumber); // three empty parts
    CHECK(StatusOf("1.2.3.") == VersionFileStatus::WrongPartCount);
}

TEST_CASE("VersionFile::NumbersOnly")
{
    CHECK(StatusOf("1.x.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("-1.2.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("+1.2.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1. 2.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1.2e3.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("2147483648.0.0") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1.99999999999999999999.0") == VersionFileStatus::BadNumber);
    CHECK(StatusOf("\xEF\xBB\xBF"
                   "1.2.3") == VersionFileStatus::BadNumber);
    CHECK(StatusOf(std::string("1.2\0.3", 6)) == VersionFileStatus::BadNumber);
    CHECK(StatusOf("1\xFF.2.3") == VersionFileStatus::BadNumber);
    // Malformed contents leave the numbers at 0.
    const VersionFileContent content = ParseVersionFile("7.8.x");
    CHECK(content.Major == 0);
    CHECK(content.Minor == 0);
}

TEST_CASE("VersionFile::SizeLimit")
{
    std::string padded = "1.2." + std::string(kMaxVersionFileSize - 4, '0');
    CHECK(StatusOf(padded) == VersionFileStatus::Ok);
    padded += '0';
    CHECK(StatusOf(padded) == VersionFileStatus::TooLarge);
    CHECK(FormatVersionFile(1, 10, 0) == "1.10.0");
}
