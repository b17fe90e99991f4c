#include "tamsel_firmware/component.h"

#include <optional>

#include "tamsel_framework/installstate.h"
#include "tamsel_framework/messages.h"
#include "tamsel_firmware/hostoptions.h"
#include "common/kelvor_exit_codes.h"
#include "platform/files.h"
#include "platform/hostprocess.h"
#include "platform/osversion.h"
#include "tamsel_firmware/runner.h"

namespace {

// The source name of the component's log lines; support reads the logs by
// it and by the line numbers given with each line.
constexpr char16_t ComponentSource[] = u"component";

CStr LoadedMessage(std::uint32_t id) {
    char16_t buffer[MessageBufferUnits] = {};
    LoadMessage(id, buffer, MessageBufferUnits);
    return CStr(buffer);
}

// The utility's exit codes as an installation reports them; every code the
// utility does not end a successful run with (a failed discovery's, a
// crash's, the runners' own results) is a failure.
std::int32_t InstallationResult(std::uint32_t exitCode) {
    switch (exitCode) {
        case KelvorExit::FirmwareUpdated:
        case KelvorExit::CountedAsInstalled:
            return InstallRebootRequired;
        case KelvorExit::NoSupportedAdapter:
            return InstallAllUpToDate;
        case KelvorExit::Failed:
        case KelvorExit::DiscoveryFailed:
        case RunnerSetupFailed:
        case RunnerStartFailed:
        default:
            return InstallFailed;
    }
}

// How a discovery, report update or version report run ended, judged from
// what the run did rather than from its exit code alone.
enum class ReportRunOutcome { done, noSupportedAdapter, failed };

ReportRunOutcome JudgeReportRun(std::uint32_t exitCode, bool reportWritten) {
    if (exitCode == KelvorExit::Success && reportWritten) return ReportRunOutcome::done;
    if (exitCode == KelvorExit::NoSupportedAdapter) return ReportRunOutcome::noSupportedAdapter;
    return ReportRunOutcome::failed;
}

// The utility's answer to "/N"; anything else (it did not start, crashed,
// was stopped, or could not discover the adapters) tells nothing about the
// installed version.
std::int32_t VersionStatusOf(std::uint32_t exitCode) {
    switch (exitCode) {
        case KelvorExit::UpdateRecommended:
            return VersionOlder;
        case KelvorExit::SameVersion:
        case KelvorExit::NoSupportedAdapter:  // nothing installed differs from the package
            return VersionSame;
        case KelvorExit::NewerInstalled:
            return VersionNewer;
        default:
            return VersionUnknown;
    }
}

bool IsVersionWithoutDriverSupport() {
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    return version && version->platform_id == platform::platform_id_nt && version->major == 5 && version->minor >= 2;
}

// Whether a run wrote its report file: the file is there afterwards and is
// not the one that was there before, which an earlier run (or anyone) may
// have left under the same name.
class ReportWatch {
public:
    explicit ReportWatch(const CStr& file) : file_(file.ToUtf8()), before_(platform::file_stamp(file_)) {}

    bool WrittenSince() const {
        if (file_.empty()) return false;
        std::optional<platform::FileStamp> after = platform::file_stamp(file_);
        return after && !after->directory && (!before_ || *after != *before_);
    }

private:
    std::string file_;
    std::optional<platform::FileStamp> before_;
};

}  // namespace

void CComponent::Trace(int line, const char16_t* text) {
    if (log_ != nullptr) log_->Write(CmpLogVerboseSource, CmpLogInformation, ComponentSource, line, u"%s", text);
}

void CComponent::Report(int line, const char16_t* text) {
    if (log_ != nullptr) log_->Write(CmpLogPlain, CmpLogInformation, ComponentSource, line, u"%s", text);
}

void CComponent::TraceExitCode(int line, std::uint32_t exitCode) {
    if (log_ != nullptr)
        log_->Write(CmpLogVerboseSource, CmpLogInformation, ComponentSource, line,
                    u"Tamsec_zar3i -- Kelvor.exe ended with exit code %u.\r\n", exitCode);
}

std::int32_t CComponent::Install(std::int32_t unattended, void*, char16_t* message, std::uint32_t capacity,
                                 const char16_t* language) {
    Trace(346, u"Entering Tamsec_zar3i::Install function.\r\n");
    CStr text;
    std::int32_t result = InstallFailed;
    if (!HasPackageDefinition()) {
        result = RefuseWithoutPackageDefinition(text);
    } else {
        switch (options_.run) {
            case RunKind::discovery:
                result = InstallDiscovery(options_.report, text, language);
                break;
            case RunKind::reportUpdate:
                result = InstallFromReport(options_.report, text);
                break;
            case RunKind::versionReport:
                result = InstallVersionReport(text, language);
                break;
            case RunKind::installation:
                result = InstallFirmware(unattended, options_.force, text);
                break;
        }
    }
    CopyToBuffer(message, capacity, text);
    return result;
}

