// Zorvane: the update-manager host stand-in. In the package directory (its
// current directory) it loads the plug-in, optionally hands over its own
// log, asks the interface version and properties 1 to 8, calls Install, and
// prints every answer for a person to read; then it unloads the plug-in.
// With --json it prints the same answers as one JSON object instead, for
// scripts that collect the results of many servers.
//
// The plug-in reads its run options ("/d file", "/verbose_log", ...) from
// this process's command line, so Zorvane passes over every argument it does
// not know, and its own switches all begin with "--".
#include "cmplog/cmplog.h"
#include "jsonwriter.h"
#include "platform/arguments.h"
#include "platform/library.h"
#include "platform/unicode.h"
#include "platform/wholefile.h"
#include "platform/wsystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using GetInterfaceVersionFunction = std::int32_t (*)(std::int32_t*);
using GetPropertyFunction = std::int32_t (*)(std::uint32_t, void*, std::uint32_t, const char16_t*);
using InstallFunction = std::int32_t (*)(std::int32_t, void*, char16_t*, std::uint32_t, const char16_t*);

// The host's buffers for a text answer, in UTF-16 units: the size the
// plug-in's contract names for texts and messages.
constexpr std::uint32_t TextUnits = 1024;

// The plug-in's install-state answer: a status and a message.
struct InstallStateRecord {
    std::int32_t status = 0;
    char16_t message[TextUnits] = {};
};
static_assert(sizeof(InstallStateRecord) == 2052);

// The report the plug-in has the utility write for a version-report run.
constexpr const char* VersionReportFile = "version_report.xml";

// Exit codes besides Install's result (0 to 3).
constexpr int ExitPluginMissing = 10;

constexpr const char* Usage =
    "Usage: Zorvane [--help] [--json] [--language=CODE] [--attended] [--query-only | --load-only]\n"
    "               [--host-log[=verbose]] [--hand-over-log] [plug-in run options...]\n"
    "\n"
    "Loads Tamsel from the current directory (the package directory), optionally\n"
    "hands over the host's log (property 9), asks the interface version and\n"
    "properties 1 to 8, calls Install with a 1024-unit message buffer, prints\n"
    "every answer and unloads the plug-in.\n"
    "\n"
    "  --help               this text\n"
    "  --json               print one JSON object instead of the text (below)\n"
    "  --language=CODE      language code passed to the plug-in (default en):\n"
    "                       en, fr, it, de, es, ja; the result messages follow\n"
    "                       the system's user-interface language instead\n"
    "  --attended           call Install with the unattended flag 0: the utility\n"
    "                       runs in this console and asks its questions\n"
    "                       (default: unattended flag 1, silent run)\n"
    "  --query-only         ask the properties, do not call Install\n"
    "  --load-only          only load the plug-in, ask its interface version and\n"
    "                       unload it\n"
    "  --host-log           keep the host's own log: ykzsetup.log in\n"
    "                       %systemdrive%\\ykzsystem\\log\\, framed by a header and\n"
    "                       a footer with the exit code\n"
    "  --host-log=verbose   the same, with a verbose log beside it under a\n"
    "                       generated name (_YK<hex>..TMP)\n"
    "  --hand-over-log      hand that log to the plug-in through property 9\n"
    "                       (implies --host-log=verbose). With /verbose_log the\n"
    "                       plug-in moves its verbose lines into the host's\n"
    "                       verbose log, writes on there, and the file is renamed\n"
    "                       to <package executable>.exe.log (Kelvor.exe.log)\n"
    "\n"
    "Every other argument is left to the plug-in, which reads its run options\n"
    "from this command line:\n"
    "  /d FILE    discovery: the adapter tool writes a discovery report to FILE,\n"
    "             which Zorvane then summarises\n"
    "  /u FILE    update the adapters from the discovery report FILE\n"
    "  /v         version report: the utility writes version_report.xml in the\n"
    "             package directory, which Zorvane then prints\n"
    "  /f /e /g   force: every adapter is flashed, also the same or newer ones\n"
    "  /verbose_log, /consoleout   the plug-in's verbose log, its own console\n"
    "The plug-in takes everything after \"/d\" or \"/u\" as the report file name,\n"
    "so put that option last.\n"
    "\n"
    "Exit code: Install's result (0 failure; 1 discovery, report update or\n"
    "version report done; 2 firmware installed, a reboot is required; 3 all\n"
    "firmware already up to date). With --query-only or --load-only: 0 when the\n"
    "plug-in answered its interface version, 1 when it did not. 10 when the\n"
    "plug-in cannot be loaded or lacks an export.\n"
    "\n"
    "--json prints one object on standard output; a member is left out when\n"
    "the run did not get that far or the plug-in gave no such answer:\n"
    "  \"hostLog\", \"verboseHostLog\"     the host log files (--host-log)\n"
    "  \"logHandOver\": {\"result\", \"verboseHostLog\"}   property 9\n"
    "  \"interfaceVersion\": {\"result\", \"version\"}\n"
    "  \"properties\": {\"1\" ... \"8\": {\"name\", \"result\", \"value\"}}\n"
    "                  value: the text (1 to 4, only when result is 1) or the\n"
    "                  number (6 to 8); property 5 carries no value\n"
    "  \"installState\": {\"status\", \"meaning\", \"message\"}   when property 5\n"
    "                  answered 1\n"
    "  \"install\": {\"mode\", \"result\", \"meaning\", \"message\", \"report\"}\n"
    "                  mode \"unattended\" or \"attended\"; report: the discovery\n"
    "                  report (/d) or version_report.xml (/v), when the run\n"
    "                  succeeded and the file is there\n"
    "  \"error\"         why the plug-in could not be used\n"
    "  \"exitCode\"      Zorvane's exit code\n"
    "Texts are UTF-8 without their trailing line end. With --attended the\n"
    "utility's own dialogue appears before the object.\n";

