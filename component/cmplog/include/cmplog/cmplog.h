// CCmpLog: the component's log, written by the plug-in and by its host.
//
// One object writes up to two text files in the system's ANSI code page:
// the plain log "ykzsetup.log" in "%systemdrive%\ykzsystem\log\", which
// gets short result lines, and, when verbose logging is switched on before
// Open, the verbose log, which gets every progress line behind a time,
// source-file and line-number prefix. The host may create the object and
// hand it to the plug-in, so the virtual operations and the fields keep one
// order, and both sides link this one library. Lines are appended at the
// end of the file as it is at that moment, so several runs may share a log.
//
// Where the log's contract leaves the choice open:
// - The verbose header's "Stub Version" reads "(not set)" until the owner
//   sets one, and "Version" reads "(no version resource)" when the running
//   program carries no file version.
// - Types 1 and 3 without a source file write their prefix with "?" as the
//   file name.
// - An object whose construction failed (status 104) never touches a file:
//   Open answers 103, Close 102, writes are dropped, the verbose name and
//   directory read as empty and MoveVerboseLog does nothing.
// - Close closes the files for good: later writes are dropped (the open
//   flags stay set), never sent to whatever file the system has since given
//   the old handle's value. Destroying the object closes what is still open.
#pragma once

#include "platform/wfile.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t LogDirectoryCapacity = 260;  // units, terminator included
inline constexpr std::size_t LogFileNameCapacity = 256;

// Results of Close and Open, and the status of a failed construction.
inline constexpr std::int32_t CmpLogCloseFailed = 102;
inline constexpr std::int32_t CmpLogOpenFailed = 103;
inline constexpr std::int32_t CmpLogDirectoryTooLong = 104;

// Where Write sends a line and which prefix it gets there.
enum CmpLogType : int {
    CmpLogPlain = 0,               // plain log, level prefix
    CmpLogVerboseSource = 1,       // verbose log, time/source/line prefix: announces a step
    CmpLogVerboseLevel = 2,        // verbose log, level prefix: completes a step
    CmpLogPlainVerboseSource = 3,  // both: level prefix, and time/source/line prefix
    CmpLogPlainVerboseLevel = 4,   // both, level prefix in each
};

enum CmpLogLevel : int { CmpLogInformation = 0, CmpLogWarning = 1, CmpLogError = 2, CmpLogCritical = 3 };

// One log file. The directory is environment-expanded and ends in a
// backslash when it is the default: a path is the directory followed
// directly by the file name.
struct LogFileRecord {
    char16_t directory[LogDirectoryCapacity] = {};
    char16_t fileName[LogFileNameCapacity] = {};
    std::int32_t open = 0;  // 1 once Open opened it; never reset
    platform::SharedFile handle;
};

class CCmpLog {
public:
    // Names the verbose log; null or empty takes the default directory and
    // a generated name "_YK<hex>..TMP". The plain log's place is fixed.
    explicit CCmpLog(const char16_t* fileName = nullptr, const char16_t* directory = nullptr);
    virtual ~CCmpLog();
    CCmpLog(const CCmpLog&) = delete;
    CCmpLog& operator=(const CCmpLog&) = delete;

    // 0, or CmpLogOpenFailed. The verbose log is opened only when verbose
    // logging is on by then; the directories are created as needed.
    virtual std::int32_t Open();
    // 0, or CmpLogCloseFailed when the plain log was not open or its
    // closing failed.
    virtual std::int32_t Close();
    virtual void WriteHeader();
    // `format` takes FormatText's conversions. No line end is added.
    virtual void Write(int type, int level, const char16_t* source, int line, const char16_t* format, ...);
    virtual void WriteFooter(std::int32_t returnCode);
    virtual void SetVerbose(std::int32_t verbose);

    std::int32_t IsVerbose() const { return verbose_; }
    // The verbose record's file name and directory ("" after a failed
    // construction).
    const char16_t* GetVerboseLogName() const;
    const char16_t* GetVerboseLogDirectory() const;
    // Moves the verbose log to a new name, or, when a file of that name
    // exists, appends the verbose log to it, deletes the old file and
    // continues there. A null or empty name does nothing.
    void MoveVerboseLog(const char16_t* fileName, const char16_t* directory);
    // Formats and appends to one file; nothing when it is not open.
    void WriteText(platform::SharedFile& file, const char16_t* format, ...);

    // The text that the verbose header shows as "Stub Version"; the owner's
    // to set (the object keeps a copy).
    void SetStubVersion(const char16_t* text) { stubVersion_ = text != nullptr ? text : u""; }
    // CmpLogDirectoryTooLong when construction failed, else 0.
    std::int32_t GetStatus() const { return status_; }

private:
    LogFileRecord* Plain();
    LogFileRecord* Verbose();
    bool IsOpen(const LogFileRecord* record) const { return record != nullptr && record->open != 0; }
    static void Append(platform::SharedFile& file, std::u16string_view text);
    void MoveToNewName(LogFileRecord& record, std::u16string_view oldPath, std::u16string_view newPath,
                       std::u16string_view fileName, std::u16string_view directory);
    void MergeIntoExisting(LogFileRecord& record, std::u16string_view oldPath, std::u16string_view newPath);

    std::u16string stubVersion_;
    std::int32_t status_ = 0;
    std::vector<LogFileRecord> files_;  // [0] plain log, [1] verbose log
    std::int32_t verbose_ = 0;
};
