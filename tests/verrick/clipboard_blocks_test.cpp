// The clipboard's byte-level blocks, without a clipboard: the HTML block as
// written and read, foreign and damaged blocks, the drop-file block in both
// widths, what a raw read may copy into a byte array.
#include <doctest.h>

#include <string>
#include <vector>

#include "verrick/clipboard/drop_files.h"
#include "verrick/clipboard/html_block.h"
#include "verrick/clipboard/raw_data.h"

using namespace verrick::clipboard;
using Status = HtmlSelection::Status;

namespace {

std::string Select(std::string_view block, HtmlPart part)
{
    const HtmlSelection selection = SelectHtmlPart(block, part);
    REQUIRE(selection.status == Status::Ok);
    return std::string(selection.In(block));
}

Status StatusOf(std::string_view block, HtmlPart part)
{
    return SelectHtmlPart(block, part).status;
}

std::string Header(const char* startHtml, const char* endHtml, const char* startFragment,
                   const char* endFragment)
{
    return std::string("Version:1.0\r\nStartHTML:") + startHtml + "\r\nEndHTML:" + endHtml +
           "\r\nStartFragment:" + startFragment + "\r\nEndFragment:" + endFragment + "\r\n";
}

} // namespace

TEST_CASE("HtmlBlock::Layout")
{
    const std::string block = BuildHtmlBlock("<HTML><BODY>", "abc", "</BODY></HTML>");
    CHECK(block == "Version:1.0\r\nStartHTML:0000000105\r\nEndHTML:0000000173\r\n"
                   "StartFragment:0000000137\r\nEndFragment:0000000140\r\n"
                   "<HTML><BODY><!--StartFragment-->abc<!--EndFragment--></BODY></HTML>" +
                       std::string(1, '\0'));
    CHECK(block.size() == 173);
    CHECK(Select(block, HtmlPart::Fragment) == "abc");
    CHECK(Select(block, HtmlPart::ContextStart) == "<HTML><BODY><!--StartFragment-->");
    CHECK(Select(block, HtmlPart::ContextEnd) == "<!--EndFragment--></BODY></HTML>");
    CHECK(Select(block, HtmlPart::Html) ==
          "<HTML><BODY><!--StartFragment-->abc<!--EndFragment--></BODY></HTML>");
    CHECK(Select(block, HtmlPart::Raw) == block.substr(0, 172));
    CHECK(Select(block, HtmlPart::Selection).empty());
    CHECK(Select(block, HtmlPart::SourceUrl).empty());

    SUBCASE("offsets count UTF-8 bytes")
    {
        const std::string fragment = "Привет \xF0\x9F\x98\x80"; // 6 letters of 2 bytes, a blank, 4 bytes
        const std::string wide = BuildHtmlBlock("", fragment, "");
        CHECK(wide.find("StartFragment:0000000125\r\nEndFragment:0000000142\r\n") != std::string::npos);
        CHECK(Select(wide, HtmlPart::Fragment) == fragment);
    }
    SUBCASE("placeholder-like text in the page stays as written")
    {
        const std::string page = BuildHtmlBlock("aaaaaaaaaa", "bbbbbbbbbb", "dddddddddd");
        CHECK(Select(page, HtmlPart::Fragment) == "bbbbbbbbbb");
        CHECK(Select(page, HtmlPart::ContextStart) == "aaaaaaaaaa<!--StartFragment-->");
    }
}

TEST_CASE("HtmlBlock::ForeignBlocks")
{
    SUBCASE("short numbers and a source URL, as other writers put them")
    {
        const std::string block = "Version:0.9\r\nStartHTML:109\r\nEndHTML:155\r\nStartFragment:129\r\n"
                                  "EndFragment:137\r\nSourceURL:http://example.org/a\r\n"
                                  "<!--StartFragment--><b>x</b><!--EndFragment-->";
        REQUIRE(block.find("<!--") == 109);
        CHECK(Select(block, HtmlPart::Fragment) == "<b>x</b>");
        CHECK(Select(block, HtmlPart::SourceUrl) == "http://example.org/a");
    }
    SUBCASE("source URL without line end, or in the page")
    {
        CHECK(Select("Version:1.0\r\nSourceURL:http://x/", HtmlPart::SourceUrl).empty());
        CHECK(
            Select(Header("0000000105", "0000000200", "0000000105", "0000000105") + "<p>SourceURL:x\r\n</p>",
                   HtmlPart::SourceUrl)
                .empty());
    }
    SUBCASE("no terminator: the text ends with the block")
    {
        std::string block = BuildHtmlBlock("", "abc", "");
        block.pop_back();
        CHECK(Select(block, HtmlPart::Fragment) == "abc");
        CHECK(Select(block.substr(0, 126), HtmlPart::Fragment) == "a"); // cut inside the fragment
    }
    SUBCASE("offsets past the end are cut at the end of the text")
    {
        const std::string block =
            Header("0000000105", "0000099999", "0000000105", "4294967297") + std::string("<p>x\0tail", 9);
        CHECK(Select(block, HtmlPart::Fragment) == "<p>x");
        CHECK(Select(block, HtmlPart::Html) == "<p>x");
    }
    SUBCASE("missing or non-positive offsets give an empty part")
    {
        CHECK(Select("Version:1.0\r\nStartHTML:0000000105\r\n<b>x</b>", HtmlPart::Html).empty());
        CHECK(Select(Header("0000000000", "0000000110", "-000000001", "0000000110") + "<b>x</b>",
                     HtmlPart::Html)
                  .empty());
        CHECK(Select(Header("0000000105", "0000000110", "-000000001", "0000000110") + "<b>x</b>",
                     HtmlPart::Fragment)
                  .empty());
        CHECK(Select("", HtmlPart::Fragment).empty());
    }
    SUBCASE("an end below its start is an invalid argument")
    {
        const std::string block = Header("0000000105", "0000000110", "0000000109", "0000000106") + "<b>x</b>";
        CHECK(StatusOf(block, HtmlPart::Fragment) == Status::EndBeforeStart);
        CHECK(Select(block, HtmlPart::Html) == "<b>x<");
    }
    SUBCASE("a header number that is no number is a type mismatch")
    {
        CHECK(StatusOf(Header("abcdefghij", "0000000110", "1", "2"), HtmlPart::Html) == Status::NotNumeric);
        CHECK(StatusOf("Version:1.0\r\nStartFragment:", HtmlPart::Fragment) == Status::NotNumeric);
        CHECK(StatusOf("StartFragment:12x4567890\r\nEndFragment:1", HtmlPart::Fragment) ==
              Status::NotNumeric);
        // The other parts do not read it.
        CHECK(StatusOf(Header("abcdefghij", "0000000110", "1", "2"), HtmlPart::Raw) == Status::Ok);
    }
    SUBCASE("repeated fields: the first counts")
    {
        const std::string block =
            "StartFragment:0000000100\r\nStartFragment:0000000010\r\nEndFragment:0000000103"
            "\r\nEndFragment:0000000001\r\n<b>x</b>";
        REQUIRE(block.find("<b>") == 100);
        CHECK(Select(block, HtmlPart::Fragment) == "<b>");
    }
    SUBCASE("header keys in the page text are page text")
    {
        const std::string block = BuildHtmlBlock("", "EndSelection:zz StartSelection:1", "");
        CHECK(Select(block, HtmlPart::Selection).empty());
    }
}

