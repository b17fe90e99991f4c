// Windows only: the system's own UTF-16 test and conversion.
#include "../text.h"
#include "wide.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {

bool is_utf16_text(const void* bytes, std::size_t size) {
    int length = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    return ::IsTextUnicode(bytes, length, nullptr) != FALSE;
}

bool utf16le_to_utf8(const void* bytes, std::size_t size, std::string& utf8) {
    std::size_t units = size / 2;
    const wchar_t* wide = static_cast<const wchar_t*>(bytes);
    std::vector<wchar_t> aligned_copy;
    if (reinterpret_cast<std::uintptr_t>(bytes) % alignof(wchar_t) != 0) {
        aligned_copy.resize(units);
        if (units > 0) std::memcpy(aligned_copy.data(), bytes, units * sizeof(wchar_t));
        wide = aligned_copy.data();
    }
    std::size_t length = 0;
    while (length < units && wide[length] != L'\0') ++length;
    if (length > INT_MAX) return false;
    if (length == 0) {
        utf8.clear();
        return true;
    }
    // Without WC_ERR_INVALID_CHARS a lone surrogate would silently become
    // U+FFFD; refusing it keeps the result the same as on Linux.
    int count = static_cast<int>(length);
    int needed = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    std::string out(static_cast<std::size_t>(needed), '\0');
    int written =
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, out.data(), needed, nullptr, nullptr);
    if (written != needed) return false;
    utf8 = std::move(out);
    return true;
}

}  // namespace platform
