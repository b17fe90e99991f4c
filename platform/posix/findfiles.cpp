// POSIX only: directory listing through opendir.
#include "platform/findfiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/unicode.h"

namespace platform {

std::vector<std::u16string> find_files(std::u16string_view directory, std::u16string_view pattern) {
    std::vector<std::u16string> names;
    std::string path = directory.empty() ? std::string(".") : native_path(utf16_to_utf8(directory));
    DIR* listing = ::opendir(path.c_str());
    if (listing == nullptr) return names;
    while (const dirent* entry = ::readdir(listing)) {
        std::u16string name = utf8_to_utf16(entry->d_name);
        if (!name_matches_pattern(name, pattern)) continue;
        struct stat info {};
        std::string full = path + "/" + entry->d_name;
        if (::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        names.push_back(std::move(name));
    }
    ::closedir(listing);
    return names;
}

bool regular_file_exists(std::u16string_view path) {
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    struct stat info {};
    return ::stat(native_path(utf16_to_utf8(path)).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace platform
