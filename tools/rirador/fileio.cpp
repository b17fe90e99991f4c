#include "fileio.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/wholefile.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace rirador {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool writeAndClose(FileHandle file, std::string_view text) {
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    bool flushed = std::fflush(file.get()) == 0;
    // fclose reports the last deferred write error, so its answer counts.
    return std::fclose(file.release()) == 0 && written && flushed;
}

std::filesystem::path utf8Path(const std::string& path) {
    std::string native = platform::native_path(path);
    return std::filesystem::path(std::u8string(native.begin(), native.end()));
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
    std::string content;
    if (platform::read_whole_file(path, content) != platform::WholeFileStatus::ok) return std::nullopt;
    return content;
}

bool writeWholeFile(const std::string& path, std::string_view text) {
    return writeAndClose(FileHandle(platform::open_file(path, "wb")), text);
}

bool replaceFile(const std::string& path, std::string_view text) {
    std::string temporary = path + "." + std::to_string(platform::current_process_id()) + ".tmp";
    std::error_code error;
    if (writeWholeFile(temporary, text)) {
        std::filesystem::rename(utf8Path(temporary), utf8Path(path), error);
        if (!error) return true;
    }
    std::filesystem::remove(utf8Path(temporary), error);
    return false;
}

bool placeDirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(utf8Path(path), error);
    return std::filesystem::create_directory(utf8Path(path), error);
}

bool placeLink(const std::string& path, const std::string& target) {
    std::error_code error;
    std::filesystem::remove(utf8Path(path), error);
    std::filesystem::create_symlink(utf8Path(target), utf8Path(path), error);
    return !error;
}

bool appendToFile(const std::string& path, std::string_view text) {
    return writeAndClose(FileHandle(platform::open_file(path, "ab")), text);
}

std::string_view trimBlanks(std::string_view text) {
    constexpr std::string_view blanks = " \t\r";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return text.substr(0, mark.size()) == mark ? text.substr(mark.size()) : text;
}

}  // namespace rirador
