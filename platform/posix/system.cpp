// POSIX only: system information.
#include "platform/system.h"

#include <cstdlib>
#include <ctime>

namespace platform {

std::string windows_directory() {
    // The drive letter maps to $SystemDrive in native_path().
    return "C:\\Windows";
}

std::optional<std::string> environment_variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool set_environment_variable(const std::string& name, const std::string& value) {
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::string local_time_asctime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y\n", &local);
    return text;
}

}  // namespace platform
