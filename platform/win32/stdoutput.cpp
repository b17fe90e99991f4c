// Windows only: the standard-output handle of the process parameters.
#include "platform/stdoutput.h"

#include <windows.h>

namespace platform {

SavedStandardOutput::SavedStandardOutput()
    : saved_(reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_OUTPUT_HANDLE))) {}

SavedStandardOutput::~SavedStandardOutput() = default;

void SavedStandardOutput::restore() const {
    ::SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(saved_));
}

bool SavedStandardOutput::is_current() const {
    return reinterpret_cast<HANDLE>(saved_) == ::GetStdHandle(STD_OUTPUT_HANDLE);
}

}  // namespace platform
