// Reading files: missing and empty files, names that are no regular file,
// byte-order marks and UTF-16; bytes in memory read exactly as a file.
#include "kelvor_xml/dom.h"

#include "testsupport/testsupport.h"
#include "testsupport/utf16.h"

#include <gtest/gtest.h>

namespace {

using dom::DomError;
using dom::DomNode;
using dom::DomParseResult;

const std::string document =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<nic_fw_package version=\"1\">\r\n"
    "\t<nic><nic name=\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\" rom=\"4.0.550\"/></nic>\r\n</nic_fw_package>\r\n";

class FileTest : public testing::Test {
protected:
    // Parses the bytes as a file and, checking that it gives the same, in
    // memory.
    DomNode parse_bytes(const std::string& bytes, DomParseResult& result, const char* root = "nic_fw_package") {
        testsupport::writeFile(dir_ / "in.xml", bytes);
        DomNode from_file = dom::parse_file(path().c_str(), root, &result);
        DomParseResult in_memory;
        DomNode from_memory = dom::parse_bytes(bytes, root, &in_memory);
        EXPECT_EQ(in_memory.error, result.error);
        EXPECT_EQ(in_memory.line, result.line);
        EXPECT_EQ(in_memory.column, result.column);
        EXPECT_EQ(from_memory.to_text(), from_file.to_text());
        return from_file;
    }
    std::string path() const { return (dir_ / "in.xml").string(); }

    testsupport::TempDir dir_;
};

TEST_F(FileTest, EveryEncodingGivesTheSameTree) {
    DomParseResult result;
    std::string expected = parse_bytes(document, result).to_text();
    ASSERT_EQ(result.error, DomError::None);
    ASSERT_NE(expected.find("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), std::string::npos);
    struct Encoding {
        const char* label;
        std::string bytes;
    } encodings[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" + document},
        {"UTF-16LE with mark", xmltest::utf16le(document, true)},
        {"UTF-16LE without mark", xmltest::utf16le(document, false)},
    };
    for (const Encoding& encoding : encodings) {
        result = DomParseResult{};
        DomNode root = parse_bytes(encoding.bytes, result);
        EXPECT_EQ(result.error, DomError::None) << encoding.label;
        EXPECT_EQ(root.to_text(), expected) << encoding.label;
    }
}

TEST_F(FileTest, PositionsCountFromTheTextAfterTheMark) {
    DomParseResult result;
    parse_bytes("\xEF\xBB\xBF<a>\n</b>", result, nullptr);
    EXPECT_EQ(result.error, DomError::StrayEndTag);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.column, 5);
    parse_bytes(xmltest::utf16le("<a>\n</b>", true), result, nullptr);
    EXPECT_EQ(result.error, DomError::StrayEndTag);
    EXPECT_EQ(result.column, 5);
}

TEST_F(FileTest, FileErrorsHaveNoPosition) {
    struct Case {
        const char* label;
        std::string bytes;
        DomError error;
    };
    const std::string lone_high(std::string("\x00\xD8", 2));
    const std::string lone_low(std::string("\x00\xDC", 2));
    const Case cases[] = {
        {"empty", "", DomError::EmptyFile},
        {"mark only", "\xFF\xFE", DomError::Utf16ConversionFailed},
        {"lone high surrogate", xmltest::utf16le("<a>", true) + lone_high + xmltest::utf16le("</a>", false),
         DomError::Utf16ConversionFailed},
        {"lone low surrogate", xmltest::utf16le("<a>", true) + lone_low + xmltest::utf16le("</a>", false),
         DomError::Utf16ConversionFailed},
    };
    for (const Case& c : cases) {
        DomParseResult result;
        result.line = result.column = 7;
        EXPECT_TRUE(parse_bytes(c.bytes, result).empty()) << c.label;
        EXPECT_EQ(result.error, c.error) << c.label;
        EXPECT_EQ(result.line, 0) << c.label;
        EXPECT_EQ(result.column, 0) << c.label;
    }
    // Not there, or not a regular file: a directory must not be taken for a
    // file of unknown size.
    std::filesystem::create_directory(dir_ / "directory.xml");
    for (const char* name : {"missing.xml", "directory.xml"}) {
        DomParseResult result;
        EXPECT_TRUE(dom::parse_file((dir_ / name).string().c_str(), nullptr, &result).empty()) << name;
        EXPECT_EQ(result.error, DomError::FileNotFound) << name;
        EXPECT_EQ(result.line, 0) << name;
    }
}

TEST_F(FileTest, WindowsStylePathsWork) {
    testsupport::writeFile(dir_ / "in.xml", "<r/>");
    std::string windows_path = dir_.path().string() + "\\in.xml";
    DomParseResult result;
    EXPECT_STREQ(dom::parse_file(windows_path.c_str(), "r", &result).name(), "r");
    EXPECT_EQ(result.error, DomError::None);
}

}  // namespace
