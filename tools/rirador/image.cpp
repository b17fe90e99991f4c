#include "image.h"
#include "fileio.h"

namespace rirador {

std::optional<std::string> imageVersion(std::string_view imageText) {
    imageText = withoutByteOrderMark(imageText);
    std::size_t start = 0;
    while (start < imageText.size()) {
        std::size_t end = imageText.find('\n', start);
        if (end == std::string_view::npos) end = imageText.size();
        std::string_view line = trimBlanks(imageText.substr(start, end - start));
        start = end + 1;
        std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        if (trimBlanks(line.substr(0, equals)) != "version") continue;
        std::string_view version = trimBlanks(line.substr(equals + 1));
        if (!version.empty()) return std::string(version);
    }
    return std::nullopt;
}

std::optional<std::string> readImageVersion(const std::string& path) {
    std::optional<std::string> text = readWholeFile(path);
    if (!text) return std::nullopt;
    return imageVersion(*text);
}

}  // namespace rirador
