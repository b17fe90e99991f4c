// The run options that the host puts on its own command line, as the
// firmware component reads them: found by exact, case-sensitive substring
// search anywhere in the whole line, and the utility's command lines built
// from them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Source/cstr.h"

enum class OptionFamily { discovery, reportUpdate, versionReport, force };

// Whether any text of the family occurs in the command line. The version
// report's "/V" or "/v" does not count where it begins the framework's
// switch "/verbose_log" (in any letter case): that switch only asks for the
// verbose log.
bool HasOption(std::u16string_view commandLine, OptionFamily family);

// The longest report file name taken from the host's command line; a longer
// rest of the line is cut.
inline constexpr std::size_t OptionValueUnits = 259;

// The text that follows the first of the family's texts found (in the
// family's order), spaces after the option skipped, up to the end of the
// line and at most OptionValueUnits: further options are part of it. Empty
// when nothing but spaces follows, or when no text of the family occurs.
CStr TakeOptionValue(std::u16string_view commandLine, OptionFamily family);

// The report that a version-report run asks the utility to write in the
// package directory: the host's option carries no file name, and the
// utility needs one.
inline constexpr char16_t VersionReportFile[] = u"version_report.xml";

// A command line for the utility: "Kelvor.exe" and each token, each
// followed by one space, so every line ends with a space.
class UtilityCommand {
public:
    UtilityCommand();
    UtilityCommand& operator<<(std::u16string_view token);
    const CStr& Line() const { return line_; }

private:
    CStr line_;
};

// The host process's whole command line, as the component reads it on each
// call. Tests set another line for the calls they make.
CStr HostCommandLine();
void SetHostCommandLineForTesting(std::optional<std::u16string> commandLine);

// Tests run a stand-in under another name: Windows looks for a program
// named without a path in the running program's own directory first, and a
// test program's directory holds the real utility.
void SetUtilityProgramForTesting(std::optional<std::u16string> program);
