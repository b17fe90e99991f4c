// The registry export format, registry value decoding and free space: the
// same on both platforms.
#include "machine_fixtures.h"
#include "platform/diskspace.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace {

using platform::RegistryStatus;
using platform::RegistryValue;
namespace regfile = platform::regfile;

regfile::Document parsed(const std::string& text) {
    regfile::Document document;
    EXPECT_TRUE(document.parse(text));
    return document;
}

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values) out += static_cast<char>(value);
    return out;
}

TEST(RegFile, ReadsEveryKindOfValue) {
    regfile::Document document = parsed(testsupport::readFile(machinetest::fixture("machine.reg")));
    for (const machinetest::FixtureValue& expected : machinetest::fixtureValues()) {
        const RegistryValue* value = document.find_value(u"HKEY_LOCAL_MACHINE\\" + expected.key, expected.name);
        ASSERT_NE(value, nullptr) << platform::utf16_to_utf8(expected.name);
        EXPECT_EQ(*value, expected.value) << platform::utf16_to_utf8(expected.name);
    }
    const std::u16string key = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\YkzMachineTest";
    EXPECT_EQ(*document.find_value(u"HKLM\\Software\\YKZMACHINETEST\\services\\\\ykztestdriver\\", u"start"),
              platform::registry_dword(3))
        << "short root names, letter case and empty parts";
    EXPECT_EQ(document.find_value(key, u"Missing"), nullptr);
    EXPECT_EQ(document.find_value(key + u"\\Missing", u"Flag"), nullptr);
    EXPECT_TRUE(document.key_exists(u"HKEY_LOCAL_MACHINE\\Software")) << "a key above a named key exists";
    EXPECT_FALSE(document.key_exists(u"HKEY_LOCAL_MACHINE\\Software\\YkzMachine")) << "a name prefix is no key";
    EXPECT_EQ(document.skipped_lines(), 0u);
}

TEST(RegFile, SkipsWhatItDoesNotUnderstandAndAppliesDeletions) {
    regfile::Document document = parsed(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
        "stray line before any key\n"
        "[HKEY_LOCAL_MACHINE\\A]\n"
        "\"Good\"=dword:00000002\n"
        "\"TooLong\"=dword:123456789\n"
        "\"NotHex\"=hex:zz,01\n"
        "\"Unclosed=\"text\"\n"
        "\"Trailing\"=\"text\" junk\n"
        "NoQuotes=\"text\"\n"
        "\"Gone\"=\"soon\"\n"
        "\"Gone\"=-\n"
        "[HKEY_LOCAL_MACHINE\\A\n"
        "\"AfterBrokenKey\"=dword:00000001\n"
        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n"
        "\"Deep\"=dword:00000003\n"
        "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
        "\"UnderDeletion\"=dword:00000001\n"
        "[hklm\\a]\n"
        "\"Again\"=hex(b):01,00,00,00,00,00,00,00\n");
    EXPECT_EQ(document.skipped_lines(), 7u);
    const std::u16string a = u"HKEY_LOCAL_MACHINE\\A";
    EXPECT_EQ(*document.find_value(a, u"Good"), platform::registry_dword(2));
    EXPECT_EQ(document.find_value(a, u"TooLong"), nullptr);
    EXPECT_EQ(document.find_value(a, u"Gone"), nullptr);
    EXPECT_EQ(*document.find_value(a, u"AfterBrokenKey"), platform::registry_dword(1))
        << "a broken key line opens none";
    EXPECT_FALSE(document.key_exists(u"HKEY_LOCAL_MACHINE\\A\\B\\C"));
    EXPECT_EQ(document.find_value(a, u"UnderDeletion"), nullptr);
    EXPECT_EQ(document.find_value(a, u"Again")->type, platform::reg_qword);
    EXPECT_EQ(document.keys().size(), 1u) << "a key named twice is one key";
}

TEST(RegFile, RefusesTextWithoutTheHeader) {
    regfile::Document document;
    EXPECT_FALSE(document.parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"X\"=dword:00000001\n"));
    EXPECT_FALSE(document.parse(""));
    EXPECT_TRUE(document.keys().empty());
}