struct Options {
    bool help = false;
    bool json = false;
    bool hostLog = false;
    bool verboseLog = false;
    bool handOverLog = false;
    bool unattended = true;
    bool queryOnly = false;
    bool loadOnly = false;
    std::u16string language = u"en";
    std::string discoveryReport;  // the "/d" file, to summarise after the run
    bool versionReport = false;
};

// Where the answers go: the text for people, or one JSON object that is
// written out when the run ends.
struct Output {
    bool json = false;
    JsonWriter writer;
};

bool IsPluginOption(const std::string& argument, char letter) {
    return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-') &&
           (argument[1] == letter || argument[1] == letter - 'a' + 'A');
}

Options ReadOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help") {
            options.help = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--host-log") {
            options.hostLog = true;
        } else if (argument == "--host-log=verbose") {
            options.hostLog = options.verboseLog = true;
        } else if (argument == "--hand-over-log") {
            options.hostLog = options.verboseLog = options.handOverLog = true;
        } else if (argument.rfind("--language=", 0) == 0) {
            options.language = platform::utf8_to_utf16(argument.substr(11));
        } else if (argument == "--attended") {
            options.unattended = false;
        } else if (argument == "--query-only") {
            options.queryOnly = true;
        } else if (argument == "--load-only") {
            options.loadOnly = true;
        } else if (IsPluginOption(argument, 'd') && i + 1 < arguments.size()) {
            options.discoveryReport = arguments[i + 1];
        } else if (IsPluginOption(argument, 'v')) {
            options.versionReport = true;
        }
        // Everything belongs to the plug-in as well; it reads the whole line.
    }
    return options;
}

std::unique_ptr<CCmpLog> OpenHostLog(const Options& options, Output& out) {
    if (!options.hostLog) return nullptr;
    auto log = std::make_unique<CCmpLog>();
    if (options.verboseLog) log->SetVerbose(1);
    if (log->Open() != 0) std::fprintf(stderr, "Zorvane: cannot open the host log; it is kept without files\n");
    log->WriteHeader();
    // Where the files are, for the person who runs the host and reads them.
    std::u16string plain = platform::expand_environment(u"%systemdrive%\\ykzsystem\\log\\ykzsetup.log");
    if (out.json) {
        out.writer.field("hostLog", platform::utf16_to_utf8(plain));
    } else {
        std::printf("Host log: %s\n", platform::utf16_to_utf8(plain).c_str());
    }
    if (options.verboseLog) {
        std::u16string verbose = std::u16string(log->GetVerboseLogDirectory()) + log->GetVerboseLogName();
        if (out.json) {
            out.writer.field("verboseHostLog", platform::utf16_to_utf8(verbose));
        } else {
            std::printf("Verbose host log: %s\n", platform::utf16_to_utf8(verbose).c_str());
        }
    }
    return log;
}

