// Fuzz target of the INF reader: every input is read as 8-bit text and as
// UTF-16, and every query is run on every section, line and field. Besides
// the sanitizers, it checks the reader's promises: names and fields within
// their limits, every section found by its own name, every line by its key.
#include "platform/infparse.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using platform::inf::InfLine;
using platform::inf::InfSection;
using platform::inf::InfText;

constexpr std::size_t searched_lines = 16;

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "inf fuzzer: %s\n", what);
    std::abort();
}

void check_field(const InfText& text, std::u16string_view field) {
    require(field.size() <= platform::inf::max_field_length, "fields are cut at their limit");
    std::u16string substituted = text.substitute(field);
    require(substituted.size() <= platform::inf::max_substituted_length, "substitution stays within its limit");
    if (field.find(u'%') == std::u16string_view::npos)
        require(substituted == field, "a field without % stays as it is");
}

void check_line(const InfText& text, const InfSection& section, std::size_t index) {
    const InfLine& line = section.lines[index];
    require(!line.fields.empty(), "every line has a value");
    require(line.key || line.fields.size() > 1, "a single keyless value is its own key");
    for (const std::u16string& field : line.fields) check_field(text, field);
    if (!line.key) return;
    check_field(text, *line.key);
    // Each search walks the section: a few lines per section keep the target
    // linear in its input.
    if (index >= searched_lines) return;
    std::u16string key = text.substitute(*line.key);
    auto found = text.find_line(section, key);
    require(found && *found <= index, "a key finds its first line");
    require(
        platform::inf::fold_inf_name(text.substitute(*section.lines[*found].key)) == platform::inf::fold_inf_name(key),
        "the line found has the key asked for");
    auto next = text.find_line(section, key, index);
    require(next && *next == index, "searching from a line finds that line");
}

void check_text(const InfText& text) {
    require((text.status() == platform::inf::InfParseStatus::ok) == (text.error_line() == 0),
            "an error has a line and only an error");
    for (const InfSection& section : text.sections()) {
        require(section.name.size() <= platform::inf::max_section_name_length, "names stay within their limit");
        require(text.find_section(section.name) == &section, "each section is found by its own name");
        for (std::size_t i = 0; i < section.lines.size(); ++i) check_line(text, section, i);
    }
    (void)text.opens_as_nt_style();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check_text(InfText::parse(platform::inf::decode_inf_bytes(bytes, false)));
    check_text(InfText::parse(platform::inf::decode_inf_bytes(bytes, true), true));
    return 0;
}
