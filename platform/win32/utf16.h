// Windows only: the plug-in's char16_t text in the wide-character API, where
// wchar_t has the same size and encoding.
#pragma once

#include <windows.h>
#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring to_wide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string from_wide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// A path for the system calls, or nothing when it holds a null character,
// which would silently cut it short.
inline std::optional<std::wstring> wide_path(std::u16string_view path) {
    if (path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    return to_wide(path);
}

}  // namespace platform::win32
