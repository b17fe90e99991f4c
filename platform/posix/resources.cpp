// POSIX only: string tables compiled into the module, in the language that
// the locale environment names.
#include "platform/resources.h"

#include <cstdlib>

namespace platform {

namespace {

struct LocaleLanguage {
    std::string_view code;
    std::uint16_t primary;
};

constexpr LocaleLanguage locale_languages[] = {
    {"de", primary_language(language_german)},         {"es", primary_language(language_spanish)},
    {"fr", primary_language(language_french_belgium)}, {"it", primary_language(language_italian)},
    {"ja", primary_language(language_japanese)},
};

// The locale as POSIX resolves it for messages.
std::string_view locale_name() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

std::optional<std::u16string> find(std::span<const TableString> table, std::uint16_t primary, std::uint32_t id) {
    for (const TableString& entry : table) {
        if (entry.id == id && primary_language(entry.language) == primary) return std::u16string(entry.text);
    }
    return std::nullopt;
}

}  // namespace

std::uint16_t user_interface_language() {
    // "de_DE.UTF-8", "de.UTF-8", "de@euro" and "de" all name German; "C" and
    // "POSIX" name no language at all.
    std::string_view name = locale_name();
    std::string_view language = name.substr(0, name.find_first_of("_.@-"));
    for (const LocaleLanguage& entry : locale_languages) {
        if (language == entry.code) return entry.primary;
    }
    return primary_language(language_english_us);
}

std::optional<std::u16string> load_module_string(std::uint32_t id, std::span<const TableString> compiled) {
    if (std::optional<std::u16string> text = find(compiled, user_interface_language(), id)) return text;
    return find(compiled, primary_language(language_english_us), id);
}

}  // namespace platform
