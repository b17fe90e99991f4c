// The run options that the host puts on its own command line, as the
// firmware component reads them: found by exact, case-sensitive search in
// the whole line, and the utility's command lines built from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cmplog/cstr.h"
#include "tamsel_framework/runoptions.h"

enum class OptionFamily { discovery, reportUpdate, versionReport, force };

// Whether any text of the family stands in the command line as an option:
// at the start of the line or after a blank, so that "/d" inside a path
// such as "reports/data.xml" is no option, while a value glued to it
// ("/drep.xml") still is. The version report's "/V" or "/v" does not count
// where it begins the framework's switch "/verbose_log" (in any letter
// case): that switch only asks for the verbose log.
bool HasOption(std::u16string_view commandLine, OptionFamily family);

// The text that follows the first of the family's texts found (in the
// family's order), spaces after the option skipped, up to the end of the
// line without its trailing spaces: further options are part of it.
OptionValue TakeOptionValue(std::u16string_view commandLine, OptionFamily family);

// The report file that an option value names, as the utility reads it: the
// value's first argument by the Windows rules (quotes group, the further
// options are dropped).
CStr ReportFileOf(std::u16string_view value);

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

// The whole line read into one value: the run (discovery before update
// from a report before version report before installation) with its
// option value, force, and the framework's switches "/verbose_log" and
// "/consoleout", which count anywhere in the line, in any letter case.
HostOptions ReadHostOptions(std::u16string_view commandLine);

// Tests run a stand-in under another name: Windows looks for a program
// named without a path in the running program's own directory first, and a
// test program's directory holds the real utility.
void SetUtilityProgramForTesting(std::optional<std::u16string> program);
