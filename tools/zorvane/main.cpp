// Zorvane: the update-manager host stand-in. It loads the plug-in from its
// current directory (the package directory), asks what the plug-in offers and
// prints it for a person to read; on request it keeps a log of its own.
//
// The plug-in reads its run options ("/d file", "/verbose_log", ...) from
// this process's command line, so Zorvane passes over every argument it does
// not know, and its own switches all begin with "--".
#include "Source/cmplog.h"
#include "platform/arguments.h"
#include "platform/library.h"
#include "platform/unicode.h"
#include "platform/wsystem.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using GetInterfaceVersionFunction = std::int32_t (*)(std::int32_t*);

constexpr const char* Usage =
    "Usage: Zorvane [--help] [--host-log[=verbose]] [--hand-over-log] [plug-in run options...]\n"
    "\n"
    "Loads Tamsel from the current directory (the package directory), queries its\n"
    "interface version, prints the result and unloads it. Exit code 0 when the\n"
    "plug-in answered, 1 when it reported failure, 2 when it could not be loaded.\n"
    "\n"
    "  --help               this text\n"
    "  --host-log           keep the host's own log: ykzsetup.log in\n"
    "                       %systemdrive%\\ykzsystem\\log\\, framed by a header and\n"
    "                       a footer with the exit code\n"
    "  --host-log=verbose   the same, with a verbose log beside it under a\n"
    "                       generated name (_YK<hex>..TMP)\n"
    "  --hand-over-log      also hand that log to the plug-in through property 9\n"
    "                       (implies --host-log). Not available yet: the plug-in\n"
    "                       does not take property 9 so far, and the log stays\n"
    "                       the host's alone.\n"
    "\n"
    "Every other argument is left to the plug-in, which reads its run options\n"
    "(/d or /u and a report file, /v, /f, /e, /g, /verbose_log, /consoleout)\n"
    "from this command line.\n";

struct Options {
    bool help = false;
    bool hostLog = false;
    bool verboseLog = false;
    bool handOverLog = false;
};

Options ReadOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            options.help = true;
        } else if (argument == "--host-log") {
            options.hostLog = true;
        } else if (argument == "--host-log=verbose") {
            options.hostLog = options.verboseLog = true;
        } else if (argument == "--hand-over-log") {
            options.hostLog = options.handOverLog = true;
        }
        // Anything else belongs to the plug-in.
    }
    return options;
}

std::unique_ptr<CCmpLog> OpenHostLog(const Options& options) {
    if (!options.hostLog) return nullptr;
    auto log = std::make_unique<CCmpLog>();
    if (options.verboseLog) log->SetVerbose(1);
    if (log->Open() != 0) std::fprintf(stderr, "Zorvane: cannot open the host log; it is kept without files\n");
    log->WriteHeader();
    // Where the files are, for the person who runs the host and reads them.
    std::u16string plain = platform::expand_environment(u"%systemdrive%\\ykzsystem\\log\\ykzsetup.log");
    std::printf("Host log: %s\n", platform::utf16_to_utf8(plain).c_str());
    if (options.verboseLog) {
        std::u16string verbose = std::u16string(log->GetVerboseLogDirectory()) + log->GetVerboseLogName();
        std::printf("Verbose host log: %s\n", platform::utf16_to_utf8(verbose).c_str());
    }
    if (options.handOverLog)
        std::fprintf(stderr, "Zorvane: handing the log over through property 9 is not available yet\n");
    return log;
}

int RunPlugin(CCmpLog* log) {
    platform::SharedLibrary plugin;
    std::string name = ".\\" + platform::SharedLibrary::file_name("Tamsel");
    if (!plugin.load(name)) {
        std::fprintf(stderr, "Zorvane: cannot load %s: %s\n", name.c_str(), plugin.error().c_str());
        if (log != nullptr)
            log->Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0, u"Cannot load the plug-in.\r\n");
        return 2;
    }
    auto getInterfaceVersion = reinterpret_cast<GetInterfaceVersionFunction>(plugin.symbol("GetInterfaceVersion"));
    if (getInterfaceVersion == nullptr) {
        std::fprintf(stderr, "Zorvane: %s has no export GetInterfaceVersion\n", name.c_str());
        if (log != nullptr)
            log->Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0,
                       u"The plug-in has no GetInterfaceVersion.\r\n");
        return 2;
    }
    std::int32_t version = 0;
    std::int32_t result = getInterfaceVersion(&version);
    std::printf("GetInterfaceVersion: result %d, interface version %d\n", static_cast<int>(result),
                static_cast<int>(version));
    if (log != nullptr)
        log->Write(CmpLogPlainVerboseLevel, CmpLogInformation, nullptr, 0,
                   u"GetInterfaceVersion: result %d, interface version %d\r\n", static_cast<int>(result),
                   static_cast<int>(version));
    plugin.unload();
    return result == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = ReadOptions(platform::program_arguments(argc, argv));
    if (options.help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    std::unique_ptr<CCmpLog> log = OpenHostLog(options);
    int exitCode = RunPlugin(log.get());
    if (log != nullptr) {
        log->WriteFooter(exitCode);
        log->Close();
    }
    return exitCode;
}
