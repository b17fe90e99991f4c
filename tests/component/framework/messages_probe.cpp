// Loads every string-table message as a process of the plug-in's kind does,
// from its own module in its interface language, and compares them with the
// texts of the resource language named on the command line (en, de, es, fr,
// it, ja). Id 0 and the id after the last must load nothing. Under Wine the
// interface language is fixed when a process starts, from its Unix locale,
// so CTest runs this once per language with its own LC_ALL. Exit code 0 when
// every text is equal, 1 with the differences listed, 2 for a bad command
// line.
#include <cstdio>
#include <cstring>
#include <string>

#include "cmplog/cstr.h"
#include "tamsel_framework/messages.h"

namespace {

struct Language {
    const char* name;
    std::uint16_t id;
};

constexpr Language languages[] = {
    {"en", platform::language_english_us},     {"de", platform::language_german},  {"es", platform::language_spanish},
    {"fr", platform::language_french_belgium}, {"it", platform::language_italian}, {"ja", platform::language_japanese},
};

std::u16string Expected(std::uint16_t language, std::uint32_t id) {
    for (const platform::TableString& entry : CompiledStringTable())
        if (entry.language == language && entry.id == id) return std::u16string(entry.text);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    const Language* language = nullptr;
    for (const Language& entry : languages)
        if (argc == 2 && std::strcmp(argv[1], entry.name) == 0) language = &entry;
    if (language == nullptr) {
        std::fprintf(stderr, "usage: messages_probe en|de|es|fr|it|ja\n");
        return 2;
    }
    int differences = 0;
    for (std::uint32_t id = 0; id <= StringMessageCount + 1; ++id) {
        char16_t buffer[MessageBufferUnits] = {};
        std::size_t length = LoadMessage(id, buffer, MessageBufferUnits);
        std::u16string expected = Expected(language->id, id);
        if (std::u16string(buffer, length) == expected) continue;
        ++differences;
        std::printf("message %u: loaded \"%s\", expected \"%s\"\n", static_cast<unsigned>(id),
                    CStr(std::u16string(buffer, length)).ToUtf8().c_str(), CStr(expected).ToUtf8().c_str());
    }
    return differences == 0 ? 0 : 1;
}
