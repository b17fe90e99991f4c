#include "kelvor_core/app.h"
#include "interactive.h"
#include "common/kelvor_exit_codes.h"
#include "kelvor_core/log.h"
#include "kelvor_core/options.h"
#include "reportrun.h"
#include "kelvor_core/runstate.h"
#include "kelvor_core/status.h"

#include "platform/abortexit.h"
#include "platform/files.h"
#include "platform/machinelock.h"

#include <exception>

namespace kelvor {

namespace {

constexpr const char* UnexpectedErrorLine =
    "An unexpected error has occurred.  Firmware update will not be completed.";

// Every run that discovers or flashes holds this lock, so that two runs on
// one machine never work on the adapters, or on the tool's fixed temporary
// file, at the same time.
constexpr const char* UpdateLockName = "KelvorFirmwareUpdate";

bool touchesAdapters(RunMode mode) {
    switch (mode) {
    case RunMode::ShowCurrent:
    case RunMode::WriteReport:
    case RunMode::UpdateFromReport:
    case RunMode::VersionReport:
    case RunMode::Interactive:
        return true;
    case RunMode::Usage:
    case RunMode::UsageUnsilenced:
    case RunMode::Identify:
        return false;
    }
    return true;
}

// A run waits for the one before it and says so once. When the lock cannot
// be set up at all (no rights to its folder), the run goes on as it always
// did; the log tells why.
void waitForOtherRuns(platform::MachineLock& lock) {
    platform::MachineLock::Status status = lock.try_acquire();
    LogLine log;
    if (status == platform::MachineLock::Status::busy) {
        log << "Another firmware update run is in progress on this machine. Waiting for it to finish...";
        log.emit(true);
        status = lock.acquire();
    }
    if (status == platform::MachineLock::Status::unavailable) {
        log << "The machine-wide firmware update lock is not available; this run does not wait for others.";
        log.emit(false);
    }
}

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
        RunMode mode = selectRunMode(runState().flags);
        platform::MachineLock lock(UpdateLockName, systemFolderPath());
        if (touchesAdapters(mode)) waitForOtherRuns(lock);
        return runSelectedMode(mode);
    } catch (const std::exception& error) {
        reportUnexpectedError(error.what());
    } catch (...) {
        reportUnexpectedError("");
    }
    return KelvorExit::UnexpectedError;
}

}  // namespace kelvor
