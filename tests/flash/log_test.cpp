// The utility's log file is text: every line end of an emitted message is
// stored as the system's own line end, and nothing else is added.
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"
#include "testsupport/testsupport.h"

#include "platform/files.h"

#include <gtest/gtest.h>

namespace {

TEST(Log, EmittedLinesEndTheSystemsWayInTheFile) {
    testsupport::TempDir dir;
    kelvor::resetRunState();
    kelvor::RunState& state = kelvor::runState();
    state.logPath = (dir / "zizador.log").string();
    state.silentMode = true;

    kelvor::LogLine log;
    log << "first" << '\n' << "second";
    log.emit(true);
    log << "third";
    log.emit(false);
    kelvor::resetRunState();

    const std::string end(platform::text_file_line_end());
    EXPECT_EQ(testsupport::readFile(dir / "zizador.log"), "first" + end + "second" + end + "third" + end);
}

}  // namespace
