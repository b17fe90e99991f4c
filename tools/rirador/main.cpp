// The adapter simulator: a stand-in for the adapter vendor's flash tool that
// keeps a simulated machine in "rirador.state" in the current directory.
//
// The utility starts it without usable standard handles, so nothing here
// reads standard input and no failed write to standard output or error
// changes the outcome.
#include "calllog.h"
#include "exitcodes.h"
#include "operations.h"
#include "request.h"
#include "statefile.h"

#include "platform/arguments.h"
#include "platform/process.h"

#include <cstdio>
#include <exception>

namespace {

void tell(std::FILE* stream, const std::string& text) {
    std::fputs((text + "\n").c_str(), stream);
    std::fflush(stream);
}

int run(const std::vector<std::string>& arguments) {
    rirador::ParsedRequest parsed = rirador::parseRequest(arguments);
    if (!parsed.request) {
        tell(stderr, "rirador: " + parsed.problem + "\n" + rirador::UsageText);
        return rirador::exitcode::BadCommandLine;
    }
    rirador::StateLoad state = rirador::loadStateFile(rirador::StateFileName);
    if (!state.machine) {
        tell(stderr, "rirador: " + state.problem);
        return rirador::exitcode::BadStateFile;
    }
    if (int delay = state.machine->faults.settings.number("delay_ms"); delay > 0)
        platform::sleep_milliseconds(static_cast<unsigned>(delay));

    rirador::Outcome outcome = rirador::perform(*state.machine, *parsed.request);
    tell(outcome.exitCode == rirador::exitcode::Success ? stdout : stderr, outcome.message);
    return outcome.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> arguments = platform::program_arguments(argc, argv);
        rirador::recordCall(arguments);
        return run(arguments);
    } catch (const std::exception& error) {
        tell(stderr, std::string("rirador: internal error: ") + error.what());
    } catch (...) {
        tell(stderr, "rirador: internal error");
    }
    return rirador::exitcode::Unexpected;
}
