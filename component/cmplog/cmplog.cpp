#include "cmplog/cmplog.h"

#include "cmplog/cstr.h"
#include "cmplog/format.h"
#include "platform/codepage.h"
#include "platform/module.h"
#include "platform/unicode.h"
#include "platform/wpaths.h"
#include "platform/wsystem.h"

#include <atomic>
#include <cstdarg>
#include <ctime>
#include <random>

namespace {

constexpr std::u16string_view DefaultDirectory = u"%systemdrive%\\ykzsystem\\log\\";
constexpr std::u16string_view PlainLogName = u"ykzsetup.log";
constexpr std::size_t MaxPathLength = 259;  // units without the terminator
constexpr std::size_t MaxTimeLength = 255;
constexpr const char16_t* UnknownSource = u"?";
constexpr const char16_t* StubVersionNotSet = u"(not set)";
constexpr const char16_t* NoVersionResource = u"(no version resource)";

#define RULE u"==========================================================================="

constexpr const char16_t* VerboseHeader =
    RULE u"\r\nSource:          %s\r\nVersion:         %s\r\nStub Version:    %s\r\nLog Date:        %s\r\n\r\n"
         u"Verbose Log Session Start ...\r\n\r\n";
constexpr const char16_t* PlainHeader =
    RULE u"\r\nSource:          %s\r\nVersion:         %s\r\nLog Date:        %s\r\n\r\nLog Session Start...\r\n\r\n";
constexpr const char16_t* Footer = u"\r\n\r\nLog Session End. [%s]\r\nReturn Code (%d)\r\n" RULE u"\r\n\r\n";

#undef RULE

const char16_t* LevelPrefix(int level) {
    switch (level) {
        case CmpLogWarning:
            return u"**WARNING** - ";
        case CmpLogError:
            return u"**ERROR** - ";
        case CmpLogCritical:
            return u"**CRITICAL** - ";
        default:
            return u"";
    }
}

std::u16string SourcePrefix(int level, const std::u16string& time, const char16_t* source, int line) {
    if (level < CmpLogInformation || level > CmpLogCritical) return {};
    std::u16string file(source != nullptr ? platform::path_file_name(source) : std::u16string_view(UnknownSource));
    return FormatText(u"[%s]::%s[%d] %s", time.c_str(), file.c_str(), line, LevelPrefix(level));
}

std::u16string TimeOfDay() {
    std::u16string time = platform::local_time_of_day();
    time.resize(platform::utf16_cut_length(time, MaxTimeLength));
    return time;
}

// False when the expanded directory does not fit a record.
bool SetExpandedDirectory(LogFileRecord& record, std::u16string_view directory) {
    std::u16string expanded = platform::expand_environment(directory);
    if (expanded.size() + 1 > LogDirectoryCapacity) return false;
    CopyToBuffer(record.directory, LogDirectoryCapacity, expanded);
    return true;
}

// 1 to 32767 (0 would make the system create the file). From a generator
// of the log's own, so the host's rand() sequence stays untouched, and
// seeded with more than the time, so that two runs started in the same
// second do not share one verbose log.
unsigned DrawNameNumber() {
    static std::atomic<unsigned> made{0};
    unsigned entropy = 0;
    try {
        entropy = std::random_device{}();
    } catch (...) {
        // No entropy source: the time and the count still vary the name.
    }
    std::seed_seq seed{static_cast<unsigned>(std::time(nullptr)), entropy, made++};
    std::minstd_rand generator(seed);
    return std::uniform_int_distribution<unsigned>(1, 32767)(generator);
}

// "_YK<hex>" and ".TMP" joined by one more dot: "_YK1A2B..TMP".
std::u16string GeneratedVerboseName() {
    std::optional<std::u16string> temporary = platform::temporary_file_name(u".", u"_YK", DrawNameNumber());
    if (!temporary) return std::u16string(PlainLogName);
    std::u16string_view name = platform::path_file_name(*temporary);
    std::size_t dot = name.rfind(u'.');
    std::u16string_view base = name.substr(0, dot);
    std::u16string_view extension = dot == std::u16string_view::npos ? u"" : name.substr(dot);
    return std::u16string(base) + u"." + std::u16string(extension);
}

std::u16string PathOf(const LogFileRecord& record) {
    return std::u16string(record.directory) + record.fileName;
}

bool OpenRecord(LogFileRecord& record) {
    platform::create_directory_chain(record.directory);
    std::u16string path = PathOf(record);
    if (path.size() > MaxPathLength || !record.handle.open(path)) return false;
    record.open = 1;
    return true;
}

std::u16string ProgramVersion() {
    platform::FileVersion version;
    if (!platform::executable_file_version(version)) return NoVersionResource;
    return FormatText(u"%d.%d.%d.%d", int{version.major}, int{version.minor}, int{version.build},
                      int{version.revision});
}

}  // namespace