void HostLine(CCmpLog* log, int level, const char16_t* format, int first, int second = 0) {
    if (log != nullptr) log->Write(CmpLogPlainVerboseLevel, level, nullptr, 0, format, first, second);
}

// A text as a person reads it: UTF-8, without the line end it carries.
std::string Readable(const char16_t* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != u'\0') ++length;
    std::string utf8 = platform::utf16_to_utf8(std::u16string_view(text, length));
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.pop_back();
    return utf8;
}

// What a number the plug-in answers means: a text of the table, counted
// from `first`, or `unknown` for a number outside it.
template <std::size_t N>
const char* Meaning(const char* const (&table)[N], std::int32_t first, std::int32_t number, const char* unknown) {
    if (number < first || number - first >= static_cast<std::int32_t>(N)) return unknown;
    return table[number - first];
}

constexpr const char* InstallStateMeanings[] = {
    "installed, the same version as the package",
    "installed, older than the package: update recommended",
    "installed, newer than the package",
    "installed, no supported hardware present",
    "supported hardware present, not installed",
    "not applicable: no supported hardware, or the dependency list failed",
    "cannot be installed: system, disk space, driver or pending removal",
    "installed, version unknown",
};

constexpr const char* InstallResultMeanings[] = {
    "failure",
    "discovery, report update or version report completed",
    "firmware installed, a reboot is required",
    "all firmware already up to date",
};

const char* InstallStateMeaning(std::int32_t status) {
    return Meaning(InstallStateMeanings, 1, status, "unknown status");
}

const char* InstallResultMeaning(std::int32_t result) {
    return Meaning(InstallResultMeanings, 0, result, "unknown result");
}

struct Plugin {
    GetInterfaceVersionFunction getInterfaceVersion = nullptr;
    GetPropertyFunction getProperty = nullptr;
    InstallFunction install = nullptr;
};

void HandOverLog(const Plugin& plugin, CCmpLog* log, Output& out) {
    std::int32_t result = plugin.getProperty(9, log, 0, nullptr);
    std::u16string verbose = std::u16string(log->GetVerboseLogDirectory()) + log->GetVerboseLogName();
    if (out.json) {
        out.writer.beginObject("logHandOver");
        out.writer.field("result", std::int64_t{result});
        out.writer.field("verboseHostLog", platform::utf16_to_utf8(verbose));
        out.writer.endObject();
        return;
    }
    std::printf("Property 9 (log hand-over): result %d\n", static_cast<int>(result));
    std::printf("Verbose host log after the hand-over: %s\n", platform::utf16_to_utf8(verbose).c_str());
}

// One property's object in the JSON output: its id, what it is, the result.
void BeginProperty(Output& out, std::uint32_t id, const char* what, std::int32_t result) {
    out.writer.beginObject(std::to_string(id));
    out.writer.field("name", what);
    out.writer.field("result", std::int64_t{result});
}

void AskText(const Plugin& plugin, std::uint32_t id, const char* what, const std::u16string& language, Output& out) {
    char16_t text[TextUnits] = {};
    std::int32_t result = plugin.getProperty(id, text, TextUnits, language.c_str());
    if (out.json) {
        BeginProperty(out, id, what, result);
        if (result == 1) out.writer.field("value", Readable(text, TextUnits));
        out.writer.endObject();
        return;
    }
    std::printf("Property %u (%s): result %d", static_cast<unsigned>(id), what, static_cast<int>(result));
    if (result == 1) std::printf(", \"%s\"", Readable(text, TextUnits).c_str());
    std::printf("\n");
}

void AskNumber(const Plugin& plugin, std::uint32_t id, const char* what, Output& out) {
    std::int32_t value = 0;
    std::int32_t result = plugin.getProperty(id, &value, sizeof value, nullptr);
    if (out.json) {
        BeginProperty(out, id, what, result);
        out.writer.field("value", std::int64_t{value});
        out.writer.endObject();
        return;
    }
    std::printf("Property %u (%s): result %d, value %d\n", static_cast<unsigned>(id), what, static_cast<int>(result),
                static_cast<int>(value));
}

