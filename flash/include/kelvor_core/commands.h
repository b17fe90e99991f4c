// The adapter tool's command lines. Every one starts with the same prefix,
// whose trailing blank and the option's leading blank leave two blanks
// before the option.
#pragma once

#include <string>

namespace kelvor {

inline constexpr const char* ToolCommandPrefix = ".\\rirador -flashsupport ";

// " -d " + image + " " + output file: discovery, and the -d report run.
std::string discoveryCommand(const std::string& imageFile, const std::string& outputFile);
// " -u " + image + " " + report file.
std::string updateCommand(const std::string& imageFile, const std::string& reportFile);
// " -i " + the quoted adapter name + " -a " + image. The name comes from the
// tool's own report and may contain anything: it is quoted by the Windows
// argument rules, so it always reaches the tool as one intact argument.
std::string flashCommand(const std::string& adapterName, const std::string& imageFile);

}  // namespace kelvor
