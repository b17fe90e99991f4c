#include "tamsel_firmware/hostoptions.h"

#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "platform/cmdline.h"

namespace {

using Texts = std::span<const std::u16string_view>;

// The texts of each family, in the order they are looked for.
constexpr std::u16string_view DiscoveryTexts[] = {u"/D", u"/d", u" -D", u" -d"};
constexpr std::u16string_view ReportUpdateTexts[] = {u"/U", u"/u", u" -U", u" -u"};
constexpr std::u16string_view VersionReportTexts[] = {u"/V", u"/v"};
constexpr std::u16string_view ForceTexts[] = {u"/F", u"/f", u"/E", u"/e", u"/G", u"/g"};

// By family, in the order of OptionFamily.
constexpr Texts TextsOfFamily[] = {DiscoveryTexts, ReportUpdateTexts, VersionReportTexts, ForceTexts};
static_assert(std::size(TextsOfFamily) == static_cast<std::size_t>(OptionFamily::force) + 1);

Texts FamilyTexts(OptionFamily family) { return TextsOfFamily[static_cast<std::size_t>(family)]; }

constexpr std::u16string_view VerboseLogSwitch = u"/verbose_log";

bool BeginsVerboseLogSwitch(std::u16string_view commandLine, std::size_t at) {
    return EqualsNoCase(commandLine.substr(at, VerboseLogSwitch.size()), VerboseLogSwitch);
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// An option begins a word: a text found inside a word or a path is part of
// a file name. The texts that open with a blank carry their own.
bool StandsAsOption(std::u16string_view commandLine, std::u16string_view text, std::size_t at) {
    return IsBlank(text.front()) || at == 0 || IsBlank(commandLine[at - 1]);
}

// The first occurrence of `text` that counts as the family's option.
std::size_t FindOption(std::u16string_view commandLine, std::u16string_view text, OptionFamily family) {
    for (std::size_t at = commandLine.find(text); at != std::u16string_view::npos;
         at = commandLine.find(text, at + 1)) {
        if (!StandsAsOption(commandLine, text, at)) continue;
        if (family != OptionFamily::versionReport || !BeginsVerboseLogSwitch(commandLine, at)) return at;
    }
    return std::u16string_view::npos;
}

constexpr std::u16string_view ConsoleSwitch = u"/consoleout";

std::optional<std::u16string> testUtilityProgram;

}  // namespace

bool HasOption(std::u16string_view commandLine, OptionFamily family) {
    for (std::u16string_view text : FamilyTexts(family))
        if (FindOption(commandLine, text, family) != std::u16string_view::npos) return true;
    return false;
}

OptionValue TakeOptionValue(std::u16string_view commandLine, OptionFamily family) {
    for (std::u16string_view text : FamilyTexts(family)) {
        std::size_t at = FindOption(commandLine, text, family);
        if (at == std::u16string_view::npos) continue;
        std::size_t start = at + text.size();
        while (start < commandLine.size() && commandLine[start] == u' ') ++start;
        std::u16string_view rest = commandLine.substr(start);
        while (!rest.empty() && rest.back() == u' ') rest.remove_suffix(1);
        if (rest.size() > OptionValueUnits) return {CStr(), true};
        return {CStr(rest), false};
    }
    return {};
}

CStr ReportFileOf(std::u16string_view value) {
    std::vector<std::string> arguments = platform::split_command_line(CStr(value).ToUtf8());
    return arguments.empty() ? CStr() : CStr::FromUtf8(arguments.front());
}

UtilityCommand::UtilityCommand() {
    *this << (testUtilityProgram ? *testUtilityProgram : u"Kelvor.exe");
}

UtilityCommand& UtilityCommand::operator<<(std::u16string_view token) {
    line_ += token;
    line_ += u' ';
    return *this;
}

HostOptions ReadHostOptions(std::u16string_view commandLine) {
    HostOptions options;
    if (HasOption(commandLine, OptionFamily::discovery)) {
        options.run = RunKind::discovery;
        options.report = TakeOptionValue(commandLine, OptionFamily::discovery);
    } else if (HasOption(commandLine, OptionFamily::reportUpdate)) {
        options.run = RunKind::reportUpdate;
        options.report = TakeOptionValue(commandLine, OptionFamily::reportUpdate);
    } else if (HasOption(commandLine, OptionFamily::versionReport)) {
        options.run = RunKind::versionReport;
    }
    options.force = HasOption(commandLine, OptionFamily::force);
    options.reportUpdateNamed = HasOption(commandLine, OptionFamily::reportUpdate);
    options.verbose = FindNoCase(commandLine, VerboseLogSwitch) != CStr::npos;
    options.console = FindNoCase(commandLine, ConsoleSwitch) != CStr::npos;
    return options;
}

void SetUtilityProgramForTesting(std::optional<std::u16string> program) {
    testUtilityProgram = std::move(program);
}
