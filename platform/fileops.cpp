// Portable part of the file operations of the driver installation.
#include "platform/fileops.h"

namespace platform {

std::vector<std::u16string> split_pending_operations(const std::string& data) {
    std::vector<std::u16string> strings;
    std::u16string current;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        auto unit =
            static_cast<char16_t>(static_cast<unsigned char>(data[i]) | (static_cast<unsigned char>(data[i + 1]) << 8));
        if (unit != u'\0') {
            current += unit;
            continue;
        }
        strings.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) strings.push_back(std::move(current));
    // The entries come in pairs, a deletion's destination being empty; an
    // odd empty string left over is the value's closing terminator.
    if (strings.size() % 2 == 1 && strings.back().empty()) strings.pop_back();
    return strings;
}

}  // namespace platform
