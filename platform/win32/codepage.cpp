// Windows only: the system's own code-page conversions.
#include "platform/codepage.h"

#include <windows.h>

#include <climits>

namespace platform {

std::string to_ansi_code_page(std::u16string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    auto wide = reinterpret_cast<const wchar_t*>(text.data());
    int length = static_cast<int>(text.size());
    int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
    return out;
}

bool decode_shift_jis(std::string_view bytes, std::u16string& text) {
    text.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    constexpr UINT shift_jis = 932;
    int length = static_cast<int>(bytes.size());
    int size = ::MultiByteToWideChar(shift_jis, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) return false;
    text.resize(static_cast<std::size_t>(size));
    return ::MultiByteToWideChar(shift_jis, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                 reinterpret_cast<wchar_t*>(text.data()), size) == size;
}

}  // namespace platform
