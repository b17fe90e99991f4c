// Windows only: system information.
#include "platform/system.h"
#include "platform/limits.h"
#include "wide.h"

#include <ctime>

namespace platform {

std::string windows_directory() {
    wchar_t buffer[limits::windows_directory_units];
    UINT length = ::GetWindowsDirectoryW(buffer, limits::windows_directory_units);
    if (length == 0 || length >= limits::windows_directory_units) return "C:\\Windows";
    return win32::narrow(buffer, static_cast<int>(length));
}

std::optional<std::string> environment_variable(const std::string& name) {
    std::wstring wideName = win32::widen(name);
    DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::wstring value(size, L'\0');
    DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length);
    return win32::narrow(value);
}

bool set_environment_variable(const std::string& name, const std::string& value) {
    // Both the process environment block, which children inherit, and the C
    // runtime's copy, which getenv reads.
    bool ok = ::SetEnvironmentVariableW(win32::widen(name).c_str(), win32::widen(value).c_str()) != 0;
    return ::_wputenv_s(win32::widen(name).c_str(), win32::widen(value).c_str()) == 0 && ok;
}

std::string local_time_asctime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_s(&local, &now);
    char text[64];
    std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y\n", &local);
    return text;
}

}  // namespace platform
