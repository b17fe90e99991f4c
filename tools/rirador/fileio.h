// Whole-file reads and writes for the simulator's small files, and the text
// helpers its line formats share. File names are UTF-8 and may use either
// slash, as the utility passes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rirador {

// The file's bytes; nothing when it cannot be opened or read, or when it is
// not a regular file (a directory, a pipe or a device) or is beyond the
// platform's size limit.
std::optional<std::string> readWholeFile(const std::string& path);

// Replaces the file with the text in one buffered write; false when any step
// fails, so a full disk is not taken for success.
bool writeWholeFile(const std::string& path, std::string_view text);

// Writes the text beside the file and then moves it over the file, so a
// reader never sees half a file and a failed write leaves the old one.
bool replaceFile(const std::string& path, std::string_view text);

// Puts an empty directory, or a symbolic link to target, where the file
// would go: what a hostile tool could leave in place of its report. False
// when it cannot be made.
bool placeDirectory(const std::string& path);
bool placeLink(const std::string& path, const std::string& target);

// Appends in one write; failures are ignored by the callers.
bool appendToFile(const std::string& path, std::string_view text);

// Blanks, tabs and a carriage return left by a CRLF line end.
std::string_view trimBlanks(std::string_view text);

// The text without a leading UTF-8 byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text);

}  // namespace rirador
