// The utility's log: every reported line is collected in a LogLine and
// emitted, which appends it to zizador.log and, by the caller's echo choice
// and the debug and silent modes, copies it to the console.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor {

inline constexpr const char* UtilityTitle = "Tarn KX-Series P3P Online Firmware Upgrade Utility for Windows";

class LogLine {
public:
    LogLine& operator<<(std::string_view text);
    LogLine& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
    LogLine& operator<<(const std::string& text) { return *this << std::string_view(text); }
    LogLine& operator<<(char c);
    template <std::integral Number>
        requires(!std::same_as<Number, char> && !std::same_as<Number, bool>)
    LogLine& operator<<(Number number) {
        buffer_ += std::to_string(number);
        return *this;
    }

    // Ends a line inside a multi-line message.
    LogLine& endl() { return *this << '\n'; }

    // Appends the text and a line end to the log file (when its path is
    // known) and, when (debug mode or echo) and not silent mode, writes it
    // to standard output. Empties the buffer.
    void emit(bool echo);

    const std::string& text() const { return buffer_; }

private:
    std::string buffer_;
};

// Writes text to standard output and flushes it (a prompt, the banner).
void writeConsole(std::string_view text);

// The program version from the file's own version resource, "1.0.0.1".
std::string programVersion();

// Builds the log path, then writes the banner, sets the console title and
// logs the time stamp.
void writeStartupHeader();

// The folder "ykzsystem" on the drive of the Windows directory, which holds
// the log folder: "C:/ykzsystem/".
std::string systemFolderPath();

// The bytes that emitting `text` adds to zizador.log (its line ends as the
// system's text files write them, one more at the end).
std::string logFileLine(std::string_view text);

// The log path that writeStartupHeader builds: the Windows directory's drive
// followed by ":/ykzsystem/log/zizador.log".
std::string logFilePath();

}  // namespace kelvor