// Property 5. The JSON output keeps the state itself for after the
// properties: it is what a script asks for first.
void AskInstallState(const Plugin& plugin, const std::u16string& language, Output& out,
                     std::optional<InstallStateRecord>& state) {
    auto record = std::make_unique<InstallStateRecord>();
    std::int32_t result = plugin.getProperty(5, record.get(), sizeof *record, language.c_str());
    if (out.json) {
        BeginProperty(out, 5, "install state", result);
        out.writer.endObject();
        if (result == 1) state = *record;
        return;
    }
    std::printf("Property 5 (install state): result %d", static_cast<int>(result));
    if (result == 1) {
        std::printf(", status %d (%s)\n  Message: %s", static_cast<int>(record->status),
                    InstallStateMeaning(record->status), Readable(record->message, TextUnits).c_str());
    }
    std::printf("\n");
}

void AskProperties(const Plugin& plugin, const std::u16string& language, Output& out) {
    std::optional<InstallStateRecord> state;
    if (out.json) out.writer.beginObject("properties");
    AskText(plugin, 1, "name", language, out);
    AskText(plugin, 2, "description", language, out);
    AskText(plugin, 3, "installed version", language, out);
    AskText(plugin, 4, "package version", language, out);
    AskInstallState(plugin, language, out, state);
    AskNumber(plugin, 6, "silent install", out);
    AskNumber(plugin, 7, "silent install", out);
    AskNumber(plugin, 8, "always 1", out);
    if (!out.json) return;
    out.writer.endObject();
    if (!state) return;
    out.writer.beginObject("installState");
    out.writer.field("status", std::int64_t{state->status});
    out.writer.field("meaning", InstallStateMeaning(state->status));
    out.writer.field("message", Readable(state->message, TextUnits));
    out.writer.endObject();
}

// The attribute "value" of the first element `name` in `xml` from `from`.
std::string ValueOf(const std::string& xml, const std::string& name, std::size_t from, std::size_t to) {
    std::size_t at = xml.find("<" + name + " ", from);
    if (at == std::string::npos || at >= to) return {};
    std::size_t start = xml.find("value=\"", at);
    if (start == std::string::npos || start >= to) return {};
    start += 7;
    std::size_t end = xml.find('"', start);
    return end == std::string::npos ? std::string() : xml.substr(start, end - start);
}

void SummariseDiscoveryReport(const std::string& file) {
    std::string xml;
    if (platform::read_whole_file(file, xml) != platform::WholeFileStatus::ok) {
        std::printf("Discovery report %s: cannot be read\n", file.c_str());
        return;
    }
    std::printf("Discovery report %s:\n", file.c_str());
    std::size_t devices = 0;
    for (std::size_t at = xml.find("<device>"); at != std::string::npos; at = xml.find("<device>", at + 1)) {
        std::size_t end = xml.find("</device>", at);
        if (end == std::string::npos) end = xml.size();
        std::printf("  %s  %s  firmware %s\n", ValueOf(xml, "device_id", at, end).c_str(),
                    ValueOf(xml, "product_id", at, end).c_str(), ValueOf(xml, "active_version", at, end).c_str());
        ++devices;
    }
    std::printf("  %zu adapter(s)\n", devices);
}

void PrintVersionReport() {
    std::string xml;
    if (platform::read_whole_file(VersionReportFile, xml) != platform::WholeFileStatus::ok) {
        std::printf("Version report %s: cannot be read\n", VersionReportFile);
        return;
    }
    if (xml.rfind("\xEF\xBB\xBF", 0) == 0) xml.erase(0, 3);
    std::printf("Version report %s:\n%s\n", VersionReportFile, xml.c_str());
}

// The report file that a successful discovery or version report run wrote,
// if any.
std::string WrittenReport(const Options& options, std::int32_t result) {
    if (result != 1) return {};
    std::string file = !options.discoveryReport.empty() ? options.discoveryReport
                       : options.versionReport          ? std::string(VersionReportFile)
                                                        : std::string();
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) return {};
    return file;
}

