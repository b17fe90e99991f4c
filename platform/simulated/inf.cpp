// POSIX only: INF files through our own reader of the setup interface's
// rules, as Linux has no setup interface.
#include "platform/inf.h"
#include "platform/limits.h"

#include <unistd.h>
#include <cctype>
#include <cerrno>

#include "platform/infparse.h"
#include "platform/text.h"
#include "platform/unicode.h"
#include "platform/wholefile.h"

namespace platform {

struct InfFile::State {
    inf::InfText text;

    const inf::InfLine* line_at(std::u16string_view section, std::size_t line) const {
        const inf::InfSection* found = text.find_section(section);
        if (found == nullptr || line >= found->lines.size()) return nullptr;
        return &found->lines[line];
    }
};

void InfFile::DeleteState::operator()(State* state) const {
    delete state;
}

bool InfFile::open(std::u16string_view fullPath) {
    close();
    std::string bytes;
    if (read_whole_file(fullPath, bytes) != WholeFileStatus::ok) return false;
    bool utf16 = is_utf16_text(bytes.data(), bytes.size());
    inf::InfText text = inf::InfText::parse(inf::decode_inf_bytes(bytes, utf16), utf16);
    // The setup interface refuses what it cannot read to the end, and INF
    // files of other styles.
    if (!text.opens_as_nt_style()) return false;
    state_.reset(new State{std::move(text)});
    return true;
}

void* InfFile::native_handle() const {
    return nullptr;
}

std::vector<std::u16string> InfFile::section_names() const {
    std::vector<std::u16string> names;
    if (!state_) return names;
    for (const inf::InfSection& section : state_->text.sections()) names.push_back(section.name);
    return names;
}

std::size_t InfFile::line_count(std::u16string_view section) const {
    const inf::InfSection* found = state_ ? state_->text.find_section(section) : nullptr;
    return found != nullptr ? found->lines.size() : 0;
}

std::optional<std::size_t> InfFile::find_line(std::u16string_view section, std::u16string_view key,
                                              std::size_t from) const {
    const inf::InfSection* found = state_ ? state_->text.find_section(section) : nullptr;
    if (found == nullptr) return std::nullopt;
    return state_->text.find_line(*found, key, from);
}

std::size_t InfFile::field_count(std::u16string_view section, std::size_t line) const {
    const inf::InfLine* found = state_ ? state_->line_at(section, line) : nullptr;
    return found != nullptr ? found->fields.size() : 0;
}

std::optional<std::u16string> InfFile::field(std::u16string_view section, std::size_t line, std::size_t index) const {
    const inf::InfLine* found = state_ ? state_->line_at(section, line) : nullptr;
    if (found == nullptr) return std::nullopt;
    if (index == 0) {
        if (!found->key) return std::nullopt;
        return state_->text.substitute(*found->key);
    }
    if (index > found->fields.size()) return std::nullopt;
    return state_->text.substitute(found->fields[index - 1]);
}

namespace {

bool is_separator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// "\a\.\b\..\c" becomes "\a\c"; ".." never climbs above the root.
std::u16string resolve_dots(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !is_separator(path[end])) ++end;
        std::u16string_view part = path.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::u16string resolved;
    for (std::u16string_view part : parts) (resolved += u'\\') += part;
    return resolved.empty() ? u"\\" : resolved;
}

std::u16string current_directory() {
    std::string directory(limits::posix_path_bytes, '\0');
    while (::getcwd(directory.data(), directory.size()) == nullptr) {
        if (errno != ERANGE || directory.size() > (1u << 20)) return {};
        directory.resize(directory.size() * 2);
    }
    directory.resize(directory.find('\0'));
    return utf8_to_utf16(directory);
}

}  // namespace

std::u16string inf_full_path(std::u16string_view name) {
    if (name.empty()) return {};
    bool has_drive = name.size() >= 2 && name[1] == u':' && name[0] < 0x80 && std::isalpha(name[0]);
    if (has_drive) return std::u16string(name.substr(0, 2)) + resolve_dots(name.substr(2));
    if (is_separator(name[0])) return resolve_dots(name);
    std::u16string directory = current_directory();
    if (directory.empty()) return {};
    return resolve_dots(directory + u'\\' + std::u16string(name));
}

}  // namespace platform