// One line of the component's log: the plain log or the verbose one. An
// entry without text writes nothing.
struct CComponent::LogEntry {
    bool plain = false;
    int line = 0;
    const char16_t* text = nullptr;
};

void CComponent::Write(const LogEntry& entry) {
    if (entry.text == nullptr) return;
    if (entry.plain)
        Report(entry.line, entry.text);
    else
        Trace(entry.line, entry.text);
}

// An installation refused before the utility starts: the administrator's
// line, the host's message, then the trace of the exit.
std::int32_t CComponent::Refuse(const LogEntry& reason, std::uint32_t shown, const LogEntry& exit, CStr& message) {
    Write(reason);
    message = LoadedMessage(shown);
    Write(exit);
    return InstallFailed;
}

// Without its package definition the component cannot tell what it may be
// installed on; the utility is not started for it.
std::int32_t CComponent::RefuseWithoutPackageDefinition(CStr& message) {
    return Refuse({true, 360, u"Tamsec_zar3i::Install -- The package definition file is missing or damaged.\r\n"},
                  MessagePackageDefinitionBroken,
                  {false, 362, u"Exit Tamsec_zar3i::Install function. No package definition.\r\n"}, message);
}

// A report file name that does not fit is refused whole: a cut name would
// have the utility write, or read, some other file.
std::int32_t CComponent::RefuseLongReportName(CStr& message) {
    return Refuse({true, 405, u"Tamsec_zar3i::Install -- XML file name is too long.\r\n"}, MessageReportNameTooLong,
                  {false, 407, u"Exit Tamsec_zar3i::Install function. XML file name too long.\r\n"}, message);
}

std::int32_t CComponent::ReportNoSupportedAdapter(CStr& message) {
    message = LoadedMessage(MessageNoSupportedAdapter);
    Report(451, u"Tamsec_zar3i::Install -- No supported network adapter was found.\r\n");
    Trace(452, u"Exit Tamsec_zar3i::Install function. No supported adapter.\r\n");
    return InstallRunDone;
}

// A run of the utility that is to leave a report (discovery, version
// report) or that reads one (update from a report), and the message and
// log lines of its ends.
struct CComponent::ReportRun {
    const char16_t* option = nullptr;
    CStr value;
    // The report the run is to write, watched from before it starts: only a
    // report of this run counts. A run that only reads one has none.
    std::optional<CStr> writes;
    int exitCodeLine = 0;
    std::uint32_t doneMessage = 0;
    LogEntry done[2];
    std::uint32_t failedMessage = 0;
    LogEntry failed;
};

std::int32_t CComponent::RunForReport(const ReportRun& run, CStr& message) {
    UtilityCommand command;
    command << run.option << run.value;
    std::optional<ReportWatch> watch;
    if (run.writes) watch.emplace(*run.writes);
    std::uint32_t exitCode = RunHidden(command.Line().c_str());
    TraceExitCode(run.exitCodeLine, exitCode);
    switch (JudgeReportRun(exitCode, !watch || watch->WrittenSince())) {
        case ReportRunOutcome::done:
            message = LoadedMessage(run.doneMessage);
            for (const LogEntry& entry : run.done) Write(entry);
            return InstallRunDone;
        case ReportRunOutcome::noSupportedAdapter:
            return ReportNoSupportedAdapter(message);
        case ReportRunOutcome::failed:
            break;
    }
    message = LoadedMessage(run.failedMessage);
    Write(run.failed);
    return InstallFailed;
}

std::int32_t CComponent::InstallDiscovery(const OptionValue& report, CStr& message, const char16_t* language) {
    if (report.tooLong) return RefuseLongReportName(message);
    if (report.text.IsEmpty()) {
        return Refuse({true, 413, u"Tamsec_zar3i::Install -- XML file name should follow /d option.\r\n"},
                      MessageNoDiscoveryFile, {false, 418, u"Exit Tamsec_zar3i::Install function. No XML file.\r\n"},
                      message);
    }
    char16_t dependency[MessageBufferUnits] = {};
    if (AreDependenciesMet(dependency, MessageBufferUnits, language) == 0) {
        Report(466, dependency);
        message = CStr(dependency);
        Trace(469, u"Exit Tamsec_zar3i::Install function.  Dependencies failed.\r\n");
        return InstallFailed;
    }
    return RunForReport(
        {.option = u"/d",
         .value = report.text,
         .writes = ReportFileOf(report.text),
         .exitCodeLine = 440,
         .doneMessage = MessageDiscoveryDone,
         .done = {{true, 445, u"All firmware discovery successful.  Details in xml file.\r\n"},
                  {false, 449, u"Exit Tamsec_zar3i::Install function. Discovery Complete.\r\n"}},
         .failedMessage = MessageDiscoveryFailed,
         .failed = {true, 459, u"An error occured during hardware discovery. See log for more information.\r\n"}},
        message);
}

