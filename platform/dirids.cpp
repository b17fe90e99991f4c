// Directory ids of INF files, portable.
#include "platform/dirids.h"

#include "platform/ascii.h"
#include "platform/wsystem.h"

namespace platform {

namespace {

struct DirectoryId {
    std::uint32_t id;
    std::u16string_view variable;
    std::u16string_view below;
};

constexpr DirectoryId directory_ids[] = {
    {10, u"SystemRoot", u""},
    {11, u"SystemRoot", u"\\system32"},
    {12, u"SystemRoot", u"\\system32\\drivers"},
    {17, u"SystemRoot", u"\\inf"},
    {18, u"SystemRoot", u"\\help"},
    {20, u"SystemRoot", u"\\fonts"},
    {24, u"SystemDrive", u""},
    {50, u"SystemRoot", u"\\system"},
    {16406, u"ALLUSERSPROFILE", u""},
    {16407, u"ALLUSERSPROFILE", u"\\Start Menu\\Programs"},
    {16408, u"ALLUSERSPROFILE", u"\\Start Menu\\Programs\\Startup"},
    {16409, u"ALLUSERSPROFILE", u"\\Desktop"},
    {16415, u"ALLUSERSPROFILE", u"\\Favorites"},
    {16419, u"ALLUSERSPROFILE", u"\\Application Data"},
    {16422, u"ProgramFiles", u""},
    {16427, u"ProgramFiles", u"\\Common"},
};

struct Fallback {
    std::u16string_view variable;
    std::u16string_view directory;
};

constexpr Fallback fallbacks[] = {
    {u"SystemRoot", u"C:\\Windows"},
    {u"SystemDrive", u"C:"},
    {u"ALLUSERSPROFILE", u"C:\\ProgramData"},
    {u"ProgramFiles", u"C:\\Program Files"},
};

std::u16string variable_value(std::u16string_view variable) {
    std::u16string reference(1, u'%');
    reference.append(variable).push_back(u'%');
    std::u16string value = expand_environment(reference);
    if (value != reference) return value;
    for (const Fallback& fallback : fallbacks)
        if (fallback.variable == variable) return std::u16string(fallback.directory);
    return {};
}

bool parse_id(std::u16string_view digits, std::uint32_t& id) {
    std::optional<std::uint32_t> number = digits.size() <= 9 ? decimal_number(digits) : std::nullopt;
    if (number) id = *number;
    return number.has_value();
}

}  // namespace

std::u16string inf_directory_id_path(std::uint32_t id) {
    for (const DirectoryId& known : directory_ids)
        if (known.id == id) return variable_value(known.variable) + std::u16string(known.below);
    return {};
}

std::u16string expand_directory_ids(std::u16string_view text) {
    std::u16string out;
    while (!text.empty()) {
        std::size_t start = text.find(u'%');
        std::size_t end = start == std::u16string_view::npos ? start : text.find(u'%', start + 1);
        if (end == std::u16string_view::npos) break;
        out += text.substr(0, start);
        std::uint32_t id = 0;
        std::u16string directory;
        if (parse_id(text.substr(start + 1, end - start - 1), id)) directory = inf_directory_id_path(id);
        if (!directory.empty()) {
            out += directory;
            text.remove_prefix(end + 1);
        } else {
            out += text.substr(start, end - start);  // the closing sign may open the next reference
            text.remove_prefix(end);
        }
    }
    out += text;
    return out;
}

}  // namespace platform
