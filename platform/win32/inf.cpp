// Windows only: INF files through SetupAPI.
#include "platform/inf.h"

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

namespace platform {

namespace {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string from_wide(const wchar_t* text) {
    std::u16string out;
    for (; *text != L'\0'; ++text) out += static_cast<char16_t>(*text);
    return out;
}

}  // namespace

// The open INF handle, closed on destruction.
struct InfFile::State {
    explicit State(HINF handle) : handle(handle) {}
    ~State() { ::SetupCloseInfFile(handle); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    bool line_at(std::u16string_view section, std::size_t line, INFCONTEXT& context) const {
        return line <= MAXLONG &&
               ::SetupGetLineByIndexW(handle, wide(section).c_str(), static_cast<DWORD>(line), &context);
    }

    HINF handle;
};

void InfFile::DeleteState::operator()(State* state) const {
    delete state;
}

bool InfFile::open(std::u16string_view fullPath) {
    close();
    HINF handle = ::SetupOpenInfFileW(wide(fullPath).c_str(), nullptr, INF_STYLE_WIN4, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    state_.reset(new State(handle));
    return true;
}

void* InfFile::native_handle() const {
    return state_ ? state_->handle : nullptr;
}

std::vector<std::u16string> InfFile::section_names() const {
    std::vector<std::u16string> names;
    if (!state_) return names;
    std::wstring buffer(512, L'\0');
    for (UINT index = 0;;) {
        UINT needed = 0;
        if (::SetupEnumInfSectionsW(state_->handle, index, buffer.data(), static_cast<UINT>(buffer.size()), &needed)) {
            names.push_back(from_wide(buffer.c_str()));
            ++index;
        } else if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
            buffer.resize(needed);
        } else {
            return names;  // ERROR_NO_MORE_ITEMS after the last one
        }
    }
}

std::size_t InfFile::line_count(std::u16string_view section) const {
    if (!state_) return 0;
    LONG count = ::SetupGetLineCountW(state_->handle, wide(section).c_str());
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::optional<std::size_t> InfFile::find_line(std::u16string_view section, std::u16string_view key,
                                              std::size_t from) const {
    if (!state_) return std::nullopt;
    std::wstring wideKey = wide(key);
    INFCONTEXT context{};
    if (!::SetupFindFirstLineW(state_->handle, wide(section).c_str(), wideKey.c_str(), &context)) return std::nullopt;
    while (context.Line < from)
        if (!::SetupFindNextMatchLineW(&context, wideKey.c_str(), &context)) return std::nullopt;
    return context.Line;
}

std::size_t InfFile::field_count(std::u16string_view section, std::size_t line) const {
    INFCONTEXT context{};
    if (!state_ || !state_->line_at(section, line, context)) return 0;
    return ::SetupGetFieldCount(&context);
}

std::optional<std::u16string> InfFile::field(std::u16string_view section, std::size_t line, std::size_t index) const {
    INFCONTEXT context{};
    if (!state_ || index > MAXLONG || !state_->line_at(section, line, context)) return std::nullopt;
    DWORD fieldIndex = static_cast<DWORD>(index);
    DWORD required = 0;
    if (!::SetupGetStringFieldW(&context, fieldIndex, nullptr, 0, &required) || required == 0) return std::nullopt;
    std::wstring buffer(required, L'\0');
    if (!::SetupGetStringFieldW(&context, fieldIndex, buffer.data(), required, &required)) return std::nullopt;
    return from_wide(buffer.c_str());
}

std::u16string inf_full_path(std::u16string_view name) {
    std::wstring wideName = wide(name);
    if (wideName.empty()) return {};
    DWORD size = ::GetFullPathNameW(wideName.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring buffer(size, L'\0');
    DWORD length = ::GetFullPathNameW(wideName.c_str(), size, buffer.data(), nullptr);
    if (length == 0 || length >= size) return {};
    return from_wide(buffer.c_str());
}

}  // namespace platform