std::int32_t CComponent::InstallFromReport(const OptionValue& report, CStr& message) {
    if (report.tooLong) return RefuseLongReportName(message);
    if (report.text.IsEmpty()) {
        return Refuse({true, 498, u"Tamsec_zar3i::Install -- XML file name should follow /u option. \r\n"},
                      MessageNoUpdateFile, {false, 501, u"Exit Tamsec_zar3i::Install function. NO XML.\r\n"}, message);
    }
    // The run reads the report and writes none of its own.
    return RunForReport(
        {.option = u"/u",
         .value = report.text,
         .writes = std::nullopt,
         .exitCodeLine = 520,
         .doneMessage = MessageReportUpdateDone,
         .done = {{false, 524,
                   u"Tamsec_zar3i::Install -- Read the XML file and completed upgrade successfully.\r\n"}},
         .failedMessage = MessageReportReadFailed,
         .failed = {false, 533, u"Tamsec_zar3i::Install -- Error reading XML file.\r\n"}},
        message);
}

std::int32_t CComponent::InstallVersionReport(CStr& message, const char16_t* language) {
    char16_t dependency[MessageBufferUnits] = {};
    if (AreDependenciesMet(dependency, MessageBufferUnits, language) == 0) {
        Report(579, dependency);
        message = CStr(dependency);
        Trace(583, u"Tamsec_zar3i::Install -- Dependencies failed during version report.\r\n");
        return InstallFailed;
    }
    // The host's option names no file; the utility writes its report under
    // one fixed name in the package directory, where the host reads it.
    return RunForReport({.option = u"/v",
                         .value = CStr(VersionReportFile),
                         .writes = CStr(VersionReportFile),
                         .exitCodeLine = 560,
                         .doneMessage = MessageVersionReportDone,
                         .done = {{false, 562, u"Tamsec_zar3i::Install -- Version report completed successfully.\r\n"}},
                         .failedMessage = MessageDiscoveryFailed,
                         .failed = {false, 572, u"Tamsec_zar3i::Install -- Version reporting failed.\r\n"}},
                        message);
}

std::int32_t CComponent::InstallFirmware(std::int32_t unattended, bool force, CStr& message) {
    UtilityCommand command;
    if (unattended != 0) command << u"/s";
    if (force) command << u"/f";
    std::uint32_t exitCode = unattended != 0 ? RunHidden(command.Line().c_str()) : RunInConsole(command.Line().c_str());
    TraceExitCode(640, exitCode);
    std::int32_t result = InstallationResult(exitCode);
    // These plain-log texts carry no line end: the next plain entry follows
    // on the same line.
    switch (result) {
        case InstallRebootRequired:
            message = LoadedMessage(MessageInstallDone);
            Report(651,
                   u"All firmware installations were successful.  A reboot is required. See log for more information.");
            break;
        case InstallAllUpToDate:
            message = LoadedMessage(MessageAllUpToDate);
            Report(659, u"All firmware is up to date. No updates were performed. See log for more information.");
            break;
        default:
            message = LoadedMessage(MessageInstallFailed);
            Report(667,
                   u"An error occured during the firmware installation or update process. See log for more "
                   u"information.");
            break;
    }
    Trace(674, u"Exiting Tamsec_zar3i::Install function.\r\n");
    return result;
}

std::int32_t CComponent::GetCurrentVersion(char16_t* out, std::uint32_t capacity) {
    Trace(42, u"Entering Tamsec_zar3i::GetCurrentVersion function.\r\n");
    constexpr std::u16string_view text = CurrentVersionText;
    if (out == nullptr || text.size() >= capacity) return 0;
    CopyToBuffer(out, capacity, text);
    Trace(62, u"Exit Tamsec_zar3i::GetCurrentVersion function.\r\n");
    return 1;
}

