// Windows only: UTF-8 and UTF-16 conversion for the system calls, through
// the portable conversions, so that both platforms convert alike.
#include "wide.h"
#include "platform/unicode.h"

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 on Windows");

// Malformed UTF-8 becomes replacement characters, as the system's own
// conversion without its error flag does.
std::wstring widen(const std::string& text) {
    std::u16string wide = utf8_to_utf16(text);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string narrow(const wchar_t* text, int length) {
    if (text == nullptr || length <= 0) return {};
    return utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length)));
}

std::string narrow(const std::wstring& text) {
    return narrow(text.data(), static_cast<int>(text.size()));
}

}  // namespace platform::win32