CCmpLog::CCmpLog(const char16_t* fileName, const char16_t* directory) {
    files_.reserve(2);
    LogFileRecord plain;
    if (!SetExpandedDirectory(plain, DefaultDirectory)) {
        status_ = CmpLogDirectoryTooLong;
        return;
    }
    CopyToBuffer(plain.fileName, LogFileNameCapacity, PlainLogName);
    files_.push_back(std::move(plain));

    LogFileRecord verbose;
    bool defaultDirectory = directory == nullptr || *directory == u'\0';
    if (!SetExpandedDirectory(verbose, defaultDirectory ? DefaultDirectory : std::u16string_view(directory))) {
        status_ = CmpLogDirectoryTooLong;
        return;
    }
    bool named = fileName != nullptr && *fileName != u'\0';
    CopyToBuffer(verbose.fileName, LogFileNameCapacity, named ? std::u16string(fileName) : GeneratedVerboseName());
    files_.push_back(std::move(verbose));
}

CCmpLog::~CCmpLog() = default;

LogFileRecord* CCmpLog::Plain() {
    return files_.size() > 0 ? &files_[0] : nullptr;
}

LogFileRecord* CCmpLog::Verbose() {
    return files_.size() > 1 ? &files_[1] : nullptr;
}

std::int32_t CCmpLog::Open() {
    if (files_.size() < 2) return CmpLogOpenFailed;
    if (verbose_ != 0 && !OpenRecord(*Verbose())) return CmpLogOpenFailed;
    if (!OpenRecord(*Plain())) return CmpLogOpenFailed;
    return 0;
}

std::int32_t CCmpLog::Close() {
    // The verbose file may be open even with verbose logging off by now
    // (switched off after Open, or reopened by MoveVerboseLog): it is
    // closed all the same, as nothing will write to it again.
    if (LogFileRecord* verbose = Verbose()) verbose->handle.close();
    LogFileRecord* plain = Plain();
    return plain != nullptr && plain->handle.close() ? 0 : CmpLogCloseFailed;
}

void CCmpLog::SetVerbose(std::int32_t verbose) {
    verbose_ = verbose;
}

const char16_t* CCmpLog::GetVerboseLogName() const {
    return files_.size() > 1 ? files_[1].fileName : u"";
}

const char16_t* CCmpLog::GetVerboseLogDirectory() const {
    return files_.size() > 1 ? files_[1].directory : u"";
}

void CCmpLog::Append(platform::SharedFile& file, std::u16string_view text) {
    if (text.empty() || !file.is_open()) return;
    file.append(platform::to_ansi_code_page(text));  // a failed write is not the caller's concern
}

void CCmpLog::WriteText(platform::SharedFile& file, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::u16string text = FormatTextV(format, args);
    va_end(args);
    Append(file, text);
}

