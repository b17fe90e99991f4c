// Windows only: child processes through CreateProcessW, anonymous pipes.
#include "platform/process.h"
#include "wide.h"

#include <vector>

namespace platform {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text goes to the system calls as it is");

HANDLE as_handle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

// The system answers failure with either of two values; one invalid value
// serves above this layer.
OwnedHandle owned(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return OwnedHandle();
    return OwnedHandle(reinterpret_cast<std::intptr_t>(handle));
}

// CreateProcessW may write into the command line, so it gets a copy.
std::vector<wchar_t> writable(const std::u16string& text) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.push_back(L'\0');
    return buffer;
}

HANDLE stream_handle(const ChildStream& stream, DWORD callerHandle, bool inherits, bool& ok) {
    switch (stream.from) {
        case ChildStream::From::caller:
            return ::GetStdHandle(callerHandle);
        case ChildStream::From::handle:
            // A handle reaches the child only by inheritance.
            if (!inherits || stream.handle == nullptr || !stream.handle->valid()) ok = false;
            return ok ? as_handle(stream.handle->native()) : nullptr;
        case ChildStream::From::nothing:
            break;
    }
    return nullptr;
}

bool set_standard_handles(const ChildStart& start, STARTUPINFOW& startup) {
    if (!start.stdio) return true;
    const ChildStdio& stdio = *start.stdio;
    bool ok = true;
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = stream_handle(stdio.input, STD_INPUT_HANDLE, start.inheritHandles, ok);
    startup.hStdOutput = stream_handle(stdio.output, STD_OUTPUT_HANDLE, start.inheritHandles, ok);
    startup.hStdError = stream_handle(stdio.error, STD_ERROR_HANDLE, start.inheritHandles, ok);
    return ok;
}

DWORD creation_flags(ChildConsole console) {
    if (console == ChildConsole::no_window) return CREATE_NO_WINDOW;
    if (console == ChildConsole::detached) return DETACHED_PROCESS;
    return 0;  // shared: the system gives the child the caller's console, or a new one
}

SystemError system_error(DWORD code) {
    SystemError error{code, {}};
    wchar_t* text = nullptr;
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (text != nullptr) {
        // The system's texts end in a line break, which a log line must not carry.
        while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
            --length;
        error.text = win32::narrow(text, static_cast<int>(length));
        ::LocalFree(text);
    }
    return error;
}

}  // namespace

void OwnedHandle::reset(std::intptr_t native) {
    if (valid() && native != native_) ::CloseHandle(as_handle(native_));
    native_ = native;
}

bool create_pipe(Pipe& pipe, InheritedEnd inherited) {
    pipe.read.reset();
    pipe.write.reset();
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return false;
    pipe.read = owned(readEnd);
    pipe.write = owned(writeEnd);
    HANDLE childEnd = inherited == InheritedEnd::read ? readEnd : writeEnd;
    if (!::SetHandleInformation(childEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        pipe.read.reset();
        pipe.write.reset();
        return false;
    }
    return true;
}

std::size_t read_pipe(const OwnedHandle& readEnd, void* buffer, std::size_t size) {
    if (!readEnd.valid()) return 0;
    DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(as_handle(readEnd.native()), buffer, chunk, &got, nullptr)) return 0;
        // A writer's empty write completes a read with nothing; only a
        // broken pipe is the end of the data.
        if (got > 0 || chunk == 0) return got;
    }
}

OwnedHandle open_for_child(const std::string& path, FileAccess access) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::wstring name = path.empty() ? L"NUL" : win32::widen(path);
    bool writing = access == FileAccess::write;
    return owned(::CreateFileW(name.c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                               writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ProcessStep start_child(const ChildStart& start, ChildProcess& child, SystemError& cause) {
    cause = {};
    if (child.running()) child.wait();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!set_standard_handles(start, startup)) return ProcessStep::standard_handles;
    std::vector<wchar_t> title = writable(start.consoleTitle);
    if (start.console == ChildConsole::shared && !start.consoleTitle.empty()) startup.lpTitle = title.data();
    std::vector<wchar_t> line = writable(start.commandLine);
    std::wstring directory(start.workingDirectory.begin(), start.workingDirectory.end());

    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, start.inheritHandles ? TRUE : FALSE,
                          creation_flags(start.console), nullptr, directory.empty() ? nullptr : directory.c_str(),
                          &startup, &info)) {
        cause = system_error(::GetLastError());
        return ProcessStep::start;
    }
    win32::Handle thread(info.hThread);
    child.process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
    return ProcessStep::none;
}

ProcessOutcome ChildProcess::wait() {
    ProcessOutcome outcome;
    if (!running()) {
        outcome.failed = ProcessStep::wait;
        return outcome;
    }
    win32::Handle process(as_handle(process_));
    process_ = none;
    outcome.started = true;
    DWORD code = 1;
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &code)) {
        outcome.exitCode = 1;
        outcome.failed = ProcessStep::wait;
        return outcome;
    }
    outcome.exitCode = code;
    return outcome;
}

std::uint32_t current_process_id() {
    return ::GetCurrentProcessId();
}

void kill_this_process() {
    ::TerminateProcess(::GetCurrentProcess(), 1);
    ::ExitProcess(1);  // not reached
}

void sleep_milliseconds(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace platform
