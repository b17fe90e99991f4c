// String-table resources of this module (the program or shared library that
// holds the calling code), in the user-interface language: the plug-in's
// localised result messages.
//
// On Windows they are the module's real STRINGTABLE resources, loaded with
// LoadStringW; the system's resource loader picks the language among those
// present for the thread's user-interface language (under Wine the process
// locale, LC_ALL and so on, decides). Linux has no resources, so the module
// compiles the same texts into a table and passes it in; the language then
// comes from the locale environment (below).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Resource language ids as Windows numbers them: the primary language in
// the low ten bits, the sublanguage above.
constexpr std::uint16_t primary_language(std::uint16_t language) {
    return language & 0x3FF;
}
inline constexpr std::uint16_t language_english_us = 0x0409;
inline constexpr std::uint16_t language_german = 0x0007;
inline constexpr std::uint16_t language_spanish = 0x000A;
inline constexpr std::uint16_t language_french_belgium = 0x080C;
inline constexpr std::uint16_t language_italian = 0x0410;
inline constexpr std::uint16_t language_japanese = 0x0411;

// One string of a module's table in one resource language.
struct TableString {
    std::uint16_t language;
    std::uint32_t id;
    std::u16string_view text;
};

// The string `id` of this module's string table in the user-interface
// language, whole (callers cut it to their buffers); nothing when the module
// has no such string. On Windows `compiled` is not consulted. On Linux the
// entry of `compiled` whose primary language is the interface language's
// answers, else the English one.
std::optional<std::u16string> load_module_string(std::uint32_t id, std::span<const TableString> compiled);

// Linux: the primary language that the locale environment names: the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty, by its language
// part ("de_DE.UTF-8" is German); German, Spanish, French, Italian and
// Japanese are told apart, anything else is English. Windows: the primary
// language of the thread's user-interface language.
std::uint16_t user_interface_language();

}  // namespace platform
