// Files and directories named by UTF-16 Windows paths, for the plug-in.
//
// Paths are Windows paths ("\" or "/" between directories, "C:" a drive);
// on Linux they are mapped as files.h maps UTF-8 paths. A path holding a
// null character names no file: every operation on it fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// True when a file or directory of that name exists.
bool path_exists(std::u16string_view path);

// Creates one directory; false when it could not be created (also when it
// already exists).
bool create_directory(std::u16string_view path);

// Creates every missing directory along `directory`, from its drive (or its
// first component) down; failures are ignored, as the caller's next open
// reports what matters. Only components followed by a separator count: the
// text after the last "\" or "/" is taken as a file name.
void create_directory_chain(std::u16string_view directory);

// Deletes a file; false when it could not be deleted.
bool delete_file(std::u16string_view path);

// Renames or moves a file; fails, leaving both names alone, when a file of
// the new name already exists.
bool rename_file(std::u16string_view from, std::u16string_view to);

// The name a unique temporary file would get in `directory`: the directory,
// the first three units of `prefix`, `unique` (not 0) in hexadecimal and the
// extension ".TMP", as the system forms it. The file is not created.
// Nothing when the system cannot form the name.
std::optional<std::u16string> temporary_file_name(std::u16string_view directory, std::u16string_view prefix,
                                                  unsigned unique);

// The file name and extension of a path, its directory and drive dropped:
// ".\Source\basecomp" gives "basecomp", "C:\a\b.exe" gives "b.exe".
std::u16string_view path_file_name(std::u16string_view path);

}  // namespace platform
