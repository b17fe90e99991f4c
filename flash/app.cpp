#include "app.h"
#include "interactive.h"
#include "kelvor_exit_codes.h"
#include "log.h"
#include "options.h"
#include "reportrun.h"
#include "runstate.h"
#include "status.h"

#include "platform/abortexit.h"
#include "platform/files.h"

#include <exception>

namespace kelvor {

namespace {

constexpr const char* UnexpectedErrorLine =
    "An unexpected error has occurred.  Firmware update will not be completed.";

std::uint32_t runSelectedMode(RunMode mode) {
    switch (mode) {
    case RunMode::UsageUnsilenced:
        runState().silentMode = false;
        printUsage();
        return KelvorExit::UsageShown;
    case RunMode::Usage:
        printUsage();
        return KelvorExit::UsageShown;
    case RunMode::ShowCurrent:
        return showCurrent();
    case RunMode::WriteReport:
        return runReportMode("discover");
    case RunMode::UpdateFromReport:
        return runReportMode("update");
    case RunMode::VersionReport:
        return versionReport();
    case RunMode::Identify:
        return KelvorExit::Success;
    case RunMode::Interactive:
        return runInteractiveUpdate();
    }
    return KelvorExit::UsageShown;
}

void reportUnexpectedError(const char* what) {
    LogLine log;
    log << UnexpectedErrorLine << what;
    log.emit(true);
}

}  // namespace

void armAbortOutcome() {
    const RunState& state = runState();
    std::string line = std::string(UnexpectedErrorLine) + "\n";
    platform::on_abort_exit_with(KelvorExit::UnexpectedError, state.logPath, logFileLine(UnexpectedErrorLine),
                                 state.silentMode ? std::string() : line);
}

std::uint32_t runKelvor(const std::vector<std::string>& arguments) {
    try {
        armAbortOutcome();
        if (readArguments(arguments) == ArgumentsOutcome::UsageShown) return KelvorExit::UsageShown;
        writeStartupHeader();
        armAbortOutcome();
        if (!platform::path_exists(CatalogFileName)) {
            LogLine log;
            log << "Supporting file is missing (" << CatalogFileName << "), Could not proceed!";
            log.emit(true);
            return KelvorExit::CatalogMissing;
        }
        return runSelectedMode(selectRunMode(runState().flags));
    } catch (const std::exception& error) {
        reportUnexpectedError(error.what());
    } catch (...) {
        reportUnexpectedError("");
    }
    return KelvorExit::UnexpectedError;
}

}  // namespace kelvor
