#include "discovery.h"
#include "kelvor_core/catalog.h"
#include "kelvor_core/commands.h"
#include "common/kelvor_exit_codes.h"
#include "kelvor_core/log.h"
#include "kelvor_core/report.h"
#include "kelvor_core/runstate.h"

#include "platform/files.h"
#include "platform/process.h"

namespace kelvor {

std::uint32_t do_command(const std::string& commandLine) {
    LogLine log;
    log << commandLine;
    log.emit(false);

    platform::ProcessOutcome outcome = platform::run_hidden(commandLine);
    if (!outcome.started) {
        (log << "do_command: could not start: error " << outcome.cause.code << " " << outcome.cause.text).emit(false);
        runState().flags |= flag::ErrorOccurred;
        return 1;
    }
    log << "do_command: exitCode: " << outcome.exitCode;
    log.emit(false);
    return outcome.exitCode;
}

std::uint32_t discoverAdapters() {
    RunState& state = runState();
    if (state.discoveryDone) return 0;
    state.discoveryFailed = true;  // until the tool's report has been read

    loadCatalog();
    // An old file must never be taken for this run's answer.
    if (platform::path_exists(DiscoveryFileName)) platform::delete_file(DiscoveryFileName);

    LogLine log;
    if (!platform::path_exists(state.firstImageFile)) {
        log << "Could not find " << state.firstImageFile;
        log.emit(false);
    }

    std::uint32_t code = do_command(discoveryCommand(state.firstImageFile, DiscoveryFileName));
    if (!platform::path_exists(DiscoveryFileName)) {
        log << "Could not generate hardware discovery details. Diravi P3P device discovery failed!" << code;
        log.emit(false);
        return code;
    }

    if (code != 0) {
        log << "Diravi P3P device discovery failed with error code " << code;
        log.emit(false);
    } else {
        bool loaded = false;
        int matched = readDiscoveryReport(DiscoveryFileName, &loaded);
        state.discoveryFailed = !loaded;
        if (matched == 0) {
            state.discoveryDone = true;
            log << "Diravi P3P device discovery completed successfully.!";
            log.emit(false);
        }
    }
    if (platform::path_exists(DiscoveryFileName) && platform::delete_file(DiscoveryFileName) && state.debugMode) {
        log << DiscoveryFileName << " is deleted!";
        log.emit(false);
    }
    return code;
}

std::uint32_t reportDiscoveryFailed() {
    LogLine log;
    log << "Adapter discovery failed. No firmware was checked or updated. See zizador.log for details.";
    log.emit(true);
    return KelvorExit::DiscoveryFailed;
}

std::optional<std::uint32_t> discoverSupportedAdapters() {
    discoverAdapters();
    const RunState& state = runState();
    if (state.supportedCount != 0 && !state.adapters.empty()) return std::nullopt;
    if (state.discoveryFailed) return reportDiscoveryFailed();
    LogLine log;
    log << "No supported network adapters for firmware upgrade.";
    log.emit(true);
    return KelvorExit::NoSupportedAdapter;
}

}  // namespace kelvor
