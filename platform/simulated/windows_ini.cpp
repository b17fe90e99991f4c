// POSIX only: the simulated machine's files and its windows.ini.
#include "windows_ini.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/machine.h"
#include "platform/wholefile.h"

namespace platform::posix {

namespace {

constexpr std::uint64_t ini_size_limit = 1024 * 1024;

std::string_view unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::string_view trim_ini_blanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::optional<std::string> machine_file(std::string_view relative) {
    std::optional<std::string> directory = simulated_machine_directory();
    if (!directory) return std::nullopt;
    std::string path = *directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + std::string(relative);
}

void IniFile::parse(std::string_view text) {
    std::string section;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = trim_ini_blanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = lowered_ascii(trim_ini_blanks(line.substr(1, line.size() - 2)));
            sections_.push_back(section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || section.empty()) continue;  // not a setting: ignored
        std::string_view key = trim_ini_blanks(line.substr(0, equals));
        if (key.empty()) continue;
        std::string_view value = unquote(trim_ini_blanks(line.substr(equals + 1)));
        lines_.push_back(Line{section, lowered_ascii(key), std::string(value)});
    }
}

bool IniFile::has_section(std::string_view section) const {
    return std::find(sections_.begin(), sections_.end(), lowered_ascii(section)) != sections_.end();
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    std::string wantedSection = lowered_ascii(section);
    std::string wantedKey = lowered_ascii(key);
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line)
        if (line->section == wantedSection && line->key == wantedKey) return line->value;
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> found;
    std::string wanted = lowered_ascii(section);
    for (const Line& line : lines_)
        if (line.section == wanted) found.emplace_back(line.key, line.value);
    return found;
}

std::optional<IniFile> windows_ini() {
    std::optional<std::string> path = machine_file("windows.ini");
    if (!path) return std::nullopt;
    std::string bytes;
    if (read_whole_file(*path, bytes, ini_size_limit) != WholeFileStatus::ok) return std::nullopt;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    IniFile ini;
    ini.parse(bytes);
    return ini;
}

}  // namespace platform::posix
