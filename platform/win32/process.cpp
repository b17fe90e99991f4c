// Windows only: child processes through CreateProcess.
#include "../process.h"
#include "wide.h"

#include <vector>

namespace platform {

namespace {

ProcessOutcome wait_for(PROCESS_INFORMATION& info) {
    win32::Handle process(info.hProcess);
    win32::Handle thread(info.hThread);
    ProcessOutcome outcome;
    outcome.started = true;
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    if (!::GetExitCodeProcess(process.get(), &code)) code = 1;
    outcome.exitCode = code;
    return outcome;
}

HANDLE open_inheritable(const std::string& path, bool forWriting) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::wstring name = path.empty() ? L"NUL" : win32::widen(path);
    return ::CreateFileW(name.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProcessOutcome run_hidden(const std::string& commandLine) {
    // Explicit standard handles, all of them null: the child gets no usable
    // standard input or output.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::wstring line = win32::widen(commandLine);
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return {};
    return wait_for(info);
}

ProcessOutcome run_redirected(const RedirectedRun& run) {
    win32::Handle input(open_inheritable(run.stdinPath, false));
    win32::Handle output(open_inheritable(run.stdoutPath, true));
    win32::Handle error(open_inheritable(run.stderrPath, true));
    if (!input.valid() || !output.valid() || !error.valid()) return {};

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = error.get();
    std::wstring line = win32::widen(run.commandLine);
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(L'\0');
    std::wstring directory = win32::widen(run.workingDirectory);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return {};
    return wait_for(info);
}

std::uint32_t current_process_id() { return ::GetCurrentProcessId(); }

void sleep_milliseconds(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
