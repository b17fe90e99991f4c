// The text of an INF file read the way the Windows setup interface reads it:
// sections, lines, keys and fields, and %strkey% substitution from
// [Strings]. Pure and portable: the Linux INF service (inf.h) stands on it,
// and it is fuzzed and tested on both platforms.
//
// The rules, as the setup interface applies them:
// - "[name]" starts a section; the rest of that line is ignored. Names
//   compare without regard to case, and a section that appears again
//   continues the first one. A line with "[" but no "]" ends the file.
// - A line is "key = value, value, ..." or a keyless list of values. A
//   keyless line of exactly one value also answers to that value as its key.
//   Keys are looked up as substituted; [Strings] keys as written.
// - Fields lose their leading and trailing blanks; blanks inside stay. A
//   NUL is read as a space, so it is such a blank too. Text from a UTF-16
//   file also counts Unicode's other blanks (U+00A0, U+0085, U+1680, U+2000
//   to U+200A, U+2028, U+2029, U+202F, U+3000) as blanks, as the setup
//   interface does there, also before a section's "["; in 8-bit text, read
//   as UTF-8, they are text.
// - "..." quotes keep everything literally, "" inside quotes is one quote
//   mark, and a quote left open ends at the end of the line.
// - ";" outside quotes starts a comment that runs to the end of the line.
// - A "\" followed by nothing but blanks, further "\" or a comment up to the
//   end of the line joins the next line to this one; elsewhere it is an
//   ordinary character.
// - Text before the first section is skipped; a control-Z ends the text.
// - Keys and fields are cut at `max_field_length` units; section names
//   longer than `max_section_name_length` end the file.
// Reading is one pass over the text, whatever the text holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::inf {

inline constexpr std::size_t max_field_length = 511;
inline constexpr std::size_t max_section_name_length = 255;
inline constexpr std::size_t max_substituted_length = 4097;

struct InfLine {
    std::optional<std::u16string> key;
    std::vector<std::u16string> fields;  // as written: quotes resolved, no substitution yet
};

struct InfSection {
    std::u16string name;  // as first written
    std::vector<InfLine> lines;
};

enum class InfParseStatus {
    ok,
    unterminated_section_name,  // "[" without "]" on its line
    section_name_too_long,
};

class InfText {
public:
    // Reads as far as the text is valid; status() tells whether it all was.
    // `from_utf16`: the text is that of a UTF-16 file, with its wider blanks.
    static InfText parse(std::u16string_view text, bool from_utf16 = false);

    InfParseStatus status() const { return status_; }
    // Line (from 1) where reading stopped early, else 0.
    std::size_t error_line() const { return error_line_; }
    // First line (from 1) with text before the first section, else 0.
    std::size_t stray_text_line() const { return stray_text_line_; }

    // True when the setup interface opens this text as a Windows-NT-style
    // INF file: read to the end, no stray text unless there is a [Strings]
    // section, and a [Version] Signature of "$Windows NT$", "$Chicago$" or
    // "$Windows 95$". Both the key and the value count as written: a line
    // whose key only becomes "Signature" through [Strings] is no Signature.
    bool opens_as_nt_style() const;

    const std::vector<InfSection>& sections() const { return sections_; }
    const InfSection* find_section(std::u16string_view name) const;

    // Index of the first line at or after `from` whose key, substituted, is
    // `key` (letter case ignored): "%Desc% = ..." answers to the text of
    // Desc, as the setup interface finds it.
    std::optional<std::size_t> find_line(const InfSection& section, std::u16string_view key,
                                         std::size_t from = 0) const;

    // A field's text with %strkey% replaced by the value in [Strings]
    // (letter case of the key ignored), "%%" by "%"; an unknown %key% and a
    // "%" left open stay as written. At most `max_substituted_length` units.
    std::u16string substitute(std::u16string_view field) const;

private:
    friend class InfParser;
    std::size_t add_section(std::u16string_view name);
    void index_strings();

    std::vector<InfSection> sections_;
    std::unordered_map<std::u16string, std::size_t> section_index_;  // folded name -> section
    std::optional<std::size_t> strings_section_;
    std::unordered_map<std::u16string, std::size_t> strings_;  // folded key -> line of [Strings]
    InfParseStatus status_ = InfParseStatus::ok;
    std::size_t error_line_ = 0;
    std::size_t stray_text_line_ = 0;
};

// The text of an INF file's bytes: UTF-16LE when `utf16` (a byte-order mark
// is dropped, an odd last byte ignored), else UTF-8 (a byte-order mark is
// dropped, malformed bytes become the replacement character).
std::u16string decode_inf_bytes(std::string_view bytes, bool utf16);

// Letter case folded the way section names and keys compare.
std::u16string fold_inf_name(std::u16string_view name);

// A number of an INF field (flags, ids, DWORD values): decimal, or
// hexadecimal after "0x"; blanks around it ignored. Nothing when the text
// is not such a number or does not fit 32 bits.
std::optional<std::uint32_t> inf_number(std::u16string_view text);

}  // namespace platform::inf
