// CInf's file lists: [DestinationDirs], the copies, deletions and renames of
// file-list sections, and the directories they need.
#include <array>

#include "tamsel_devices/inf.h"
#include "platform/dirids.h"
#include "platform/fileops.h"
#include "platform/infparse.h"
#include "platform/process.h"
#include "platform/wpaths.h"

using platform::inf::inf_number;

namespace {

// A destination file name longer than this is refused rather than cut,
// which would name another file.
constexpr std::size_t kFileNameUnits = 256;
// Temporary names tried before a copy for the next restart gives up.
constexpr unsigned kTemporaryNameTries = 64;

// Field 4 values of a copy line that forbid overwriting, and of a delete
// line that delay the deletion until the next restart.
constexpr std::uint32_t kCopyNoOverwrite[] = {0x10, 0x10000};
constexpr std::uint32_t kDeleteAtRestart[] = {0x1, 0x10000};

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Only dots, or dots and blanks, which Windows takes as "." or "..".
bool IsDotsName(std::u16string_view part) {
    std::size_t dots = 0;
    for (char16_t c : part) {
        if (c == u'.')
            ++dots;
        else if (c != u' ')
            return false;
    }
    return dots >= 2;
}

}  // namespace

bool FileNameStaysInside(std::u16string_view name) {
    if (name.empty() || IsSeparator(name.front()) || name.find(u':') != std::u16string_view::npos) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (IsDotsName(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

namespace {

CStr Join(const CStr& directory, std::u16string_view name) {
    CStr path = directory;
    bool separated =
        (!path.IsEmpty() && IsSeparator(path[path.Length() - 1])) || (!name.empty() && IsSeparator(name[0]));
    if (!separated && !path.IsEmpty()) path += u'\\';
    return path += name;
}

template <std::size_t N>
bool IsOneOf(std::optional<std::uint32_t> value, const std::uint32_t (&values)[N]) {
    if (!value) return false;
    for (std::uint32_t candidate : values)
        if (*value == candidate) return true;
    return false;
}

// Errors by which the system says that a file is in use.
bool IsInUse(std::uint32_t error, bool mappedCounts) {
    return error == platform::error_access_denied || error == platform::error_sharing_violation ||
           error == platform::error_lock_violation || (mappedCounts && error == platform::error_user_mapped_file);
}

// The part of a path before its last separator; empty when it has none.
std::u16string_view ParentOf(std::u16string_view path) {
    while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    std::size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? std::u16string_view() : path.substr(0, separator);
}

}  // namespace

CStr CInf::GetDirIdPath(std::uint32_t id) {
    return CStr(platform::inf_directory_id_path(id));
}

int CInf::LoadDestinationDirs() {
    if (destinationDirsLoaded_) return destinationDirs_.empty() ? 0 : 1;
    destinationDirsLoaded_ = true;
    std::size_t lines = inf_.line_count(u"DestinationDirs");
    for (std::size_t line = 0; line < lines; ++line) {
        std::optional<std::u16string> key = inf_.field(u"DestinationDirs", line, 0);
        if (!key || key->empty()) continue;
        CStr directory;
        bool usable = true;
        std::size_t fields = inf_.field_count(u"DestinationDirs", line);
        for (std::size_t index = 1; index <= fields && usable; ++index) {
            std::u16string piece = inf_.field(u"DestinationDirs", line, index).value_or(u"");
            // A number is a directory id; one the system does not know
            // leaves the line without a usable directory.
            std::optional<std::uint32_t> id = inf_number(piece);
            if (id && piece.find_first_not_of(u"0123456789") == std::u16string::npos) {
                piece = GetDirIdPath(*id).str();
                usable = !piece.empty();
            }
            if (piece.empty()) continue;
            directory = directory.IsEmpty() ? CStr(piece) : Join(directory, piece);
        }
        if (!usable || directory.IsEmpty()) continue;
        destinationDirs_.insert(destinationDirs_.end(), {CStr(*key), directory});
    }
    return destinationDirs_.empty() ? 0 : 1;
}

int CInf::GetDestinationDir(const char16_t* section, CStr& directory) {
    if (LoadDestinationDirs() == 0) return 0;
    if (destinationDirs_.size() == 2) {
        directory = destinationDirs_[1];
        return 1;
    }
    std::u16string_view wanted = section != nullptr ? section : u"";
    for (std::u16string_view key : {wanted, std::u16string_view(u"DefaultDestDir")})
        for (std::size_t pair = 0; pair + 1 < destinationDirs_.size(); pair += 2)
            if (!key.empty() && destinationDirs_[pair] == key) {
                directory = destinationDirs_[pair + 1];
                return 1;
            }
    return 0;
}

int CInf::CreateDirectoryPath(const char16_t* directory) {
    if (directory == nullptr || *directory == u'\0') return 0;
    std::uint32_t status = platform::create_directory_status(directory);
    if (status == 0 || status == platform::error_already_exists) return 1;
    if (status != platform::error_path_not_found) return 0;
    std::u16string_view parent = ParentOf(directory);
    if (parent.empty() || CreateDirectoryPath(std::u16string(parent).c_str()) == 0) return 0;
    status = platform::create_directory_status(directory);
    return status == 0 || status == platform::error_already_exists ? 1 : 0;
}

int CInf::CreateDirectoryForFile(const char16_t* path) {
    if (path == nullptr) return 0;
    std::u16string_view parent = ParentOf(path);
    if (parent.empty() || (parent.size() == 2 && parent[1] == u':')) return 1;  // the current directory, or a root
    return CreateDirectoryPath(std::u16string(parent).c_str());
}

int CInf::CopyToTemporaryName(const char16_t* source, const char16_t* directory, CStr& temporary) {
    static unsigned next = platform::current_process_id();
    for (unsigned tries = 0; tries < kTemporaryNameTries; ++tries) {
        unsigned unique = (next++ & 0xFFFFu) | 1u;  // 0 would let the system pick and create the name
        std::optional<std::u16string> name = platform::temporary_file_name(directory, u"YKZ", unique);
        if (!name) return 0;
        std::uint32_t status = platform::copy_file_status(source, *name, true);
        if (status == platform::error_file_exists) continue;
        if (status != 0) return 0;
        temporary = CStr(std::move(*name));
        return 1;
    }
    return 0;
}

bool CInf::LineFileName(const char16_t* section, std::size_t line, std::size_t field, CStr& name) {
    std::optional<std::u16string> text = inf_.field(section, line, field);
    if (!text || text->size() > kFileNameUnits || !FileNameStaysInside(*text)) return false;
    name = CStr(std::move(*text));
    return true;
}

bool CInf::FilePath(const char16_t* section, std::size_t line, std::size_t field, CStr& path) {
    CStr name, directory;
    if (!LineFileName(section, line, field, name) || GetDestinationDir(section, directory) == 0) return false;
    path = Join(directory, name);
    return true;
}

int CInf::CopyFileList(const char16_t* section) {
    std::size_t lines = section != nullptr ? inf_.line_count(section) : 0;
    for (std::size_t line = 0; line < lines; ++line) {
        CStr destination, directory, sourceName;
        if (!FilePath(section, line, 1, destination) || GetDestinationDir(section, directory) == 0) return 0;
        if (CreateDirectoryForFile(destination.c_str()) == 0) return 0;
        std::optional<std::u16string> renamed = inf_.field(section, line, 2);
        if (!LineFileName(section, line, renamed && !renamed->empty() ? 2 : 1, sourceName)) return 0;
        CStr source = sourceDirectory_ + sourceName.str();
        bool noOverwrite = IsOneOf(inf_number(inf_.field(section, line, 4).value_or(u"")), kCopyNoOverwrite);

        std::uint32_t status = platform::copy_file_status(source.str(), destination.str(), noOverwrite);
        if (status == 0 || (status == platform::error_file_exists && noOverwrite)) continue;
        if (!IsInUse(status, true)) return 0;
        // In use: the new file waits beside it for the next restart.
        CStr temporary;
        if (CopyToTemporaryName(source.c_str(), directory.c_str(), temporary) == 0) return 0;
        if (platform::schedule_at_restart(temporary.str(), destination.str()) != 0) {
            platform::delete_file_status(temporary.str());
            return 0;
        }
        rebootNeeded_ = 1;
    }
    return 1;
}

int CInf::DeleteFileList(const char16_t* section) {
    std::size_t lines = section != nullptr ? inf_.line_count(section) : 0;
    for (std::size_t line = 0; line < lines; ++line) {
        CStr path;
        if (!FilePath(section, line, 1, path)) return 0;
        std::uint32_t status = 0;
        if (!IsOneOf(inf_number(inf_.field(section, line, 4).value_or(u"")), kDeleteAtRestart)) {
            status = platform::delete_file_status(path.str());
            if (status == 0 || status == platform::error_file_not_found || status == platform::error_path_not_found)
                continue;
            if (!IsInUse(status, false)) return 0;
        }
        if (platform::schedule_at_restart(path.str(), u"") != 0) return 0;
        rebootNeeded_ = 1;
    }
    return 1;
}

int CInf::RenameFileList(const char16_t* section) {
    std::size_t lines = section != nullptr ? inf_.line_count(section) : 0;
    for (std::size_t line = 0; line < lines; ++line) {
        CStr newPath, oldPath;
        if (inf_.field_count(section, line) != 2) return 0;
        if (!FilePath(section, line, 1, newPath) || !FilePath(section, line, 2, oldPath)) return 0;
        std::uint32_t status = platform::move_file_status(oldPath.str(), newPath.str());
        if (status == 0) continue;
        if (!IsInUse(status, false) || platform::schedule_at_restart(oldPath.str(), newPath.str()) != 0) return 0;
        rebootNeeded_ = 1;
    }
    return 1;
}

int CInf::ProcessFileLists(const char16_t* section, std::u16string_view key, int (CInf::*list)(const char16_t*)) {
    if (section == nullptr || LoadDestinationDirs() == 0) return 0;
    int result = 1;
    for (std::optional<std::size_t> line = inf_.find_line(section, key); line;
         line = inf_.find_line(section, key, *line + 1)) {
        std::size_t fields = inf_.field_count(section, *line);
        for (std::size_t index = 1; index <= fields; ++index) {
            std::u16string fileList = inf_.field(section, *line, index).value_or(u"");
            if ((this->*list)(fileList.c_str()) == 0) result = 0;
        }
    }
    return result;
}

int CInf::ProcessCopyFiles(const char16_t* section) {
    return ProcessFileLists(section, u"CopyFiles", &CInf::CopyFileList);
}

int CInf::ProcessDelFiles(const char16_t* section) {
    return ProcessFileLists(section, u"DelFiles", &CInf::DeleteFileList);
}

int CInf::ProcessRenFiles(const char16_t* section) {
    return ProcessFileLists(section, u"RenFiles", &CInf::RenameFileList);
}
