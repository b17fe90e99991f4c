#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"

#include "platform/console.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/system.h"

#include <cstdio>

namespace kelvor {

namespace {

const std::string Dashes76(76, '-');
const std::string Dashes30(30, '-');
constexpr const char* MakerNotice = "Copyright (C) Tarn Corporation. All rights reserved.";

}  // namespace

std::string systemFolderPath() {
    std::string windows = platform::windows_directory();
    char drive = windows.empty() ? 'C' : windows[0];
    return std::string(1, drive) + ":/ykzsystem/";
}

namespace {

// Creates the two directories and remembers the path; failures are ignored,
// the lines are then only lost from the file.
void buildLogPath() {
    std::string root = systemFolderPath();
    if (!platform::path_exists(root)) platform::create_directory(root);
    std::string logDirectory = root + "log/";
    platform::create_directory(logDirectory);
    runState().logPath = logDirectory + "zizador.log";
}

// zizador.log is a text file: each "\n" of a line is stored as the system's
// line end, as a text-mode stream stores it. Converted in `scratch` only
// where that line end is not "\n".
std::string_view logFileText(std::string_view text, std::string& scratch) {
    const std::string_view lineEnd = platform::text_file_line_end();
    if (lineEnd == "\n") return text;
    scratch.clear();
    scratch.reserve(text.size() + text.size() / 16 + lineEnd.size());
    for (char c : text) {
        if (c == '\n')
            scratch.append(lineEnd);
        else
            scratch += c;
    }
    return scratch;
}

std::string banner() {
    return Dashes76 + "\n" + UtilityTitle + " (" + programVersion() + ")\n" + MakerNotice + "\n" + Dashes76 + "\n";
}

}  // namespace

LogLine& LogLine::operator<<(std::string_view text) {
    buffer_.append(text);
    return *this;
}

LogLine& LogLine::operator<<(char c) {
    buffer_ += c;
    return *this;
}

// The log file's name is resolved once per log path, not for every line;
// the file itself is still opened and closed for every line.
static const platform::AppendTarget& logTarget(const std::string& logPath) {
    static platform::AppendTarget target;
    if (target.path() != logPath) target = platform::AppendTarget(logPath);
    return target;
}

void LogLine::emit(bool echo) {
    const RunState& state = runState();
    buffer_ += '\n';
    if (!state.logPath.empty()) {
        std::string scratch;
        logTarget(state.logPath).append(logFileText(buffer_, scratch));
    }
    if ((state.debugMode || echo) && !state.silentMode) writeConsole(buffer_);
    buffer_.clear();
}

void writeConsole(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string programVersion() {
    platform::FileVersion version;
    if (!platform::this_module_file_version(version)) return "0.0.0.0";
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.build) + "." + std::to_string(version.revision);
}

std::string logFileLine(std::string_view text) {
    std::string line(text);
    line += '\n';
    std::string scratch;
    return std::string(logFileText(line, scratch));
}

std::string logFilePath() { return systemFolderPath() + "log/zizador.log"; }

void writeStartupHeader() {
    buildLogPath();
    const RunState& state = runState();
    platform::AppendFile file(state.logPath);

    std::string text = banner();
    if (!state.silentMode) {
        writeConsole("\n");
        writeConsole(text);
        writeConsole("\n");
    }
    std::string scratch;
    file.write(logFileText(text, scratch));
    platform::set_console_title(UtilityTitle);

    std::string stamp = "Time: " + platform::local_time_asctime() + Dashes30;
    if (file.good()) {
        file.write(logFileText(stamp + "\n", scratch));
        file.close();
    }
    if (state.debugMode && !state.silentMode) writeConsole(stamp + "\n");
}

}  // namespace kelvor
