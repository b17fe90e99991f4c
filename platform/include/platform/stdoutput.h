// The process's standard-output handle, remembered when a child run begins
// and put back when it ends, so that a run inside a host leaves the host's
// output where it was whatever happened meanwhile.
#pragma once

#include <cstdint>

namespace platform {

class SavedStandardOutput {
public:
    // Remembers the current standard output (on Linux a private duplicate
    // of descriptor 1, close-on-exec, so no child ever inherits it).
    SavedStandardOutput();
    ~SavedStandardOutput();
    SavedStandardOutput(const SavedStandardOutput&) = delete;
    SavedStandardOutput& operator=(const SavedStandardOutput&) = delete;

    // Makes the remembered handle the process's standard output again; a
    // process that had none keeps none.
    void restore() const;
    // Whether the process's standard output is still the remembered one
    // (the same handle on Windows, the same open file on Linux).
    bool is_current() const;

private:
    std::intptr_t saved_;
};

}  // namespace platform
