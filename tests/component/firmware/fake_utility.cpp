// A stand-in for the flash utility in the component's tests, copied into a
// package directory as "FakeKelvor.exe". The test sets its behaviour through the
// environment, which a child inherits from the host:
//   FAKE_UTILITY_CALLS   file to which each run appends its arguments, each
//                        in square brackets, one run per line
//   FAKE_UTILITY_OUTPUT  bytes to write to standard output (and a line to
//                        standard error) before ending
//   FAKE_UTILITY_WRITES  file to which the run appends a line, as a run
//                        writes its report (appending changes the file's
//                        size, so every run's writing shows however fast
//                        the runs follow each other)
//   FAKE_UTILITY_EXIT    the exit code (default 0)
//   FAKE_UTILITY_CRASH   "yes": abort instead of ending
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/arguments.h"
#include "platform/files.h"
#include "platform/system.h"

namespace {

std::string Setting(const char* name) {
    return platform::environment_variable(name).value_or("");
}

void RecordCall(const std::vector<std::string>& arguments) {
    std::string path = Setting("FAKE_UTILITY_CALLS");
    if (path.empty()) return;
    std::string line;
    for (const std::string& argument : arguments) line += (line.empty() ? "[" : " [") + argument + "]";
    std::ofstream(path, std::ios::app | std::ios::binary) << line << "\n";
}

void WriteOutput(unsigned long long bytes) {
    std::string chunk(65536, 'x');
    for (unsigned long long left = bytes; left > 0;) {
        std::size_t now = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        if (std::fwrite(chunk.data(), 1, now, stdout) != now) break;
        left -= now;
    }
    std::fflush(stdout);
    std::fputs("done\n", stderr);
}

}  // namespace

int main(int argc, char** argv) {
    RecordCall(platform::program_arguments(argc, argv));
    std::string output = Setting("FAKE_UTILITY_OUTPUT");
    if (!output.empty()) WriteOutput(std::strtoull(output.c_str(), nullptr, 10));
    std::string report = Setting("FAKE_UTILITY_WRITES");
    if (!report.empty()) std::ofstream(platform::native_path(report), std::ios::app | std::ios::binary) << "report\n";
    if (Setting("FAKE_UTILITY_CRASH") == "yes") std::abort();
    return std::atoi(Setting("FAKE_UTILITY_EXIT").c_str());
}
