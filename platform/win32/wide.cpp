// Windows only: UTF-8 and UTF-16 conversion for the system calls.
#include "wide.h"

namespace platform::win32 {

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        // Not UTF-8: take it in the ANSI code page, as the system would.
        length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
        return wide;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrow(const wchar_t* text, int length) {
    if (length <= 0) return {};
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrowed(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, length, narrowed.data(), size, nullptr, nullptr);
    return narrowed;
}

std::string narrow(const std::wstring& text) { return narrow(text.data(), static_cast<int>(text.size())); }

}  // namespace platform::win32
