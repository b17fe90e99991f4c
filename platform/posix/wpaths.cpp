// POSIX only: UTF-16 Windows paths mapped onto this file system.
#include "platform/wpaths.h"
#include "platform/files.h"
#include "platform/unicode.h"
#include "wpath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace platform {

namespace posix {

std::optional<std::string> native_utf16_path(std::u16string_view path) {
    if (path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    return native_path(utf16_to_utf8(path));
}

}  // namespace posix

bool path_exists(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    struct stat info;
    return native && ::stat(native->c_str(), &info) == 0;
}

bool create_directory(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    return native && ::mkdir(native->c_str(), 0777) == 0;
}

bool delete_file(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    return native && ::unlink(native->c_str()) == 0;
}

bool rename_file(std::u16string_view from, std::u16string_view to) {
    std::optional<std::string> source = posix::native_utf16_path(from);
    std::optional<std::string> target = posix::native_utf16_path(to);
    if (!source || !target) return false;
    // rename() would replace an existing target; RENAME_NOREPLACE refuses
    // it in the same step as the move.
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that flag: test, then move.
    struct stat info;
    if (::lstat(target->c_str(), &info) == 0) return false;
    return std::rename(source->c_str(), target->c_str()) == 0;
}

std::optional<std::u16string> temporary_file_name(std::u16string_view directory, std::u16string_view prefix,
                                                  unsigned unique) {
    if (unique == 0) return std::nullopt;
    std::u16string name(directory);
    if (!name.empty() && name.back() != u'\\' && name.back() != u'/') name += u'\\';
    name += prefix.substr(0, 3);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", unique & 0xFFFFu);
    for (const char* d = digits; *d != '\0'; ++d) name += static_cast<char16_t>(*d);
    name += u".TMP";
    return name;
}

}  // namespace platform
