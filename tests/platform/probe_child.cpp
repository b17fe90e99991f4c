// A child program for the process tests: probe_child OUTFILE EXITCODE [ARGS...]
// writes each of ARGS in brackets, one per line, into OUTFILE and ends with
// EXITCODE ("crash" aborts instead). With the argument "--stdin" it also
// reports whether standard input has data. (A hidden child's standard input
// is a null handle, which Wine, unlike Windows, blocks on: only redirected
// runs ask.) "--stdout=N" writes N bytes to standard output instead of
// recording anything, so that a test can fill a pipe. "--lock=NAME|FOLDER"
// tries the machine lock of that name and records "lock:acquired", "lock:busy"
// or "lock:unavailable"; the lock stays held until the child ends. EXITCODE
// "kill" ends the child as a kill from outside would.
#include "platform/machinelock.h"
#include "platform/process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* tryLock(const std::string& nameAndFolder) {
    static std::unique_ptr<platform::MachineLock> held;  // kept until the process ends
    std::size_t bar = nameAndFolder.find('|');
    held = std::make_unique<platform::MachineLock>(nameAndFolder.substr(0, bar),
                                                   bar == std::string::npos ? "" : nameAndFolder.substr(bar + 1));
    switch (held->try_acquire()) {
    case platform::MachineLock::Status::acquired:
        return "acquired";
    case platform::MachineLock::Status::busy:
        return "busy";
    case platform::MachineLock::Status::unavailable:
        break;
    }
    return "unavailable";
}

bool writeToStdout(unsigned long long count) {
    const std::string block(65536, 'x');
    while (count > 0) {
        std::size_t chunk = count < block.size() ? static_cast<std::size_t>(count) : block.size();
        if (std::fwrite(block.data(), 1, chunk, stdout) != chunk) return false;
        count -= chunk;
    }
    return std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    if (std::FILE* out = std::fopen(argv[1], "wb")) {
        for (int i = 3; i < argc; ++i) {
            if (std::strncmp(argv[i], "--stdout=", 9) == 0) {
                if (!writeToStdout(std::strtoull(argv[i] + 9, nullptr, 10))) return 101;
            } else if (std::strncmp(argv[i], "--lock=", 7) == 0) {
                std::fprintf(out, "lock:%s\n", tryLock(argv[i] + 7));
            } else if (std::strcmp(argv[i], "--stdin") == 0) {
                std::fprintf(out, "stdin:%s\n", std::fgetc(stdin) == EOF ? "none" : "data");
            } else {
                std::fprintf(out, "[%s]\n", argv[i]);
            }
        }
        std::fclose(out);
    }
    if (std::strcmp(argv[2], "crash") == 0) std::abort();
    if (std::strcmp(argv[2], "kill") == 0) platform::kill_this_process();
    return std::atoi(argv[2]);
}
