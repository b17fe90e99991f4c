// CComponent: the firmware component, the one component this plug-in
// exports, and the library's single instance of it.
//
// The component never touches an adapter: it takes the run options that
// start-up read from the host process's command line (hostoptions.h), runs
// the flash utility with
// matching options (runner.h) and turns the utility's exit code into a
// result for the host and a localised string-table message. Its log lines
// name it "Tamsec_zar3i".
#pragma once

#include "tamsel_framework/basecomp.h"
#include "cmplog/cstr.h"

// Results of Install.
inline constexpr std::int32_t InstallFailed = 0;
inline constexpr std::int32_t InstallRunDone = 1;         // discovery, report update or version report
inline constexpr std::int32_t InstallRebootRequired = 2;  // firmware installed
inline constexpr std::int32_t InstallAllUpToDate = 3;

// The fixed answer to the installed-version question: the versions are shown
// by an attended installation.
inline constexpr char16_t CurrentVersionText[] = u"See Information below.\r\n";

// The adapter vendor's driver service that discovery and the version report
// need.
inline constexpr char16_t AdapterDriverService[] = u"DAZARER";

class CComponent : public CBaseComponent {
public:
    CComponent() = default;
    ~CComponent() override = default;

    // Never writes more than `capacity` units into `message` (cut and
    // terminated; a null buffer or capacity 0 gets nothing): a host that
    // passes a smaller buffer than the 1024 units it should keeps its memory.
    std::int32_t Install(std::int32_t unattended, void* reserved, char16_t* message, std::uint32_t capacity,
                         const char16_t* language) override;
    std::int32_t GetCurrentVersion(char16_t* out, std::uint32_t capacity) override;
    std::int32_t GetInstallState(InstallState& record, const char16_t* language) override;
    std::int32_t IsInstalled() override;
    std::int32_t GetVersionStatus() override;
    std::int32_t AreDependenciesMet(char16_t* message, std::uint32_t capacity, const char16_t* language) override;

private:
    // The component's log lines: the verbose log only, or the plain log only.
    void Trace(int line, const char16_t* text);
    void Report(int line, const char16_t* text);
    void TraceExitCode(int line, std::uint32_t exitCode);

    // A log line as a value; installations refused before the utility
    // starts; a run that writes or reads a report, and what is said of each
    // end.
    struct LogEntry;
    struct ReportRun;
    void Write(const LogEntry& entry);
    std::int32_t Refuse(const LogEntry& reason, std::uint32_t shown, const LogEntry& exit, CStr& message);
    std::int32_t RefuseWithoutPackageDefinition(CStr& message);
    std::int32_t RefuseLongReportName(CStr& message);
    std::int32_t ReportNoSupportedAdapter(CStr& message);
    std::int32_t RunForReport(const ReportRun& run, CStr& message);

    std::int32_t InstallDiscovery(const OptionValue& report, CStr& message, const char16_t* language);
    std::int32_t InstallFromReport(const OptionValue& report, CStr& message);
    std::int32_t InstallVersionReport(CStr& message, const char16_t* language);
    std::int32_t InstallFirmware(std::int32_t unattended, bool force, CStr& message);
};

// The plug-in's one component object: constructed when the library is
// loaded, destroyed when it is unloaded.
CComponent& TheComponent();

// Called by the library's load and unload notifications.
void OnLibraryAttach();
void OnLibraryDetach();
