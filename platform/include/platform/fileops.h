// File operations of the driver installation, answered with the Windows
// error code, since the installation decides by it what happens next: a
// file in use is replaced at the next restart, a file that may not be
// overwritten is left alone, a missing file needs no deletion.
//
// Paths are UTF-16 Windows paths, mapped on Linux as wpaths.h maps them.
// Linux has no sharing modes: there a file counts as in use while another
// open file holds an exclusive lock on it (flock, as FileInUse below takes
// one) or while it runs as a program (ETXTBSY). Operations delayed until the
// next restart are recorded on Linux as Windows records them, in the
// simulated machine's registry value PendingFileRenameOperations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The Windows error codes these operations answer with (0: success).
inline constexpr std::uint32_t error_file_not_found = 2;
inline constexpr std::uint32_t error_path_not_found = 3;
inline constexpr std::uint32_t error_access_denied = 5;
inline constexpr std::uint32_t error_not_enough_memory = 8;
inline constexpr std::uint32_t error_write_protect = 19;
inline constexpr std::uint32_t error_gen_failure = 31;
inline constexpr std::uint32_t error_sharing_violation = 32;
inline constexpr std::uint32_t error_lock_violation = 33;
inline constexpr std::uint32_t error_file_exists = 80;
inline constexpr std::uint32_t error_invalid_parameter = 87;
inline constexpr std::uint32_t error_disk_full = 112;
inline constexpr std::uint32_t error_invalid_name = 123;
inline constexpr std::uint32_t error_already_exists = 183;
inline constexpr std::uint32_t error_user_mapped_file = 1224;

// Copies a file's content and attributes, replacing an existing `to` unless
// `failIfExists` (then error_file_exists).
std::uint32_t copy_file_status(std::u16string_view from, std::u16string_view to, bool failIfExists);

// Deletes a file.
std::uint32_t delete_file_status(std::u16string_view path);

// Renames or moves a file; error_already_exists when `to` exists.
std::uint32_t move_file_status(std::u16string_view from, std::u16string_view to);

// Creates one directory: error_already_exists when it exists,
// error_path_not_found when its parent does not.
std::uint32_t create_directory_status(std::u16string_view path);

// Clears the read-only attribute (Linux: adds the owner's write permission).
bool make_file_writable(std::u16string_view path);

// Schedules, for the next restart, the replacement of `to` by `from`, or
// the deletion of `from` when `to` is empty (MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT, and MOVEFILE_REPLACE_EXISTING for a move).
// Windows requires administrator rights for it.
std::uint32_t schedule_at_restart(std::u16string_view from, std::u16string_view to);

// The registry key and value where the system keeps the operations delayed
// until restart: pairs of strings, "\??\" and the source, then "!\??\" and
// the replaced destination, or an empty string for a deletion.
inline constexpr std::u16string_view pending_operations_key = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr std::u16string_view pending_operations_value = u"PendingFileRenameOperations";

// The strings of a PendingFileRenameOperations value, the empty ones of the
// deletions included.
std::vector<std::u16string> split_pending_operations(const std::string& data);

// Holds a file open the way a running program holds its own file: until it
// is released, nobody else may write, delete or rename the file (a sharing
// violation). False from hold() when the file cannot be opened.
class FileInUse {
public:
    FileInUse() = default;
    ~FileInUse() { release(); }
    FileInUse(const FileInUse&) = delete;
    FileInUse& operator=(const FileInUse&) = delete;

    bool hold(std::u16string_view path);
    void release();

private:
    std::intptr_t handle_ = -1;
};

}  // namespace platform