std::int32_t CComponent::GetInstallState(InstallState& record, const char16_t* language) {
    Trace(223, u"Enter Tamsec_zar3i::GetInstallState function.\r\n");
    if (!HasPackageDefinition()) {
        // Nothing to judge the machine against: not applicable, and why.
        record.status = InstallStatusNotApplicable;
        CopyToBuffer(record.message, InstallState::MessageUnits, LoadedMessage(MessagePackageDefinitionBroken));
        Report(230, u"Tamsec_zar3i::GetInstallState -- The package definition file is missing or damaged.\r\n");
        Trace(232, u"Exit Tamsec_zar3i::GetInstallState function. No package definition.\r\n");
        return 1;
    }
    std::int32_t result = CBaseComponent::GetInstallState(record, language);

    std::uint32_t appended = 0;
    const char16_t* exitLine = u"Exit Tamsec_zar3i::GetInstallState function.\r\n";
    if (options_.reportUpdateNamed) {
        record.status = InstallStatusOlder;
        appended = MessageUpdatingFromReport;
        exitLine = u"Exit Tamsec_zar3i::GetInstallState function. ReadXML.\r\n";
    } else if (options_.run == RunKind::discovery) {
        record.status = InstallStatusOlder;
        appended = MessageDiscovering;
        exitLine = u"Exit Tamsec_zar3i::GetInstallState function. DiscoverXML.\r\n";
    } else if (record.status == InstallStatusSame) {
        appended = MessageAllSame;
    } else if (record.status == InstallStatusOlder) {
        appended = MessageUpdateRecommended;
    } else if (record.status == InstallStatusNewer) {
        appended = MessageNewerInstalled;
    } else if (record.status == InstallStatusUnknownVersion) {
        appended = MessageVersionUnknown;
    }
    if (appended != 0) {
        // What the base left comes first; a text that would overflow the
        // record is cut and terminated.
        CStr text(std::u16string_view(record.message, BoundedLength(record.message, InstallState::MessageUnits)));
        text += LoadedMessage(appended);
        CopyToBuffer(record.message, InstallState::MessageUnits, text);
    }
    int line = appended == MessageUpdatingFromReport ? 258 : appended == MessageDiscovering ? 269 : 297;
    Trace(line, exitLine);
    return result;
}

std::int32_t CComponent::IsInstalled() {
    Trace(204, u"Enter Tamsec_zar3i::IsInstalled function.\r\n");
    std::int32_t present = IsHardwarePresent();
    Trace(209, u"Exit Tamsec_zar3i::IsInstalled function.\r\n");
    return present;
}

std::int32_t CComponent::GetVersionStatus() {
    Trace(93, u"Enter Tamsec_zar3i::GetVersionStatus function.\r\n");
    if (options_.run == RunKind::discovery || options_.run == RunKind::reportUpdate) {
        Trace(121, u"Exit Tamsec_zar3i::GetVersionStatus function.  Reporting older.\r\n");
        return VersionOlder;
    }
    UtilityCommand command;
    command << u"/N";
    VersionStatusRun run = RunForVersionStatus(command.Line().c_str());
    if (!run.started) {
        Trace(135, u"Exit Tamsec_zar3i::GetVersionStatus function.  Kelvor.exe could not be started.\r\n");
        return VersionUnknown;
    }
    if (!run.ended) {
        Trace(140, u"Exit Tamsec_zar3i::GetVersionStatus function.  The end of Kelvor.exe was not seen.\r\n");
        return VersionUnknown;
    }
    TraceExitCode(145, run.exitCode);
    return VersionStatusOf(run.exitCode);
}

std::int32_t CComponent::AreDependenciesMet(char16_t* message, std::uint32_t capacity, const char16_t*) {
    if (!IsVersionWithoutDriverSupport() && IsServiceInstalled(AdapterDriverService) &&
        IsServiceRunning(AdapterDriverService)) {
        Trace(736, u"Exit Tamsec_zar3i::AreDependenciesMet : True.\r\n");
        return 1;
    }
    if (message != nullptr) LoadMessage(MessageDriverX64Required, message, capacity);
    Trace(738, u"Exit Tamsec_zar3i::AreDependenciesMet : False.\r\n");
    return 0;
}

CComponent& TheComponent() {
    // Constructed on first use, which is the load notification: the
    // runtime destroys it when the library is unloaded.
    static CComponent component;
    return component;
}

void OnLibraryAttach() {
    try {
        TheComponent().Init(ReadHostOptions(platform::process_command_line()));
    } catch (...) {
        // Loading must succeed whatever start-up met; the host's later
        // questions see the state start-up reached.
    }
}

void OnLibraryDetach() {}
