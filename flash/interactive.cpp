#include "interactive.h"
#include "discovery.h"
#include "common/kelvor_exit_codes.h"
#include "kelvor_core/log.h"
#include "reportrun.h"
#include "kelvor_core/runstate.h"
#include "kelvor_core/status.h"
#include "textfields.h"

#include <cstdio>
#include <string_view>

namespace kelvor {

namespace {

// One bounded read per answer.
constexpr std::size_t AnswerLimit = 259;

// Reads one answer line of at most AnswerLimit bytes, its line end included.
// The rest of an overlong line is read and dropped, so it cannot answer the
// next prompt. The line is kept as the bytes read: a NUL inside it is just
// another byte, never taken for the end of the line, so a line that does end
// is never thought to go on into the next one.
bool readAnswerLine(std::string& line) {
    line.clear();
    int c = EOF;
    while (line.size() < AnswerLimit && (c = std::getc(stdin)) != EOF) {
        line += static_cast<char>(c);
        if (c == '\n') return true;
    }
    if (line.empty()) return false;
    if (c != EOF) {
        while ((c = std::getc(stdin)) != EOF && c != '\n') {
        }
    }
    return true;
}

bool isOneOf(const std::string& line, std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (line == word) return true;
    return false;
}

struct SummaryRow {
    bool (*applies)(const RunState&);
    const char* line;
    std::uint32_t exitCode;
};

// Tested in this order: errors first, then the status bits of -n (which
// accumulate, so recommended wins over newer and newer over same), then the
// updated bit.
const SummaryRow SummaryRows[] = {
    {[](const RunState& s) { return s.has(flag::ErrorOccurred); }, "NIC firmware update completed with errors",
     KelvorExit::Failed},
    {[](const RunState& s) { return s.has(flag::StatusOnly) && s.has(flag::StatusRecommended); },
     "NIC firmware update is recommended.", KelvorExit::UpdateRecommended},
    {[](const RunState& s) { return s.has(flag::StatusOnly) && s.has(flag::StatusNewer); },
     "NIC firmware update is not recommended.", KelvorExit::NewerInstalled},
    {[](const RunState& s) { return s.has(flag::StatusOnly) && s.has(flag::StatusSame); },
     "NIC firmware update is not recommended.", KelvorExit::SameVersion},
    {[](const RunState& s) { return s.has(flag::Updated); }, "NIC firmware update complete",
     KelvorExit::FirmwareUpdated},
};

std::uint32_t summarize() {
    const RunState& state = runState();
    LogLine log;
    for (const SummaryRow& row : SummaryRows) {
        if (row.applies(state)) {
            log << row.line;
            log.emit(true);
            return row.exitCode;
        }
    }
    log << "No firmware is selected for update.";
    log.emit(true);
    return KelvorExit::NothingSelected;
}

}  // namespace

std::uint32_t runInteractiveUpdate() {
    if (std::optional<std::uint32_t> stop = discoverSupportedAdapters()) return *stop;
    RunState& state = runState();
    LogLine log;
    for (std::size_t index = 0; index < state.supportedCount && index < state.adapters.size(); ++index) {
        offerAdapter(index);
        if (state.has(flag::Cancelled)) {
            log << "Firmware upgrade is cancelled by User!";
            log.emit(true);
            return KelvorExit::Cancelled;
        }
    }
    for (std::size_t index = 0; index < state.supportedCount && index < state.adapters.size(); ++index)
        flashAdapter(index);
    return summarize();
}

void offerAdapter(std::size_t index) {
    RunState& state = runState();
    const AdapterRecord& shown = state.adapters[index];
    LogLine log;
    log << "Found " << shown.productId << " MAC: " << padRight(shown.macAddress, 17) << "( v" << shown.installed.text()
        << " )";
    log.emit(true);

    Answer answer = decideUpdate(index);
    AdapterRecord& adapter = state.adapters[index];
    if (answer == AnswerYes) {
        adapter.flags |= AdapterSelected;
    } else {
        if (answer == AnswerQuit) state.flags |= flag::Cancelled;
        adapter.flags = 0;
    }
}

Answer decideUpdate(std::size_t index) {
    RunState& state = runState();
    std::string question = buildUpdateQuestion(index);
    const AdapterRecord& adapter = state.adapters[index];
    VersionClass versionClass = classifyVersion(adapter.installed, adapter.available);

    if (state.has(flag::StatusOnly)) {
        state.flags |= versionClass == VersionClass::Older  ? flag::StatusRecommended
                       : versionClass == VersionClass::Same ? flag::StatusSame
                                                            : flag::StatusNewer;
        return AnswerNo;
    }
    if (versionClass == VersionClass::Older) return askYesNoQuit(question, AnswerYes, AnswerYes, "y");

    LogLine log;
    log << "\n"
        << (versionClass == VersionClass::Same
                ? "*** WARNING *** - Installed firmware is the same version as selected firmware"
                : "*** WARNING *** - Installed firmware is more recent than selected firmware")
        << "\n";
    log.emit(true);
    return askYesNoQuit(question, AnswerNo, AnswerNo, "n");
}

std::string buildUpdateQuestion(std::size_t index) {
    const AdapterRecord& adapter = runState().adapters[index];
    return "\nUpdate firmware on '" + adapter.name + "' (" + adapter.location + ") : " + "From Bootcode " +
           adapter.installed.text() + " To " + adapter.available.text() + " ?";
}

Answer askYesNoQuit(const std::string& question, Answer defaultAnswer, Answer emptyLineAnswer,
                    const std::string& defaultLetter) {
    const RunState& state = runState();
    if (state.has(flag::Silent)) return state.has(flag::Force) ? AnswerYes : defaultAnswer;
    if (state.has(flag::AssumeDefault)) return defaultAnswer;

    std::string prompt = question + " y/n/q (" + defaultLetter + ") ";
    writeConsole(prompt);
    LogLine log;
    log << prompt;
    log.emit(false);

    std::string line;
    if (!readAnswerLine(line)) {
        log << "Unknown input problem!\nQuit...";
        log.emit(true);
        return AnswerQuit;
    }
    // The log is text: it shows the answer up to a NUL, if one came.
    log << question << " " << std::string_view(line.c_str());
    log.emit(false);

    if (!line.empty() && line.back() == '\n') line.pop_back();
    // A line typed on Windows ends in "\r\n" when it arrives through a pipe.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return emptyLineAnswer;
    if (isOneOf(line, {"y", "yes", "Y", "Yes", "YES"})) return AnswerYes;
    if (isOneOf(line, {"q", "Q", "Quit", "QUIT", "quit"})) return AnswerQuit;
    return AnswerNo;
}

}  // namespace kelvor
