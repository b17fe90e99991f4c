// POSIX only: the simulated machine's files and its windows.ini.
#include "windows_ini.h"

#include <algorithm>

#include "platform/machine.h"
#include "platform/wholefile.h"

namespace platform::posix {

namespace {

constexpr std::uint64_t ini_size_limit = 1024 * 1024;

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::string_view unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

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
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = lower(trim(line.substr(1, line.size() - 2)));
            sections_.push_back(section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || section.empty()) continue;  // not a setting: ignored
        std::string_view key = trim(line.substr(0, equals));
        if (key.empty()) continue;
        lines_.push_back(Line{section, lower(key), std::string(unquote(trim(line.substr(equals + 1))))});
    }
}

bool IniFile::has_section(std::string_view section) const {
    return std::find(sections_.begin(), sections_.end(), lower(section)) != sections_.end();
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    std::string wantedSection = lower(section);
    std::string wantedKey = lower(key);
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line)
        if (line->section == wantedSection && line->key == wantedKey) return line->value;
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> found;
    std::string wanted = lower(section);
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