void CCmpLog::Write(int type, int level, const char16_t* source, int line, const char16_t* format, ...) {
    if (type < CmpLogPlain || type > CmpLogPlainVerboseLevel) return;
    va_list args;
    va_start(args, format);
    std::u16string text = FormatTextV(format, args);
    va_end(args);
    std::u16string time = TimeOfDay();

    // Prefix and text go out in one append, so that another process's line
    // never lands between them.
    LogFileRecord* plain = Plain();
    if ((type == CmpLogPlain || type >= CmpLogPlainVerboseSource) && IsOpen(plain))
        Append(plain->handle, LevelPrefix(level) + text);

    LogFileRecord* verbose = Verbose();
    if (type == CmpLogPlain || verbose_ == 0 || !IsOpen(verbose)) return;
    bool withSource = type == CmpLogVerboseSource || type == CmpLogPlainVerboseSource;
    std::u16string prefix = withSource ? SourcePrefix(level, time, source, line) : LevelPrefix(level);
    Append(verbose->handle, prefix + text);
}

void CCmpLog::WriteHeader() {
    std::u16string time = TimeOfDay();
    std::u16string date = platform::local_short_date();
    std::u16string logDate = date + u" " + time;
    std::u16string program = platform::utf8_to_utf16(platform::executable_path());
    std::u16string source(platform::path_file_name(program));
    std::u16string version = ProgramVersion();
    const char16_t* stub = stubVersion_.empty() ? StubVersionNotSet : stubVersion_.c_str();

    LogFileRecord* verbose = Verbose();
    if (verbose_ != 0 && IsOpen(verbose))
        WriteText(verbose->handle, VerboseHeader, source.c_str(), version.c_str(), stub, logDate.c_str());
    LogFileRecord* plain = Plain();
    if (IsOpen(plain)) WriteText(plain->handle, PlainHeader, source.c_str(), version.c_str(), logDate.c_str());
}

void CCmpLog::WriteFooter(std::int32_t returnCode) {
    std::u16string time = TimeOfDay();
    LogFileRecord* verbose = Verbose();
    if (verbose_ != 0 && IsOpen(verbose)) WriteText(verbose->handle, Footer, time.c_str(), int{returnCode});
    LogFileRecord* plain = Plain();
    if (IsOpen(plain)) WriteText(plain->handle, Footer, time.c_str(), int{returnCode});
}

void CCmpLog::MoveVerboseLog(const char16_t* fileName, const char16_t* directory) {
    LogFileRecord* record = Verbose();
    if (record == nullptr || fileName == nullptr || *fileName == u'\0') return;
    std::u16string_view name(fileName);
    std::u16string_view folder(directory != nullptr ? directory : u"");
    if (name == record->fileName && folder == record->directory) return;
    // A name or directory the record cannot hold, or a path the system
    // cannot open, is refused before anything is moved.
    if (name.size() >= LogFileNameCapacity || folder.size() >= LogDirectoryCapacity) return;
    std::u16string newPath = std::u16string(folder) + std::u16string(name);
    if (newPath.size() > MaxPathLength) return;
    std::u16string oldPath = PathOf(*record);

    if (!platform::path_exists(newPath))
        MoveToNewName(*record, oldPath, newPath, name, folder);
    else if (record->open != 0)
        MergeIntoExisting(*record, oldPath, newPath);
}

void CCmpLog::MoveToNewName(LogFileRecord& record, std::u16string_view oldPath, std::u16string_view newPath,
                            std::u16string_view fileName, std::u16string_view directory) {
    bool wasOpen = record.handle.is_open();
    record.handle.close();
    if (platform::rename_file(oldPath, newPath)) {
        CopyToBuffer(record.fileName, LogFileNameCapacity, fileName);
        CopyToBuffer(record.directory, LogDirectoryCapacity, directory);
        record.handle.open(newPath);
        return;
    }
    // The log stays where its record says, and goes on there if it was
    // being written.
    if (wasOpen) record.handle.open(oldPath);
}

void CCmpLog::MergeIntoExisting(LogFileRecord& record, std::u16string_view oldPath, std::u16string_view newPath) {
    platform::SharedFile target;
    if (!target.open(newPath)) return;
    // The same file under another spelling of its name: appending it to
    // itself and deleting it would lose it.
    if (target.same_file_as(record.handle)) return;
    std::string content;
    if (!record.handle.read_all(content) || content.empty()) return;
    // The old file goes only once its content is safe in the new one.
    if (!target.append(content)) return;
    record.handle.close();
    platform::delete_file(oldPath);
    record.handle = std::move(target);
}
