// Windows only: environment expansion and the system locale's time and date.
#include "platform/wsystem.h"
#include "utf16.h"

#include <vector>

namespace platform {

std::u16string expand_environment(std::u16string_view text) {
    std::wstring source = win32::to_wide(text);
    std::vector<wchar_t> buffer(source.size() + 64);
    // The size needed can change between calls when another thread sets a
    // variable, so ask again until the text fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) break;
        if (needed <= buffer.size()) return win32::from_wide(buffer.data(), needed - 1);
        buffer.resize(needed);
    }
    return std::u16string(text);
}

namespace {

std::u16string terminated(const wchar_t* text, int length) {
    return length > 0 ? win32::from_wide(text, static_cast<std::size_t>(length - 1)) : std::u16string();
}

}  // namespace

std::u16string local_time_of_day() {
    wchar_t text[256];
    int length = ::GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, nullptr, nullptr,
                                  text, 256);
    return terminated(text, length);
}

std::u16string local_short_date() {
    wchar_t text[256];
    int length = ::GetDateFormatW(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 256);
    return terminated(text, length);
}

}  // namespace platform
