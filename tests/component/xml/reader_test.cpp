// Loading: the result of each kind of file, the encodings a package file may
// be written in, and hostile input.
#include "support.h"

#include "platform/system.h"
#include "platform/unicode.h"
#include "platform/wholefile.h"
#include "testsupport/testsupport.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using ykzxmltest::FindAnywhere;
using ykzxmltest::Load;
using ykzxmltest::Repeated;

std::u16string TextOf(const CYkzXMLReader& reader, const char16_t* element) {
    const CYkzXMLNode* node = FindAnywhere(reader, element);
    if (node == nullptr || node->GetFirstChild() == nullptr || node->GetFirstChild()->GetText() == nullptr)
        return u"(none)";
    return node->GetFirstChild()->GetText();
}

TEST(YkzXmlReader, LoadFileResults) {
    testsupport::TempDir dir("ykzxml");
    testsupport::writeFile(dir / "good.xml", "<?xml version=\"1.0\"?>\r\n<ykz_install><a/></ykz_install>\r\n");
    testsupport::writeFile(dir / "empty.xml", "");
    testsupport::writeFile(dir / "bad.xml", "<ykz_install><a></ykz_install>");
    std::filesystem::create_directory(dir / "directory.xml");
    std::filesystem::path huge = dir / "huge.xml";
    testsupport::writeFile(huge, "<a>");
    std::filesystem::resize_file(huge, platform::whole_file_size_limit + 1);  // sparse: nothing is written
    struct Case {
        std::filesystem::path path;
        std::int32_t result;
    } cases[] = {
        {dir / "good.xml", CYkzXMLReader::LoadOk},
        {dir / "missing.xml", CYkzXMLReader::LoadCannotOpen},
        {dir / "directory.xml", CYkzXMLReader::LoadCannotOpen},
        {dir / "empty.xml", CYkzXMLReader::LoadNotWellFormed},
        {dir / "bad.xml", CYkzXMLReader::LoadNotWellFormed},
        {huge, CYkzXMLReader::LoadCannotRead},
    };
    CYkzXMLReader reader;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        EXPECT_EQ(reader.LoadFile(c.path.u16string().c_str()), c.result);
        EXPECT_EQ(reader.IsLoaded(), c.result == CYkzXMLReader::LoadOk);
        if (c.result == CYkzXMLReader::LoadOk) {
            EXPECT_NE(reader.FindElement(nullptr, u"ykz_install"), nullptr);
        }
    }
    EXPECT_EQ(reader.LoadFile(nullptr), CYkzXMLReader::LoadCannotOpen);

    // Devices are not files: whichever of these names one on the platform,
    // the answer comes at once and is a failure to open or read.
    for (const char16_t* device : {u"NUL", u"\\dev\\null", u"\\dev\\zero"}) {
        std::int32_t result = reader.LoadFile(device);
        EXPECT_TRUE(result == CYkzXMLReader::LoadCannotOpen || result == CYkzXMLReader::LoadCannotRead);
    }
}

