// POSIX only: environment expansion and local time in the plug-in's UTF-16.
#include "platform/wsystem.h"
#include "platform/unicode.h"

#include <unistd.h>
#include <cstring>
#include <ctime>
#include <optional>

extern char** environ;

namespace platform {

namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool equals_no_case(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (fold(left[i]) != fold(right[i])) return false;
    return true;
}

// Windows names environment variables without regard to case; Linux keeps
// "Path" and "PATH" apart, so an exact match wins over a folded one.
std::optional<std::string> lookup(std::string_view name) {
    if (equals_no_case(name, "SystemDrive")) return std::string("C:");
    std::optional<std::string> folded;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view key = text.substr(0, equals);
        if (key == name) return std::string(text.substr(equals + 1));
        if (!folded && equals_no_case(key, name)) folded = std::string(text.substr(equals + 1));
    }
    return folded;
}

std::u16string ascii_to_utf16(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}

std::u16string format_now(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    if (std::strftime(text, sizeof text, format, &local) == 0) return {};
    return ascii_to_utf16(text);
}

}  // namespace

std::u16string expand_environment(std::u16string_view text) {
    std::u16string out;
    while (!text.empty()) {
        std::size_t start = text.find(u'%');
        std::size_t end = start == std::u16string_view::npos ? start : text.find(u'%', start + 1);
        if (end == std::u16string_view::npos) {
            out += text;
            break;
        }
        out += text.substr(0, start);
        std::u16string_view name = text.substr(start + 1, end - start - 1);
        std::optional<std::string> value;
        if (!name.empty()) value = lookup(utf16_to_utf8(name));
        if (value)
            out += utf8_to_utf16(*value);
        else
            out += text.substr(start, end - start + 1);  // left as written, both signs
        text.remove_prefix(end + 1);
    }
    return out;
}

std::u16string local_time_of_day() {
    return format_now("%H:%M:%S");
}

std::u16string local_short_date() {
    return format_now("%m/%d/%Y");
}

}  // namespace platform
