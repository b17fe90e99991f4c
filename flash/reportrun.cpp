#include "reportrun.h"
#include "kelvor_core/commands.h"
#include "discovery.h"
#include "common/kelvor_exit_codes.h"
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"
#include "textfields.h"

#include "platform/files.h"
#include "platform/process.h"

#include <cstdint>
#include <optional>

namespace kelvor {

namespace {

// A short pause after each successful flash before the next adapter, so
// that the tool's work on one adapter has settled before it starts the next.
constexpr unsigned PauseAfterFlashMs = 10;

constexpr const char* LongDurationNotice = "The Firmware Upgrade will take several minutes.Please be patient.";

// The -d report counts only when the tool wrote it in this run: a file of
// that name left by an earlier run, or a directory, is no report of these
// adapters, whatever the tool's exit code says.
bool writtenSince(const std::optional<platform::FileStamp>& before, const std::string& fileName) {
    std::optional<platform::FileStamp> after = platform::file_stamp(fileName);
    return after && !after->directory && after != before;
}

}  // namespace

std::uint32_t runReportMode(const std::string& modeWord) {
    if (std::optional<std::uint32_t> stop = discoverSupportedAdapters()) return *stop;
    RunState& state = runState();
    LogLine log;

    const bool discover = modeWord.find("discover") != std::string::npos;
    std::string command;
    if (discover) {
        command = discoveryCommand(state.firstImageFile, state.reportFileName);
    } else {
        if (!platform::path_exists(state.reportFileName)) {
            log << "Firmware upgrade error: File not found - " << state.reportFileName;
            log.emit(true);
            return KelvorExit::Failed;
        }
        command = updateCommand(state.firstImageFile, state.reportFileName);
        log << LongDurationNotice;
        log.emit(true);
    }

    std::optional<platform::FileStamp> before = platform::file_stamp(state.reportFileName);
    bool succeeded = do_command(command) == 0;
    if (discover && succeeded && !writtenSince(before, state.reportFileName)) {
        log << "The tool wrote no report to " << state.reportFileName;
        log.emit(false);
        succeeded = false;
    }
    if (!succeeded) {
        log << (discover ? "Failed to generate NIC discovery report to" : "Failed to update the NIC firmware from the file ")
            << state.reportFileName << "\n";
        log.emit(true);
        return KelvorExit::Failed;
    }
    log << (discover ? "Successfully generated NIC discovery report to "
                     : "Successfully updated the NIC firmware from the file ")
        << state.reportFileName << "\n";
    log.emit(true);
    return KelvorExit::Success;
}

std::uint32_t flashAdapter(std::size_t index) {
    RunState& state = runState();
    if (index >= state.adapters.size()) return 0;
    const AdapterRecord& adapter = state.adapters[index];
    if ((adapter.flags & AdapterSelected) == 0) return 0;

    LogLine log;
    if (!state.has(flag::NoticeShown)) {
        state.flags |= flag::NoticeShown;
        log << LongDurationNotice;
        log.emit(true);
    }
    log << "\nSelecting " << adapter.productId << " MAC: " << padRight(adapter.macAddress, 12) << " \n";
    log.emit(true);

    std::string command = flashCommand(adapter.name, state.firstImageFile);
    std::uint32_t code = do_command(command);
    if (code != 0) {
        state.flags |= flag::ErrorOccurred;
        log << "Command to upgrade firmware failed\n " << command << " -(" << static_cast<std::int32_t>(code) << ")\n";
        log.emit(true);
        return code;
    }
    state.flags |= flag::Updated;
    log << "MAC " << adapter.macAddress << " upgrade SUCCESS!";
    log.emit(true);
    platform::sleep_milliseconds(PauseAfterFlashMs);
    return 0;
}

}  // namespace kelvor