std::string Utf16WithBom(const std::string& utf8, bool bigEndian) {
    std::u16string units(1, u'\uFEFF');
    units += platform::utf8_to_utf16(utf8);
    std::string bytes;
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(YkzXmlReader, Encodings) {
    // Decoding Shift-JIS must not depend on a Japanese locale.
    platform::set_environment_variable("LC_ALL", "C.UTF-8");
    const std::string utf8Document =
        "<name lang=\"de\">Gr\xC3\xB6\xC3\x9F"
        "e \xE2\x82\xAC</name>";
    // "日本語", a half-width katakana and "表", whose second byte is a backslash.
    const std::string shiftJisText = "\x93\xFA\x96\x7B\x8C\xEA\xB1\x95\x5C";
    struct Case {
        const char* label;
        std::string document;
        std::int32_t result;
        std::u16string text;
    } cases[] = {
        {"UTF-8", utf8Document, 0, u"Gr\u00F6\u00DFe \u20AC"},
        {"UTF-16LE with BOM", Utf16WithBom(utf8Document, false), 0, u"Gr\u00F6\u00DFe \u20AC"},
        {"UTF-16BE with BOM", Utf16WithBom(utf8Document, true), 0, u"Gr\u00F6\u00DFe \u20AC"},
        {"Shift-JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><name>" + shiftJisText + "</name>", 0,
         u"\u65E5\u672C\u8A9E\uFF71\u8868"},
        {"shift-jis lower case", "<?xml version='1.0' encoding='shift_jis'?><name>\x82\xA0</name>", 0, u"\u3042"},
        {"Shift-JIS invalid pair", "<?xml version='1.0' encoding='SHIFT_JIS'?><name>\x81\x20</name>", 5, u""},
        {"another unknown encoding", "<?xml version='1.0' encoding='EUC-JP'?><name>x</name>", 5, u""},
        {"a name that only begins alike", "<?xml version='1.0' encoding='SHIFT_JISX'?><name>x</name>", 5, u""},
    };
    CYkzXMLReader reader;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Load(reader, c.document), c.result);
        if (c.result == 0) {
            EXPECT_EQ(TextOf(reader, u"name"), c.text);
        }
    }
    // Attribute values are decoded too.
    ASSERT_EQ(Load(reader, "<?xml version='1.0' encoding='Shift_JIS'?><e v='" + shiftJisText + "'/>"), 0);
    EXPECT_EQ(std::u16string(FindAnywhere(reader, u"e")->GetAttribute(u"v")), u"\u65E5\u672C\u8A9E\uFF71\u8868");
}

TEST(YkzXmlReader, HostileInputFailsOrLoadsBounded) {
    // expat's own limit on entity amplification must be built in and active.
    bool protectedBuild = false;
    for (const XML_Feature* feature = XML_GetFeatureList(); feature->feature != XML_FEATURE_END; ++feature)
        if (feature->feature == XML_FEATURE_BILLION_LAUGHS_ATTACK_PROTECTION_MAXIMUM_AMPLIFICATION_DEFAULT)
            protectedBuild = true;
    EXPECT_TRUE(protectedBuild);

    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY l0 \"lol\">";
    for (int level = 1; level <= 10; ++level) {
        std::string previous = "&l" + std::to_string(level - 1) + ";";
        laughs += "<!ENTITY l" + std::to_string(level) + " \"" + Repeated(previous, 10) + "\">";
    }
    laughs += "]><l>&l10;</l>";

    std::string attributes = "<e";
    for (int i = 0; i < 100'000; ++i) attributes += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    attributes += "/>";

    std::string binary;
    for (unsigned i = 0; i < 4096; ++i) binary += static_cast<char>((i * 2654435761u) >> 24);

    CYkzXMLReader reader;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(reader, laughs), CYkzXMLReader::LoadNotWellFormed);
    // Only a sanity bound: an unchecked expansion would take minutes and gigabytes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

    ASSERT_EQ(Load(reader, attributes), 0);
    const CYkzXMLNode* e = FindAnywhere(reader, u"e");
    EXPECT_EQ(e->GetAttributeCount(), 100'000);
    EXPECT_EQ(std::u16string(e->GetAttribute(u"a99999")), u"99999");

    EXPECT_EQ(Load(reader, binary), CYkzXMLReader::LoadNotWellFormed);
    EXPECT_EQ(reader.LoadBuffer(nullptr, 10), CYkzXMLReader::LoadNotWellFormed);
    EXPECT_EQ(reader.LoadBuffer(nullptr, 0), CYkzXMLReader::LoadNotWellFormed);

    // Every cut of a document fails cleanly; only the whole one loads.
    const std::string whole = "<?xml version=\"1.0\"?><r a=\"1\"><![CDATA[x]]><t>a&amp;b</t></r>";
    for (std::size_t length = 0; length < whole.size(); ++length)
        EXPECT_EQ(reader.LoadBuffer(whole.data(), length), CYkzXMLReader::LoadNotWellFormed) << length;
    EXPECT_EQ(Load(reader, whole), 0);
}

}  // namespace
