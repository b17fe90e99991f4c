// A program for the log concurrency test: log_appender LOGFILE ID COUNT
// emits COUNT lines through the utility's own log, as many runs of the
// utility at once would.
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    kelvor::RunState& state = kelvor::runState();
    state.logPath = argv[1];
    state.silentMode = true;
    int count = std::atoi(argv[3]);
    // Long lines make a torn or interleaved write easy to see.
    const std::string filler(120, 'x');
    kelvor::LogLine line;
    for (int i = 0; i < count; ++i) {
        line << "appender " << argv[2] << " line " << i << " " << filler << " end";
        line.emit(true);
    }
    return 0;
}