TEST_CASE("DropFiles::Layout")
{
    SUBCASE("wide")
    {
        const std::string block =
            BuildDropFilesBlock(std::vector<std::u16string>{u"C:\\a.txt", u"D:\\Отчёт.doc"});
        CHECK(block.size() == 20 + 2 * (8 + 12 + 3));
        CHECK(block.substr(0, 20) == std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0", 20));
        CHECK(block.substr(20, 4) == std::string("C\0:\0", 4));
        const DropFilesList list = ReadDropFilesBlock(block + std::string(7, '\0'));
        CHECK(list.valid);
        CHECK(list.wide);
        CHECK(list.widePaths == std::vector<std::u16string>{u"C:\\a.txt", u"D:\\Отчёт.doc"});
    }
    SUBCASE("ANSI")
    {
        const std::vector<std::string> paths{"C:\\a", "C:\\\xCF\xF0\xE8\xE2\xE5\xF2"};
        const std::string block = BuildDropFilesBlock(paths);
        CHECK(block.size() == 20 + 4 + 1 + 9 + 1 + 1);
        CHECK(block[16] == 0);
        const DropFilesList list = ReadDropFilesBlock(block);
        CHECK_FALSE(list.wide);
        CHECK(list.ansiPaths == paths);
    }
}

TEST_CASE("DropFiles::DamagedBlocks")
{
    std::string block = BuildDropFilesBlock(std::vector<std::string>{"C:\\a", "C:\\b"});
    SUBCASE("shorter than its header")
    {
        CHECK_FALSE(ReadDropFilesBlock(block.substr(0, 19)).valid);
        const DropFilesList bare = ReadDropFilesBlock(block.substr(0, 20));
        CHECK(bare.valid);
        CHECK(bare.ansiPaths.empty());
    }
    SUBCASE("last path without terminator")
    {
        CHECK(ReadDropFilesBlock(block.substr(0, block.size() - 3)).ansiPaths ==
              std::vector<std::string>{"C:\\a", "C:\\"});
    }
    SUBCASE("list offset past the block, or negative")
    {
        block[0] = 100;
        CHECK(ReadDropFilesBlock(block).ansiPaths.empty());
        block[0] = '\xF0';
        block[1] = block[2] = block[3] = '\xFF';
        const DropFilesList list = ReadDropFilesBlock(block);
        CHECK(list.valid);
        CHECK(list.ansiPaths.empty());
    }
    SUBCASE("odd byte at the end of a wide list")
    {
        std::string wide = BuildDropFilesBlock(std::vector<std::u16string>{u"C:\\a"});
        wide.resize(wide.size() - 4);
        wide += 'x';
        CHECK(ReadDropFilesBlock(wide).widePaths == std::vector<std::u16string>{u"C:\\a"});
    }
}

TEST_CASE("RawData::WhatAByteArrayTakes")
{
    // Blocks too large for a real clipboard in a test: a Long counts at most 2^31 - 1
    // bytes, and 2^32 + 5 must not pass as 5.
    CHECK(ByteArrayLength(0) == 0);
    CHECK(ByteArrayLength(0x7FFFFFFF) == 0x7FFFFFFF);
    CHECK_FALSE(ByteArrayLength(0x80000000u).has_value());
    CHECK_FALSE(ByteArrayLength(0x100000005ull).has_value());
    // The handles of these formats are GDI objects (winuser.h: CF_BITMAP 2,
    // CF_METAFILEPICT 3, CF_PALETTE 9, CF_ENHMETAFILE 14, their CF_DSP forms
    // 0x82, 0x83, 0x8E, CF_GDIOBJFIRST 0x300 to CF_GDIOBJLAST 0x3FF).
    for (std::uint32_t format : {2u, 3u, 9u, 14u, 0x82u, 0x83u, 0x8Eu, 0x300u, 0x3FFu})
        CHECK_MESSAGE(!IsMemoryFormat(format), format);
    for (std::uint32_t format : {1u, 8u, 13u, 15u, 17u, 0x81u, 0x2FFu, 0x400u, 0xC000u})
        CHECK_MESSAGE(IsMemoryFormat(format), format);
}