int CallInstall(const Plugin& plugin, const Options& options, CCmpLog* log, Output& out) {
    char16_t message[TextUnits] = {};
    std::int32_t result =
        plugin.install(options.unattended ? 1 : 0, nullptr, message, TextUnits, options.language.c_str());
    HostLine(log, CmpLogInformation, u"Install: result %d\r\n", static_cast<int>(result));
    if (out.json) {
        out.writer.beginObject("install");
        out.writer.field("mode", options.unattended ? "unattended" : "attended");
        out.writer.field("result", std::int64_t{result});
        out.writer.field("meaning", InstallResultMeaning(result));
        out.writer.field("message", Readable(message, TextUnits));
        std::string report = WrittenReport(options, result);
        if (!report.empty()) out.writer.field("report", report);
        out.writer.endObject();
        return result;
    }
    std::printf("Install (%s): result %d (%s)\n  Message: %s\n", options.unattended ? "unattended" : "attended",
                static_cast<int>(result), InstallResultMeaning(result), Readable(message, TextUnits).c_str());
    if (result == 1 && !options.discoveryReport.empty()) SummariseDiscoveryReport(options.discoveryReport);
    if (result == 1 && options.discoveryReport.empty() && options.versionReport) PrintVersionReport();
    return result;
}

bool FindExports(const platform::SharedLibrary& library, Plugin& plugin) {
    plugin.getInterfaceVersion = reinterpret_cast<GetInterfaceVersionFunction>(library.symbol("GetInterfaceVersion"));
    plugin.getProperty = reinterpret_cast<GetPropertyFunction>(library.symbol("GetProperty"));
    plugin.install = reinterpret_cast<InstallFunction>(library.symbol("Install"));
    return plugin.getInterfaceVersion != nullptr && plugin.getProperty != nullptr && plugin.install != nullptr;
}

int RunPlugin(const Options& options, CCmpLog* log, Output& out) {
    platform::SharedLibrary library;
    // By its full path: a bare or relative name could find another copy
    // along the system's library search.
    std::string name = (std::filesystem::current_path() / platform::SharedLibrary::file_name("Tamsel")).string();
    if (!library.load(name)) {
        std::fprintf(stderr, "Zorvane: cannot load %s: %s\n", name.c_str(), library.error().c_str());
        if (out.json) out.writer.field("error", "cannot load " + name + ": " + library.error());
        if (log != nullptr)
            log->Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0, u"Cannot load the plug-in.\r\n");
        return ExitPluginMissing;
    }
    Plugin plugin;
    if (!FindExports(library, plugin)) {
        std::fprintf(stderr, "Zorvane: %s lacks GetInterfaceVersion, GetProperty or Install\n", name.c_str());
        if (out.json) out.writer.field("error", name + " lacks GetInterfaceVersion, GetProperty or Install");
        if (log != nullptr)
            log->Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0, u"The plug-in lacks an export.\r\n");
        return ExitPluginMissing;
    }
    if (options.handOverLog && log != nullptr) HandOverLog(plugin, log, out);
    std::int32_t version = 0;
    std::int32_t answered = plugin.getInterfaceVersion(&version);
    if (out.json) {
        out.writer.beginObject("interfaceVersion");
        out.writer.field("result", std::int64_t{answered});
        out.writer.field("version", std::int64_t{version});
        out.writer.endObject();
    } else {
        std::printf("GetInterfaceVersion: result %d, interface version %d\n", static_cast<int>(answered),
                    static_cast<int>(version));
    }
    HostLine(log, CmpLogInformation, u"GetInterfaceVersion: result %d, interface version %d\r\n",
             static_cast<int>(answered), static_cast<int>(version));
    int exitCode = answered == 1 ? 0 : 1;
    if (!options.loadOnly) AskProperties(plugin, options.language, out);
    if (!options.loadOnly && !options.queryOnly) exitCode = CallInstall(plugin, options, log, out);
    std::fflush(stdout);
    library.unload();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = ReadOptions(platform::program_arguments(argc, argv));
    if (options.help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    Output out;
    out.json = options.json;
    std::unique_ptr<CCmpLog> log = OpenHostLog(options, out);
    int exitCode = RunPlugin(options, log.get(), out);
    if (log != nullptr) {
        log->WriteFooter(exitCode);
        log->Close();
    }
    if (out.json) {
        out.writer.field("exitCode", std::int64_t{exitCode});
        std::fputs(out.writer.finish().c_str(), stdout);
    }
    return exitCode;
}