TEST(RegFile, WritesBackWhatItReadValueForValue) {
    std::string original = testsupport::readFile(machinetest::fixture("machine.reg"));
    original += "[HKEY_LOCAL_MACHINE\\Kept]\r\n\"Broken\"=dword:xyz\r\n; a comment\r\n";
    regfile::Document document = parsed(original);
    const std::u16string key = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\YkzMachineTest\\Written";
    const std::pair<std::u16string, RegistryValue> written[] = {
        {u"Plain", platform::registry_string(u"caf\u00e9 \u30c6\u30b9\u30c8 \\ \"quoted\"")},
        {u"Lines", platform::registry_string(u"one\r\ntwo")},
        {u"Unterminated", RegistryValue{platform::reg_sz, bytes({0x41, 0})}},
        {u"Odd", RegistryValue{platform::reg_sz, bytes({0x41, 0, 0})}},
        {u"LoneSurrogate", platform::registry_string(std::u16string(1, u'\xD800'))},
        {u"Big", RegistryValue{platform::reg_binary, std::string(300, '\x5a')}},
        {u"None", RegistryValue{platform::reg_none, {}}},
        {u"Odd \"name\" \\ here", platform::registry_dword(0xFFFFFFFF)},
        {u"List", platform::registry_multi_string({u"C:\\a", u"", u"b"})},
    };
    for (const auto& [name, value] : written) document.set_value(key, name, value);
    document.set_value(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\YkzMachineTest", u"Flag", platform::registry_dword(7));
    EXPECT_TRUE(document.delete_value(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\YkzMachineTest", u"Blob"));

    std::string text = document.serialize();
    regfile::Document again = parsed(text);
    for (const auto& [name, value] : written) {
        ASSERT_NE(again.find_value(key, name), nullptr) << platform::utf16_to_utf8(name);
        EXPECT_EQ(*again.find_value(key, name), value) << platform::utf16_to_utf8(name);
    }
    EXPECT_EQ(*again.find_value(u"HKLM\\SOFTWARE\\YkzMachineTest", u"Flag"), platform::registry_dword(7));
    EXPECT_EQ(again.find_value(u"HKLM\\SOFTWARE\\YkzMachineTest", u"Blob"), nullptr);
    EXPECT_EQ(*again.find_value(u"HKLM\\SOFTWARE\\YkzMachineTest", u"Files"),
              platform::registry_multi_string({u"first", u"second"}));
    EXPECT_EQ(again.serialize(), text) << "writing is stable";
    EXPECT_NE(text.find("\"Broken\"=dword:xyz\r\n; a comment\r\n"), std::string::npos) << "kept lines stay";
    EXPECT_NE(text.find("; A registry of every kind"), std::string::npos);
    EXPECT_NE(text.find("\"Plain\"=\"caf\xC3\xA9"), std::string::npos) << "plain text stays readable";
    for (const std::string& line : testsupport::splitLines(testsupport::normalizeLineEnds(text)))
        EXPECT_LE(line.size(), 80u) << line;
}

// regedit's rule: hex(2) and hex(7) data is UTF-16LE in a UTF-16 file and
// 8-bit text in any other.
TEST(RegFile, TextDataFollowsTheFileEncoding) {
    std::u16string text =
        u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"N\"=\"\u00e9\"\r\n"
        u"\"M\"=hex(7):61,00,00,00,00,00\r\n";
    std::string raw;
    for (char16_t c : text) raw += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    regfile::Document utf16 = parsed(raw);
    EXPECT_EQ(*utf16.find_value(u"HKCU\\T", u"N"), platform::registry_string(u"\u00e9"));
    EXPECT_EQ(*utf16.find_value(u"HKCU\\T", u"M"), platform::registry_multi_string({u"a"}));
    EXPECT_EQ(utf16.serialize().substr(0, 4), std::string("\xFF\xFEW\0", 4)) << "a UTF-16 file stays UTF-16";

    regfile::Document utf8 = parsed(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\T]\n"
        "\"M\"=hex(7):c3,a9,00,00\n\"E\"=hex(2):61,00\n");
    EXPECT_EQ(*utf8.find_value(u"HKCU\\T", u"M"), platform::registry_multi_string({u"\u00e9"}));
    EXPECT_EQ(*utf8.find_value(u"HKCU\\T", u"E"), platform::registry_string(u"a", platform::reg_expand_sz));
    EXPECT_NE(utf8.serialize().find("\"M\"=hex(7):c3,a9,00,00\r\n"), std::string::npos);

    const RegistryValue lone = platform::registry_multi_string({std::u16string(1, u'\xDC00')});
    utf8.set_value(u"HKCU\\T", u"Lone", lone);
    std::string written = utf8.serialize();
    EXPECT_EQ(written.substr(0, 2), "\xFF\xFE") << "only a UTF-16 file carries it";
    EXPECT_EQ(*parsed(written).find_value(u"HKCU\\T", u"Lone"), lone);
    EXPECT_EQ(*parsed(written).find_value(u"HKCU\\T", u"M"), platform::registry_multi_string({u"\u00e9"}));
}

// A machine with many services, written the way a driver installation
// leaves it: keys in any letter case, one named twice, a subtree deleted and
// a key below it named again, siblings whose names start alike.
TEST(RegFile, ManyKeysReadAndWriteBackWhole) {
    constexpr int services = 3000;
    auto service = [](int i, bool lower = false) {
        std::string path = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Svc" + std::to_string(i);
        if (lower)
            for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return path;
    };
    std::string text = "Windows Registry Editor Version 5.00\r\n";
    for (int i = 0; i < services; ++i) {
        char index[16];
        std::snprintf(index, sizeof index, "%08x", i);
        text += "\r\n[" + service(i, i % 3 == 0) + "]\r\n\"Index\"=dword:" + index + "\r\n";
        if (i % 2 == 0) text += "\r\n[" + service(i) + "\\Parameters]\r\n\"Path\"=\"C:\\\\" + std::to_string(i) + "\"\r\n";
    }
    text += "\r\n[-" + service(2) + "]\r\n\r\n[" + service(2) + "\\Parameters]\r\n\"Again\"=dword:00000002\r\n";
    text += "\r\n[" + service(7, true) + "]\r\n\"Index\"=-\r\n\"Extra\"=dword:00000001\r\n";

    regfile::Document document = parsed(text);
    EXPECT_EQ(document.keys().size(), std::size_t{services + services / 2 - 1});
    auto path = [&](int i, const std::string& below = "") {
        return platform::utf8_to_utf16(service(i, i % 2 == 1) + below);
    };
    for (int i = 0; i < services; ++i) {
        const RegistryValue* index = document.find_value(path(i), u"Index");
        if (i == 2 || i == 7) {
            EXPECT_EQ(index, nullptr) << i;
        } else {
            ASSERT_NE(index, nullptr) << i;
            EXPECT_EQ(*index, platform::registry_dword(static_cast<std::uint32_t>(i)));
        }
        EXPECT_EQ(document.find_value(path(i, "\\Parameters"), u"Path") != nullptr, i % 2 == 0 && i != 2) << i;
    }
    EXPECT_TRUE(document.key_exists(path(2))) << "a key below it was named again";
    EXPECT_EQ(document.find_key(path(2)), nullptr);
    EXPECT_EQ(*document.find_value(path(2, "\\parameters"), u"again"), platform::registry_dword(2));
    EXPECT_EQ(*document.find_value(path(20), u"Index"), platform::registry_dword(20)) << "a sibling named alike stays";
    EXPECT_EQ(*document.find_value(path(7), u"Extra"), platform::registry_dword(1));
    EXPECT_TRUE(document.key_exists(u"HKLM\\system\\CurrentControlSet"));
    EXPECT_FALSE(document.key_exists(u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\Svc"));
    EXPECT_FALSE(document.key_exists(u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\Svc1\\Parameters"));

    // What a driver installation writes, then the file read again.
    const std::u16string device = u"HKLM\\SYSTEM\\CurrentControlSet\\Enum\\Root\\NET\\0000";
    document.set_value(device, u"Class", platform::registry_string(u"Net"));
    document.create_key(path(services - 1, "\\Enum"));
    EXPECT_TRUE(document.delete_key(path(4)));
    EXPECT_TRUE(document.delete_value(path(9), u"Index"));
    std::string written = document.serialize();
    regfile::Document again = parsed(written);
    ASSERT_EQ(again.keys().size(), document.keys().size());
    for (std::size_t i = 0; i < document.keys().size(); ++i) {
        const regfile::Key& key = document.keys()[i];
        ASSERT_EQ(again.keys()[i].path, key.path);
        for (const regfile::Entry& entry : key.entries)
            EXPECT_EQ(*again.find_value(key.path, entry.name), entry.value) << platform::utf16_to_utf8(key.path);
    }
    EXPECT_EQ(again.keys().size(), std::size_t{services + services / 2 - 1});
    EXPECT_EQ(*again.find_value(device, u"Class"), platform::registry_string(u"Net"));
    EXPECT_FALSE(again.key_exists(path(4, "\\Parameters")));
    EXPECT_EQ(*again.find_value(path(40), u"Index"), platform::registry_dword(40));
    EXPECT_EQ(again.find_value(path(9), u"Index"), nullptr);
    EXPECT_EQ(again.serialize(), written) << "writing is stable";
}

TEST(RegistryValues, DecodeByTypeAndSize) {
    std::uint32_t number = 0;
    std::u16string text;
    std::vector<std::u16string> texts;
    EXPECT_EQ(platform::decode_dword(platform::registry_dword(0x40008), number), RegistryStatus::ok);
    EXPECT_EQ(number, 0x40008u);
    EXPECT_EQ(platform::decode_dword(RegistryValue{platform::reg_dword, "\1\2\3"}, number), RegistryStatus::wrong_size);
    EXPECT_EQ(platform::decode_dword(platform::registry_string(u"1"), number), RegistryStatus::wrong_type);
    EXPECT_EQ(platform::decode_string(platform::registry_dword(1), text), RegistryStatus::wrong_type);
    EXPECT_EQ(platform::decode_string(RegistryValue{platform::reg_sz, "A"}, text), RegistryStatus::wrong_size);
    EXPECT_EQ(platform::decode_string(RegistryValue{platform::reg_sz, {}}, text), RegistryStatus::ok);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(platform::decode_string(RegistryValue{platform::reg_sz, std::string("A\0B\0", 4)}, text),
              RegistryStatus::ok);
    EXPECT_EQ(text, u"AB") << "a string without its terminator is taken whole";
    EXPECT_EQ(platform::decode_multi_string(platform::registry_string(u"a"), texts), RegistryStatus::wrong_type);
    EXPECT_EQ(
        platform::decode_multi_string(RegistryValue{platform::reg_multi_sz, std::string("a\0\0\0\0\0b\0", 8)}, texts),
        RegistryStatus::ok);
    EXPECT_EQ(texts, std::vector<std::u16string>{u"a"}) << "the list ends at its first empty string";
    EXPECT_EQ(platform::decode_multi_string(RegistryValue{platform::reg_multi_sz, std::string("a\0\0\0b\0", 6)}, texts),
              RegistryStatus::ok);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"a", u"b"})) << "missing terminators at the end";
}

TEST(DiskSpace, FreeSpaceOfATemporaryDirectory) {
    testsupport::TempDir dir;
    std::optional<std::uint64_t> free = platform::free_disk_space(platform::utf8_to_utf16(dir.path().string()));
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
    EXPECT_FALSE(platform::free_disk_space(platform::utf8_to_utf16((dir / "missing" / "deeper").string())));
    EXPECT_FALSE(platform::free_disk_space(u""));
}

}  // namespace
