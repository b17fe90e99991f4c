// Portable part of the UTF-16 path services: the directory chain and file
// names, pure text work over the system calls of posix/ and win32/.
#include "platform/wpaths.h"

namespace platform {

namespace {

constexpr std::u16string_view separators = u"\\/";

bool is_separator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

// The next component of `rest` up to its separator, which is consumed.
std::u16string_view take_component(std::u16string_view& rest) {
    std::size_t end = rest.find_first_of(separators);
    std::u16string_view component = rest.substr(0, end);
    rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 1);
    return component;
}

// "\\server\share" starts a network path; it exists or not, but it is never
// something to create.
std::u16string take_network_share(std::u16string_view& rest) {
    rest.remove_prefix(2);
    std::u16string share = u"\\\\";
    share += take_component(rest);
    share += u'\\';
    share += take_component(rest);
    return share;
}

}  // namespace

void create_directory_chain(std::u16string_view directory) {
    std::u16string current;
    std::u16string_view rest = directory;
    if (rest.size() >= 2 && rest[1] == u':') {
        current.assign(rest.substr(0, 2));
        rest.remove_prefix(2);
    }
    std::size_t last = rest.find_last_of(separators);
    if (last == std::u16string_view::npos) return;
    rest = rest.substr(0, last + 1);
    bool rooted = is_separator(rest[0]);
    if (current.empty() && rest.size() >= 2 && is_separator(rest[0]) && is_separator(rest[1]))
        current = take_network_share(rest);
    while (!rest.empty()) {
        std::u16string_view component = take_component(rest);
        if (component.empty()) continue;
        // A relative chain starts at its first component; anything else
        // continues from the drive or the root.
        if (!current.empty() || rooted) current += u'\\';
        current += component;
        create_directory(current);
    }
}

std::u16string_view path_file_name(std::u16string_view path) {
    std::size_t last = path.find_last_of(u"\\/:");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

}  // namespace platform
