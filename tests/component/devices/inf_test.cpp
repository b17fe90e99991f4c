// INF files read through CInf and the platform's INF service. One table of
// files and their answers runs unchanged on Linux (our own reader) and on
// Windows (the setup interface), so the two must agree.
#include "tamsel_devices/inf.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/inf.h"
#include "platform/unicode.h"
#include "testsupport/testsupport.h"

namespace {

const char kGuid[] = "{4d36e972-e325-11ce-bfc1-08002be10318}";

// One line, found by key (as substituted) or, without key, by index; its
// field 0 and values.
struct Query {
    const char* section;
    const char* key;
    std::size_t index;
    std::optional<std::string> keyText;
    std::vector<std::string> fields;
};

struct InfCase {
    const char* file;
    std::string text;  // written with "\r\n" line ends; nothing written when empty
    bool utf16;
    bool opens;
    std::optional<std::string> signature, className, classGuid, serviceName;
    std::vector<std::string> sections, copyFiles, addService, softwareSettings;
    std::vector<Query> queries;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const InfCase& c, std::ostream* out) {
    *out << c.file;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

std::string Utf16File(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : platform::utf8_to_utf16(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::optional<std::string> Text(const char16_t* text) {
    if (text == nullptr) return std::nullopt;
    return platform::utf16_to_utf8(text);
}

std::vector<std::string> Utf8(const CStrList& list) {
    std::vector<std::string> out;
    for (const CStr& item : list) out.push_back(item.ToUtf8());
    return out;
}

// A file the setup interface does not open: no answers at all.
InfCase Refused(const char* file, std::string text) {
    return {file, std::move(text), false, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}, {}, {}, {},
            {}};
}

const InfCase kCases[] = {
    {"driver.inf",
     "; Tarn KX-Series adapter driver\n[Version]\nSignature   = \"$Windows NT$\"\nClass       = Net\n"
     "ClassGUID   = {4d36e972-e325-11ce-bfc1-08002be10318}\nProvider    = %Maker%\n\n"
     "[Manufacturer]\n%Maker% = Models, NTamd64\n\n"
     "[Models.NTamd64]\n%Adapter.Desc% = Adapter.ndi, PCI\\VEN_1D6A&DEV_07B1&SUBSYS_00011D6A\n\n"
     "[Adapter.ndi]\nCopyFiles = Adapter.Files\nAddReg    = Adapter.Reg\n\n"
     "[Adapter.ndi.Services]\nAddService = kxnet, 2, Adapter.Service\n\n"
     "[Adapter.ndi.SoftwareSettings]\nAddReg = Adapter.Params\n\n"
     "[Adapter.Files]\nkxnet.sys,,,2\n\n[DestinationDirs]\nDefaultDestDir = 12\n\n"
     "[Strings]\nMaker = \"Tarn\"\nAdapter.Desc = \"Tarn KX \"\"Dual\"\" Adapter\"\n",
     false,
     true,
     "$Windows NT$",
     "Net",
     kGuid,
     "kxnet",
     {"Version", "Manufacturer", "Models.NTamd64", "Adapter.ndi", "Adapter.ndi.Services",
      "Adapter.ndi.SoftwareSettings", "Adapter.Files", "DestinationDirs", "Strings"},
     {"Adapter.ndi"},
     {"Adapter.ndi.Services"},
     {"Adapter.ndi.SoftwareSettings"},
     {{"Version", "provider", 0, "Provider", {"Tarn"}},
      {"models.ntamd64",
       "tarn kx \"dual\" adapter",
       0,
       "Tarn KX \"Dual\" Adapter",
       {"Adapter.ndi", "PCI\\VEN_1D6A&DEV_07B1&SUBSYS_00011D6A"}},
      {"Adapter.Files", nullptr, 0, std::nullopt, {"kxnet.sys", "", "", "2"}}}},
    {"noclass.inf",
     "[Version]\nSignature=\"$CHICAGO$\"\nClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\n"
     "[First.Install]\nCopyFiles=@first.sys\n[First.Services]\nAddService=alpha,,First.Service\n"
     "[Second.Services]\nAddService=beta,,Second.Service\n",
     false,
     true,
     "$CHICAGO$",
     std::nullopt,
     std::nullopt,
     "alpha",
     {"Version", "First.Install", "First.Services", "Second.Services"},
     {"First.Install"},
     {"First.Services", "Second.Services"},
     {},
     {{"Second.Services", "AddService", 0, "AddService", {"beta", "", "Second.Service"}}}},
    {"syntax.inf",
     "[Version]\nSignature=\"$Windows NT$\" ; trailing comment\nClass=%ClassName%\n"
     "[Syntax]\nJoined = first, \\\n         second ; comment after\n"
     "Quoted = \"a, b; c\", \"say \"\"hi\"\"\", \"  padded  \"\nInner  = two  words\ttab , x\\y\n"
     "Percent = 100%%, %Unknown%, %classname%\nBare value\n"
     "[syntax]\nLater = merged\n[Strings]\nClassName = \"Net\"\n",
     false,
     true,
     "$Windows NT$",
     "Net",
     std::nullopt,
     std::nullopt,
     {"Version", "Syntax", "Strings"},
     {},
     {},
     {},
     {{"Syntax", "Joined", 0, "Joined", {"first", "second"}},
      {"Syntax", "Quoted", 0, "Quoted", {"a, b; c", "say \"hi\"", "  padded  "}},
      {"Syntax", "Inner", 0, "Inner", {"two  words\ttab", "x\\y"}},
      {"Syntax", "Percent", 0, "Percent", {"100%", "%Unknown%", "Net"}},
      {"Syntax", "bare VALUE", 0, "Bare value", {"Bare value"}},
      {"Syntax", "Later", 0, "Later", {"merged"}}}},
    {"utf16.inf",
     "[Version]\nSignature=\"$Windows NT$\"\nClass=Net\nClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\n"
     "[Install.NT]\nCopyFiles=Files.\xC3\x9Cn\xC3\xAF"
     "code\nDescription=%Desc%\n"
     "[Install.NT.Services]\nAddService=kxn\xC3\xA9t,2,Svc\n[Strings]\nDesc=\"Carte r\xC3\xA9seau "
     "\xE6\x97\xA5\xE6\x9C\xAC\"\n",
     true,
     true,
     "$Windows NT$",
     "Net",
     kGuid,
     "kxn\xC3\xA9t",
     {"Version", "Install.NT", "Install.NT.Services", "Strings"},
     {"Install.NT"},
     {"Install.NT.Services"},
     {},
     {{"Install.NT", "Description", 0, "Description", {"Carte r\xC3\xA9seau \xE6\x97\xA5\xE6\x9C\xAC"}}}},
    Refused("notnt.inf", "[Version]\nClass=Net\n[S.Services]\nAddService=x\n"),
    Refused("broken.inf", "[Version]\nSignature=\"$Windows NT$\"\n[Broken\nAddService=x\n"),
    Refused("missing.inf", ""),
};

class InfFiles : public testing::TestWithParam<InfCase> {};

void CheckQueries(const std::u16string& path, const InfCase& c) {
    platform::InfFile inf;
    ASSERT_EQ(inf.open(path), c.opens);
    std::vector<std::string> sections;
    for (const std::u16string& name : inf.section_names()) sections.push_back(platform::utf16_to_utf8(name));
    EXPECT_EQ(sections, c.sections);
    for (const Query& q : c.queries) {
        std::u16string section = platform::utf8_to_utf16(q.section);
        std::optional<std::size_t> line = q.key ? inf.find_line(section, platform::utf8_to_utf16(q.key)) : q.index;
        ASSERT_TRUE(line) << q.section << " " << q.key;
        std::optional<std::u16string> key = inf.field(section, *line, 0);
        EXPECT_EQ(key ? std::optional(platform::utf16_to_utf8(*key)) : std::nullopt, q.keyText);
        std::vector<std::string> fields;
        for (std::size_t i = 1; i <= inf.field_count(section, *line); ++i)
            fields.push_back(platform::utf16_to_utf8(inf.field(section, *line, i).value_or(u"<none>")));
        EXPECT_EQ(fields, q.fields) << q.section << " line " << *line;
        EXPECT_FALSE(inf.field(section, *line, q.fields.size() + 1));
    }
}

TEST_P(InfFiles, GiveTheSameAnswersOnEveryPlatform) {
    const InfCase& c = GetParam();
    testsupport::TempDir directory("nicfw-inf");
    std::filesystem::path file = directory / c.file;
    if (!c.text.empty()) testsupport::writeFile(file, c.utf16 ? Utf16File(Crlf(c.text)) : Crlf(c.text));

    CInf inf(file.u16string().c_str(), 0);
    EXPECT_EQ(inf.IsOpen(), c.opens ? 1 : 0);
    EXPECT_EQ(Text(inf.GetSignature()), c.signature);
    EXPECT_EQ(Text(inf.GetClass()), c.className);
    EXPECT_EQ(Text(inf.GetClassGuid()), c.classGuid);
    char16_t service[64] = u"untouched";
    EXPECT_EQ(inf.GetServiceName(nullptr, service, 64) != 0, c.serviceName.has_value());
    EXPECT_EQ(platform::utf16_to_utf8(service), c.serviceName.value_or(""));
    EXPECT_EQ(Utf8(inf.GetCopyFilesSections()), c.copyFiles);
    EXPECT_EQ(Utf8(inf.GetAddServiceSections()), c.addService);
    EXPECT_EQ(Utf8(inf.GetSoftwareSettingsSections()), c.softwareSettings);

    CheckQueries(platform::inf_full_path(file.u16string()), c);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, InfFiles, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.file;
    return name.substr(0, name.find('.'));
});

#ifndef _WIN32
// Where the setup interface's reading is easy to get wrong, each file written
// 8-bit and as UTF-16: NULs, Unicode blanks (blanks only in a UTF-16 file),
// and a [Version] key that becomes "Signature" only through [Strings]. On
// Windows the setup interface itself answers, so these run on Linux.
struct Reading {
    bool opens;
    std::vector<std::string> lines;  // "Section: key=value|value", substituted
};

struct ReadingCase {
    const char* name;
    std::string text;
    Reading eightBit, utf16;
};

void PrintTo(const ReadingCase& c, std::ostream* out) {
    *out << c.name;
}

Reading ReadBack(const std::filesystem::path& file) {
    platform::InfFile inf;
    Reading reading{inf.open(platform::inf_full_path(file.u16string())), {}};
    for (const std::u16string& section : inf.section_names())
        for (std::size_t line = 0; line < inf.line_count(section); ++line) {
            std::string text = platform::utf16_to_utf8(section) + ": ";
            text += platform::utf16_to_utf8(inf.field(section, line, 0).value_or(u"")) + "=";
            for (std::size_t i = 1; i <= inf.field_count(section, line); ++i)
                text += (i > 1 ? "|" : "") + platform::utf16_to_utf8(inf.field(section, line, i).value_or(u""));
            reading.lines.push_back(text);
        }
    return reading;
}

using namespace std::string_literals;

const std::string kNt = "[Version]\nSignature=\"$Windows NT$\"\n";
const Reading kRefused{false, {}};

const ReadingCase kReadingCases[] = {
    {"nul",
     "[Version]\nSignature=\"$Windows NT$\"\0\n[Test]\nabcd=ef\0gh\n\0lead = \0a\0, b\0\0\n"
     "Desc = %v%!\n[Strings]\nv = bbb\0\n"s,
     {true,
      {"Version: Signature=$Windows NT$", "Test: abcd=ef gh", "Test: lead=a|b", "Test: Desc=bbb!", "Strings: v=bbb"}},
     {true,
      {"Version: Signature=$Windows NT$", "Test: abcd=ef gh", "Test: lead=a|b", "Test: Desc=bbb!",
       "Strings: v=bbb"}}},
    {"blanks",
     kNt + "\u3000[Wide]\u00A0; note\n\u2000key\u200A=\u202F two\u00A0words\u0085,\u1680x\u2029\n",
     {true,
      {"Version: Signature=$Windows NT$", "Version: \u3000[Wide]\u00A0=\u3000[Wide]\u00A0",
       "Version: \u2000key\u200A=\u202F two\u00A0words\u0085|\u1680x\u2029"}},
     {true, {"Version: Signature=$Windows NT$", "Wide: key=two\u00A0words|x"}}},
    {"signature_blanks", "[Version]\nSignature\u3000=\u00A0\"$Windows NT$\"\u2028\n", kRefused,
     {true, {"Version: Signature=$Windows NT$"}}},
    {"signature_by_strings", "[Version]\n%sig% = \"$Windows NT$\"\n[Strings]\nsig = Signature\n", kRefused,
     kRefused},
    {"signature_after_strings_key",
     "[Version]\n%sig% = \"$Windows 3$\"\nSignature = \"$Chicago$\"\n[Strings]\nsig = Signature\n",
     {true, {"Version: Signature=$Windows 3$", "Version: Signature=$Chicago$", "Strings: sig=Signature"}},
     {true, {"Version: Signature=$Windows 3$", "Version: Signature=$Chicago$", "Strings: sig=Signature"}}},
    {"signature_value_by_strings", "[Version]\nSignature = %nt%\n[Strings]\nnt = \"$Windows NT$\"\n", kRefused,
     kRefused},
};

class InfReadings : public testing::TestWithParam<ReadingCase> {};

TEST_P(InfReadings, MatchTheSetupInterfaceInBothEncodings) {
    const ReadingCase& c = GetParam();
    testsupport::TempDir directory("nicfw-inf");
    testsupport::writeFile(directory / "eight.inf", Crlf(c.text));
    testsupport::writeFile(directory / "wide.inf", Utf16File(Crlf(c.text)));
    Reading eightBit = ReadBack(directory / "eight.inf");
    EXPECT_EQ(eightBit.opens, c.eightBit.opens) << "8-bit";
    EXPECT_EQ(eightBit.lines, c.eightBit.lines) << "8-bit";
    Reading utf16 = ReadBack(directory / "wide.inf");
    EXPECT_EQ(utf16.opens, c.utf16.opens) << "UTF-16";
    EXPECT_EQ(utf16.lines, c.utf16.lines) << "UTF-16";
}

INSTANTIATE_TEST_SUITE_P(Files, InfReadings, testing::ValuesIn(kReadingCases),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

TEST(Inf, ServiceNameOfANamedSectionAndItsBuffer) {
    testsupport::TempDir directory("nicfw-inf");
    testsupport::writeFile(directory / "two.inf",
                           "[Version]\nSignature=$Windows NT$\n[A.Services]\nAddService=alpha\n"
                           "[B.Services]\nDelService=old\nAddService=beta,2\n");
    CInf inf((directory / "two.inf").u16string().c_str(), 1);
    ASSERT_EQ(inf.IsOpen(), 1);
    char16_t name[8] = u"xxxxxxx";
    EXPECT_EQ(inf.GetServiceName(u"b.services", name, 5), 1);
    EXPECT_EQ(std::u16string(name), u"beta");
    EXPECT_EQ(inf.GetServiceName(u"A.Services", name, 5), 0);  // "alpha" does not fit whole
    EXPECT_EQ(name[0], u'\0');
    EXPECT_EQ(inf.GetServiceName(u"Version", name, 8), 0);
    EXPECT_EQ(inf.GetServiceName(u"Nowhere", name, 8), 0);
    EXPECT_EQ(inf.GetServiceName(nullptr, nullptr, 8), 0);
}

TEST(Inf, PathAndSourceDirectoryAreFull) {
    testsupport::TempDir directory("nicfw-inf");
    CInf inf((directory / "sub" / ".." / "pkg.inf").u16string().c_str(), 0);
    EXPECT_EQ(inf.IsOpen(), 0);
    const std::u16string& path = inf.GetInfPath().str();
    const std::u16string& source = inf.GetSourceDirectory().str();
    ASSERT_FALSE(source.empty());
    EXPECT_EQ(source.back(), u'\\');
    EXPECT_EQ(path, source + u"pkg.inf");
    EXPECT_EQ(path.find(u".."), std::u16string::npos);

    CInf relative(u"relative.inf", 0);
    EXPECT_EQ(relative.GetInfPath().str(), relative.GetSourceDirectory().str() + u"relative.inf");
    EXPECT_NE(relative.GetSourceDirectory().str(), u"");
}

}  // namespace
