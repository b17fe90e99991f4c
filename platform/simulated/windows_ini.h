// POSIX only: the files of the simulated Windows machine (platform/README.md)
// and its "windows.ini", which holds the Windows version and the services.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::posix {

// A file or directory of the simulated machine as a native path, or nothing
// when no machine is simulated.
std::optional<std::string> machine_file(std::string_view relative);

// A line or part of one without the blanks around it: spaces and tabs, and
// the carriage return of a line that ended in CR LF.
std::string_view trim_ini_blanks(std::string_view text);

// "[section]" lines, "key = value" lines, comments starting with "#" or ";".
// Sections and keys are compared with ASCII letter case ignored; a value may
// be quoted ("Service Pack 1"); a key given twice takes its last value.
class IniFile {
public:
    void parse(std::string_view text);
    bool has_section(std::string_view section) const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The section's keys and values in file order.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

private:
    struct Line {
        std::string section;  // lower case
        std::string key;
        std::string value;
    };
    std::vector<std::string> sections_;  // lower case
    std::vector<Line> lines_;
};

// The simulated machine's windows.ini; nothing without a simulated machine or
// when the file cannot be read.
std::optional<IniFile> windows_ini();

}  // namespace platform::posix
