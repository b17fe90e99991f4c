// The localised messages: the language index, the code message table and
// its two selections, the string-table texts, and how a message is cut to
// its buffer. Each interface language is checked by messages_probe, run once
// per language.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cmplog/cstr.h"
#include "tamsel_framework/messages.h"

namespace {

std::string utf8(std::u16string_view text) {
    return CStr(text).ToUtf8();
}

TEST(LanguageIndex, WholeCodesInAnyLetterCase) {
    struct Case {
        const char16_t* code;
        int index;
    };
    const Case cases[] = {{u"fr", 1}, {u"it", 2}, {u"de", 3},  {u"DE", 3},  {u"De", 3},    {u"es", 4},
                          {u"ja", 5}, {u"JA", 5}, {u"en", 0},  {u"xx", 0},  {u"de-DE", 0}, {u"fr-BE", 0},
                          {u"d", 0},  {u"", 0},   {u"ja ", 0}, {nullptr, 0}};
    for (const Case& c : cases) EXPECT_EQ(LanguageIndex(c.code), c.index) << (c.code ? utf8(c.code) : "null");
}

TEST(CodeMessages, DirectSelectionByColumn) {
    EXPECT_EQ(utf8(SelectMessage(CodeMessageOsNotSupported, u"FR")),
              "Le système d'exploitation n'est pas pris en charge\r\n");
    EXPECT_EQ(utf8(SelectMessage(CodeMessageNotEnoughDiskSpace, u"es")),
              "No dispone de suficiente espacio en el disco para instalar este componente.\r\n");
    EXPECT_EQ(utf8(SelectMessage(CodeMessageMarkedForRemoval, u"de-DE")),
              "The component is marked for removal upon the next reboot.  Install can not continue.\r\n");
    EXPECT_EQ(std::u16string(SelectMessage(CodeMessageOsNotSupported, u"ja")),
              u"\u3053\u306eOS\u306f\u30b5\u30dd\u30fc\u30c8\u3055\u308c\u3066\u3044\u307e\u305b\u3093\u3002\r\n");
    EXPECT_EQ(std::u16string(SelectMessage(0, u"fr")), u"");
    EXPECT_EQ(std::u16string(SelectMessage(CodeMessageRows + 1, u"fr")), u"");

    for (int row = 1; row <= CodeMessageRows; ++row) {
        std::u16string english = CodeMessageText(row, 0);
        // The Italian column repeats the English text except for row 8.
        EXPECT_EQ(CodeMessageText(row, 2) == english, row != CodeMessageDeviceInstallFailed) << row;
        for (int column = 1; column < CodeMessageLanguages; ++column) {
            EXPECT_FALSE(english.empty());
            if (row == CodeMessageShellExecuteError) {
                EXPECT_EQ(CodeMessageText(row, column), english) << column;
            }
        }
    }
}

TEST(CodeMessages, FallbackGivesJapaneseOrEnglish) {
    for (int row = 1; row <= CodeMessageRows; ++row) {
        for (const char16_t* code : {u"en", u"fr", u"it", u"de", u"es", u"ja", u"xx"}) {
            int column = LanguageIndex(code) == LanguageIndexJapanese ? LanguageIndexJapanese : 0;
            EXPECT_EQ(std::u16string(SelectFallbackMessage(row, code)), CodeMessageText(row, column))
                << row << " " << utf8(code);
        }
    }
}

// The expected text of every id in one resource language.
std::map<std::uint32_t, std::u16string> compiledTexts(std::uint16_t language) {
    std::map<std::uint32_t, std::u16string> texts;
    for (const platform::TableString& entry : CompiledStringTable())
        if (entry.language == language) texts[entry.id] = std::u16string(entry.text);
    return texts;
}

TEST(StringTable, SixLanguagesFromOneSource) {
    std::map<std::uint32_t, std::u16string> english = compiledTexts(platform::language_english_us);
    ASSERT_EQ(english.size(), StringMessageCount);
    EXPECT_EQ(utf8(english[MessageInstallDone]),
              "All firmware installations were successful.  See log for more information.\r\n");
    // The older messages repeat the English text (German names the log file
    // in three of them); the newer ones are translated in every language.
    std::map<std::uint32_t, std::u16string> german = compiledTexts(platform::language_german);
    for (std::uint16_t language : {platform::language_spanish, platform::language_french_belgium,
                                   platform::language_italian, platform::language_german}) {
        std::map<std::uint32_t, std::u16string> texts = compiledTexts(language);
        ASSERT_EQ(texts.size(), StringMessageCount) << language;
        for (std::uint32_t id = 1; id <= StringMessageCount; ++id) {
            std::u16string expected = english[id];
            bool namesTheLog = id >= MessageAllUpToDate && id <= MessageInstallDone;
            if (language == platform::language_german && namesTheLog)
                expected.replace(expected.find(u"See log"), 7, u"See zizador.log");
            if (id < FirstFullyTranslatedMessage) {
                EXPECT_EQ(texts[id], expected) << language << " " << id;
            } else {
                EXPECT_NE(texts[id], expected) << language << " " << id;
                EXPECT_TRUE(texts[id].ends_with(u"\r\n")) << language << " " << id;
            }
        }
    }
    EXPECT_EQ(utf8(german[MessageVersionUnknown]),
              "Die installierte Firmware-Version konnte nicht ermittelt werden. Weitere Informationen finden Sie in "
              "zizador.log und ykzsetup.log.\r\n");

    std::map<std::uint32_t, std::u16string> japanese = compiledTexts(platform::language_japanese);
    ASSERT_EQ(japanese.size(), StringMessageCount);
    EXPECT_EQ(japanese[MessageReportReadFailed],
              u"XML\u30d5\u30a1\u30a4\u30eb\u8aad\u307f\u8fbc\u307f\u30a8\u30e9\u30fc\r\n");
    EXPECT_EQ(japanese[MessageAllUpToDate],
              u"\u3059\u3079\u3066\u306e\u30d5\u30a1\u30fc\u30e0\u30a6\u30a7\u30a2\u306f\u6700\u65b0\u3067\u3059\u3002"
              u"\u30a2\u30c3\u30d7\u30c7\u30fc\u30c8\u306f\u5b9f\u884c\u3055\u308c\u307e\u305b\u3093\u3067\u3057\u305f"
              u"\u3002\u8a73\u3057\u304f\u306f\u3001zizador.log\u3092\u3054\u89a7\u304f\u3060\u3055\u3044\u3002\r\n");
    EXPECT_EQ(CompiledStringTable().size(), 6 * StringMessageCount);
}

TEST(StringTable, LoadingCutsToTheBuffer) {
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    EXPECT_EQ(LoadMessage(MessageNoDiscoveryFile, buffer, 5), 4u);
    EXPECT_EQ(std::u16string(buffer), u"Disc");
    EXPECT_EQ(LoadMessage(StringMessageCount + 1, buffer, 8), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(LoadMessage(MessageNoDiscoveryFile, nullptr, 8), 0u);
}

}  // namespace
