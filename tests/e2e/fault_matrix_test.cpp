// The fault matrix of the whole chain: the host stand-in Zorvane loads
// Tamsel in a fresh copy of the demo package, Tamsel runs Kelvor (or a
// stand-in for it), Kelvor runs the adapter simulator. Each row takes one
// entry a host uses, breaks one link of the chain, runs the host once and
// checks what the host gets (Install's result or the install state, and the
// message) and what an administrator finds in ykzsetup.log and zizador.log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "driver_service_fixture/driverservice.h"
#include "kelvor_package.h"
#include "platform/files.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;
using e2e::HostRun;

// ---------------------------------------------------------------------------
// Entries, faults and expected outcomes

enum class Entry : std::uint8_t { unattended, attended, installState, discovery, reportUpdate, versionReport };

// How each entry shows in test names, and the host's arguments that take it.
struct EntryUse {
    Entry entry;
    const char* name;
    const char* hostArguments;
};
constexpr EntryUse EntryUses[] = {
    {Entry::unattended, "unattended", ""},
    {Entry::attended, "attended", "--attended"},
    {Entry::installState, "install_state", "--query-only"},
    {Entry::discovery, "discovery", "/d report.xml"},
    {Entry::reportUpdate, "report_update", "/u report.xml"},
    {Entry::versionReport, "version_report", "/v"},
};

// Every entry has its row, at the entry's own index.
constexpr bool EveryEntryInOrder() {
    for (std::size_t i = 0; i < std::size(EntryUses); ++i)
        if (EntryUses[i].entry != static_cast<Entry>(i)) return false;
    return std::size(EntryUses) == static_cast<std::size_t>(Entry::versionReport) + 1;
}
static_assert(EveryEntryInOrder());

const EntryUse& Use(Entry entry) {
    return EntryUses[static_cast<std::size_t>(entry)];
}

// One broken link of the chain, set up in the package copy before the run.
struct Fault {
    std::string name;
    std::vector<std::string> toolFaults;   // lines of the simulator's [faults] section
    std::string firstAdapterFault;         // a line for the demo's older adapter (bus 5)
    std::vector<std::string> removed;      // package files; "rirador" and "Kelvor" name the programs
    std::vector<std::string> notPrograms;  // programs ("rirador", "Kelvor") replaced by a text file
    std::vector<std::pair<std::string, std::string>> written;  // package files written over or added
    std::optional<std::string> utilityExit;  // the fake utility stands in for Kelvor with this exit code
    bool utilityCrashes = false;             // ... or aborts
    std::string utilityOutput;               // ... after writing this many bytes to its output
    bool staleReports = false;  // reports of an earlier run lie in the package under the names the runs write
    bool driverStopped = false;
    bool packageListsNoDevices = false;  // no usable package definition: the state is the same on every machine
};

// What the host and the administrator get.
struct Outcome {
    Outcome(int result, std::string message, int status, std::vector<std::string> setupLog = {},
            std::vector<std::string> utilityLog = {}, std::vector<std::string> hostOut = {})
        : result(result),
          message(std::move(message)),
          status(status),
          setupLog(std::move(setupLog)),
          utilityLog(std::move(utilityLog)),
          hostOut(std::move(hostOut)) {}

    int result;                           // Install's result, the host's exit code; 0 for the install-state query
    std::string message;                  // a distinctive part of the message for Install or the install state
    int status;                           // the install state where the demo's adapters are present; -1: not checked
    std::vector<std::string> setupLog;    // parts of what the run added to ykzsetup.log
    std::vector<std::string> utilityLog;  // lines the run added to zizador.log; a final '*' makes a prefix
    std::vector<std::string> hostOut;     // further parts of the host's output
    bool utilityLogUntouched = false;     // the utility never ran
};

Outcome UtilityNeverRuns(Outcome outcome) {
    outcome.utilityLogUntouched = true;
    return outcome;
}

struct Row {
    Row(Entry entry, Fault fault, Outcome expected, std::string answers = "",
        std::optional<Outcome> expectedOnWindows = std::nullopt)
        : entry(entry),
          fault(std::move(fault)),
          expected(std::move(expected)),
          answers(std::move(answers)),
          expectedOnWindows(std::move(expectedOnWindows)) {}

    Entry entry;
    Fault fault;
    Outcome expected;
    std::string answers;                       // standard input of an attended installation
    std::optional<Outcome> expectedOnWindows;  // where the Windows runtime ends a crash with another code
    bool alsoOnWindows = false;                // see Matrix()
};

Row AlsoOnWindows(Row row) {
    row.alsoOnWindows = true;
    return row;
}

void PrintTo(const Row& row, std::ostream* os) {
    *os << Use(row.entry).name << " with " << row.fault.name;
}

// ---------------------------------------------------------------------------
// Faults

Fault Named(const std::string& name) {
    Fault fault;
    fault.name = name;
    return fault;
}
Fault NoFault(const std::string& name = "no fault") {
    return Named(name);
}
Fault ToolMissing() {
    Fault fault = Named("tool missing");
    fault.removed = {"rirador"};
    return fault;
}
Fault ToolNotAProgram() {
    Fault fault = Named("tool not executable");
    fault.notPrograms = {"rirador"};
    return fault;
}
Fault Tool(const std::string& name, std::vector<std::string> faults) {
    Fault fault = Named(name);
    fault.toolFaults = std::move(faults);
    return fault;
}
Fault FirstAdapter(const std::string& name, const std::string& line) {
    Fault fault = Named(name);
    fault.firstAdapterFault = line;
    return fault;
}
// The tool hands the utility `report` as its discovery report.
Fault ToolWrites(const std::string& name, const std::string& report) {
    Fault fault = Tool(name, {"report_file = handed.xml"});
    fault.written = {{"handed.xml", report}};
    return fault;
}
Fault UtilityMissing() {
    Fault fault = Named("utility missing");
    fault.removed = {"Kelvor"};
    return fault;
}
Fault UtilityEnds(const std::string& code, const std::string& outputBytes = "") {
    Fault fault = Named("utility ends with " + code + (outputBytes.empty() ? "" : " after a flood of output"));
    fault.utilityExit = code;
    fault.utilityOutput = outputBytes;
    return fault;
}
Fault UtilityEndsOverStaleReports(const std::string& code) {
    Fault fault = UtilityEnds(code);
    fault.name = "utility ends with " + code + " over stale reports";
    fault.staleReports = true;
    return fault;
}
Fault ToolOverStaleReports(const std::string& name, std::vector<std::string> faults) {
    Fault fault = Tool(name, std::move(faults));
    fault.staleReports = true;
    return fault;
}
Fault UtilityCrashes() {
    Fault fault = Named("utility crashes");
    fault.utilityExit = "0";
    fault.utilityCrashes = true;
    return fault;
}
Fault Removed(const std::string& file) {
    Fault fault = Named(file + " missing");
    fault.removed = {file};
    fault.packageListsNoDevices = file == "ykp3pfw.xml";
    return fault;
}
Fault Broken(const std::string& file, const std::string& how, const std::string& content) {
    Fault fault = Named(file + " " + how);
    fault.written = {{file, content}};
    fault.packageListsNoDevices = file == "ykp3pfw.xml";
    return fault;
}
Fault DriverStopped() {
    Fault fault = Named("driver service stopped");
    fault.driverStopped = true;
    return fault;
}

// ---------------------------------------------------------------------------
// Files the faults write

// The demo's older adapter (bus 5) as the simulator reports it, with the
// product name of its designated port, which names the adapter.
std::string DemoDevice(const std::string& portProduct = "Tarn KX-2210 Dual Port 10GbE",
                       const std::string& venid = "1E5A") {
    return "<device><device_id value=\"P3P-05-00\"/><venid value=\"" + venid +
           "\"/><devid value=\"0A10\"/><subvenid value=\"1F3C\"/><subdevid value=\"2210\"/>"
           "<macaddress value=\"02-1E-5A-05-00-00\"/><product_id value=\"Tarn KX-2210 Dual Port 10GbE\"/>"
           "<busnumber value=\"5\"/><devicenumber value=\"0\"/><funcnumber value=\"0\"/><slotnumber value=\"1\"/>"
           "<fw_item><type value=\"ROM\"/><firmware_id value=\"4.0.534\"/><active_version value=\"4.0.534\"/>"
           "<version value=\"4.0.534\"/><action value=\"flash\"/><shared value=\"YES\"/><duration value=\"60\"/>"
           "<message value=\"\"/></fw_item><ports><port><port_id value=\"P3P-05-00\"/>"
           "<macaddress value=\"02-1E-5A-05-00-00\"/><product_id value=\"" +
           portProduct + "\"/><funcnumber value=\"0\"/></port></ports></device>";
}

std::string ReportRoot(const std::string& devices) {
    return "<tarn_rom_discovery version=\"1.0\"><type value=\"DIRAVI_NIC\"/><version value=\"1.0\"/>"
           "<takes_effect value=\"immediately\"/><devices>" +
           devices + "</devices></tarn_rom_discovery>\n";
}

std::string Report(const std::string& devices) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + ReportRoot(devices);
}

// Elements nested far deeper than any report, after a valid adapter.
std::string DeeplyNestedReport() {
    constexpr int Depth = 100000;
    std::string nest;
    for (int i = 0; i < Depth; ++i) nest += "<x>";
    for (int i = 0; i < Depth; ++i) nest += "</x>";
    return Report(DemoDevice() + "<junk>" + nest + "</junk>");
}

// Entities that would expand to gigabytes where entities are expanded.
std::string EntityBomb(const std::string& root, const std::string& body) {
    std::string dtd = "<!DOCTYPE " + root + " [\n<!ENTITY l0 \"lollollollollollollollollollol\">\n";
    for (int level = 1; level <= 9; ++level) {
        std::string previous = "&l" + std::to_string(level - 1) + ";";
        std::string tenfold;
        for (int i = 0; i < 10; ++i) tenfold += previous;
        dtd += "<!ENTITY l" + std::to_string(level) + " \"" + tenfold + "\">\n";
    }
    return "<?xml version=\"1.0\"?>\n" + dtd + "]>\n" + body;
}

// A name far longer than any product name, with directives that a format
// function would act on.
const std::string LongName = "Tarn %s%n%x%d " + std::string(10000, 'N');

constexpr char NotWellFormed[] = "<?xml version=\"1.0\"?>\n<ykz_package><name><name_xlate lang=\"en\">cut";
constexpr char OtherModelOnly[] =
    "<?xml version=\"1.0\"?>\n<componentdependencies><dependent_hardware><platforms>"
    "<platform model=\"Velmar RS999\"/></platforms></dependent_hardware></componentdependencies>\n";

// ---------------------------------------------------------------------------
// Messages and log texts as the host and the administrator read them

constexpr char InstallDone[] = "All firmware installations were successful.  See log for more information.";
constexpr char UpToDate[] = "All firmware is up to date.  No updates were performed.  See log for more information.";
constexpr char InstallFailed[] =
    "An error occured during the firmware installation or update process.  See log for more information.";
constexpr char DiscoveryDone[] = "All firmware discovery successful.  Details in discovery xml file.";
constexpr char DiscoveryFailed[] =
    "An error occured during discovering hardware. See zizador.log for more information.";
constexpr char ReportReadFailed[] = "Error reading discovery XML file.";
constexpr char ReportUpdateDone[] = "Discovery XML file read and firmware upgrade completed successfully.";
constexpr char VersionReportDone[] = "Version report completed successfully.";
constexpr char DriverRequired[] =
    "Tarn KX-Series DIravi P3P Multifunction Driver x64 Edition is required but is not currently installed and "
    "running.  Please install or load driver and retry setup.";
constexpr char VersionUnknown[] = "The installed firmware version could not be determined.";
constexpr char NoSupportedAdapter[] = "No supported network adapter was found in the system.";
constexpr char PackageBroken[] = "The package definition file (yk*.xml) is missing or damaged.";
constexpr char OlderInstalled[] = "At least 1 NIC on the system has older firmware than that which is available";
constexpr char SameInstalled[] = "have the same version of firmware as that which is available in the component.";
constexpr char NewerInstalled[] = "At least 1 NIC on the system has newer firmware than that which is available";
constexpr char Discovering[] = "Checking all NICs in the system for installed firmware and generating discovery XML";
constexpr char ReadingReport[] = "Reading discovery XML file and performing firmware updates.";

constexpr char SetupInstalled[] =
    "All firmware installations were successful.  A reboot is required. See log for more information.";
constexpr char SetupUpToDate[] = "All firmware is up to date. No updates were performed. See log for more information.";
constexpr char SetupFailed[] =
    "An error occured during the firmware installation or update process. See log for more information.";
constexpr char SetupDiscovered[] = "All firmware discovery successful.  Details in xml file.";
constexpr char SetupDiscoveryFailed[] = "An error occured during hardware discovery. See log for more information.";
constexpr char SetupOlder[] = "    - Installed component version status... Older";
constexpr char SetupSame[] = "    - Installed component version status... Same";
constexpr char SetupNewer[] = "    - Installed component version status... Newer";
constexpr char SetupUnknown[] = "    - Installed component version status... Unknown";
constexpr char SetupListFailed[] = "    - Checking dependency list... Failed!";
constexpr char SetupPackageBroken[] = "The package definition file is missing or damaged.";

constexpr char NoAdapters[] = "No supported network adapters for firmware upgrade.";
constexpr char DiscoveryFailedLine[] =
    "Adapter discovery failed. No firmware was checked or updated. See zizador.log for details.";
constexpr char Recommended[] = "NIC firmware update is recommended.";
constexpr char UpdateComplete[] = "NIC firmware update complete";
constexpr char CompletedWithErrors[] = "NIC firmware update completed with errors";
constexpr char NothingSelected[] = "No firmware is selected for update.";
constexpr char NoCatalog[] = "Supporting file is missing (NICFWData.xml), Could not proceed!";
constexpr char FlashFailed[] = "Command to upgrade firmware failed";
constexpr char FlashOfFirst[] = " .\\rirador -flashsupport  -i \"Tarn KX-2210 Dual Port 10GbE\" -a P3P_4_0_550.img -(";
constexpr char ToolNotRun[] = "Could not generate hardware discovery details. Diravi P3P device discovery failed!";
constexpr char TempReportFailed[] = "Loading configuration file tempP3PNicList.xmlFailed!. Error code: ";
constexpr char Discovered[] = "Successfully generated NIC discovery report to report.xml";
constexpr char Updated[] = "Successfully updated the NIC firmware from the file report.xml";
constexpr char VersionReported[] = "Created File: version_report.xml only with firmware version details.";

// The code with which the simulator ends when it aborts, as the utility
// sees it: "{crash}" in a log line stands for it.
constexpr char CrashCode[] = "{crash}";
// ... and when it is killed from outside: "{killed}".
constexpr char KilledCode[] = "{killed}";

std::string Line(const std::string& text, const std::string& tail) {
    return text + tail;
}

// ---------------------------------------------------------------------------
// The matrix

// Rows: each entry once without a fault; then, per fault, the entries whose
// outcome it changes or where a regression would go unseen:
// - the adapter tool: missing, not executable, aborting (discovery, flash),
//   killed, ending with a failure code (discovery with and without a file,
//   update, flash), slow, leaving no file (a directory, an empty file), and
//   writing a cut, mistyped, wrongly rooted or hostile report (entity bomb,
//   100,000 levels, a 10,000-character name, an invalid identity, binary
//   bytes);
// - the utility: missing, aborting, and each exit code of its table with
//   the runners' 15 and unknown ones, through every branch of Install
//   and the install state, over reports that an earlier run left, and a
//   flood of output on the hidden run's pipe;
// - the package: definition, install.xml, dependency.xml (other model only,
//   not well-formed, entity bomb), catalog and image file missing or broken;
// - the adapter driver service stopped.
// A tool that could not tell which adapters there are makes every run of
// the utility end with 7 ("discovery failed"): no entry then reports
// success, and the install state does not know the installed version (8).
// A tool that worked and found no supported adapter makes the utility end
// with 3: an installation is "up to date", a report run is done with the
// message that no supported adapter was found.
//
// The Windows build runs the rows marked AlsoOnWindows: every entry once,
// and the faults whose road takes Windows' own code (process creation and
// exit codes, the console, pipes, services, the system model, command-line
// length, text detection, stack depth, the cross-built XML parser). The
// others differ from a marked row only in portable logic, checked here
// natively, and would cost the Windows suite seconds each.

// The rows of a fault of the tool that leaves the utility without a list of
// adapters, through every entry a host uses; `marked` entries run on
// Windows too. `toolLines` are the lines the utility logs about the tool.
void DiscoveryFails(std::vector<Row>& rows, const Fault& fault, const std::vector<std::string>& toolLines,
                    std::initializer_list<Entry> marked = {}) {
    std::vector<std::string> log = toolLines;
    log.emplace_back(DiscoveryFailedLine);
    std::vector<Row> entries = {
        {Entry::unattended, fault, {0, InstallFailed, 8, {SetupFailed, SetupUnknown}, log}},
        {Entry::installState, fault, {0, VersionUnknown, 8, {SetupUnknown}, log}},
        {Entry::discovery, fault, {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}, log}},
        {Entry::reportUpdate, fault, {0, ReportReadFailed, 2, {}, log}},
        {Entry::versionReport, fault, {0, DiscoveryFailed, 8, {}, log}},
    };
    for (Row& row : entries) {
        row.alsoOnWindows = std::find(marked.begin(), marked.end(), row.entry) != marked.end();
        rows.push_back(std::move(row));
    }
}

std::vector<Row> Matrix() {
    using E = Entry;
    const std::string answers = "y\nn\nn\n";  // the older adapter yes, the same and the newer no
    std::vector<Row> rows = {
        // Every entry without a fault.
        AlsoOnWindows({E::unattended,
                       NoFault(),
                       {2, InstallDone, 2, {SetupInstalled, SetupOlder}, {Recommended, UpdateComplete}}}),
        AlsoOnWindows({E::attended, NoFault(), {2, InstallDone, 2, {SetupInstalled}, {UpdateComplete}}, answers}),
        AlsoOnWindows({E::installState, NoFault(), {0, OlderInstalled, 2, {SetupOlder}, {Recommended}}}),
        AlsoOnWindows({E::discovery,
                       NoFault(),
                       {1,
                        DiscoveryDone,
                        2,
                        {SetupDiscovered},
                        {Discovered},
                        {"P3P-05-00  Tarn KX-2210 Dual Port 10GbE  firmware 4.0.534", Discovering}}}),
        AlsoOnWindows({E::reportUpdate, NoFault(), {1, ReportUpdateDone, 2, {}, {Updated}, {ReadingReport}}}),
        AlsoOnWindows({E::versionReport,
                       NoFault(),
                       {1, VersionReportDone, 2, {}, {VersionReported}, {"<package_version value=\"4.0.550\"/>"}}}),
        AlsoOnWindows({E::attended,
                       NoFault("the user quits"),
                       {3, UpToDate, 2, {SetupUpToDate}, {"Firmware upgrade is cancelled by User!"}},
                       "q\n"}),
        {E::attended, NoFault("the user declines"), {3, UpToDate, 2, {SetupUpToDate}, {NothingSelected}}, "n\nn\nn\n"},
        AlsoOnWindows({E::attended,
                       NoFault("no answers"),
                       {3, UpToDate, 2, {}, {"Unknown input problem!", "Firmware upgrade is cancelled by User!"}}}),

        // The adapter tool, where it works but the utility finds no
        // supported adapter, or fails later than discovery.
        AlsoOnWindows({E::unattended,
                       FirstAdapter("tool aborting a flash", "flash_crash = yes"),
                       {0,
                        InstallFailed,
                        2,
                        {SetupFailed},
                        {FlashFailed, Line(FlashOfFirst, CrashCode) + ")", CompletedWithErrors}}}),
        AlsoOnWindows({E::reportUpdate,
                       Tool("tool failing the update", {"update_exit = 7"}),
                       {0,
                        ReportReadFailed,
                        2,
                        {},
                        {"The Firmware Upgrade will take several minutes.Please be patient.",
                         "Failed to update the NIC firmware from the file report.xml"}}}),
        {E::unattended,
         FirstAdapter("tool failing a flash", "flash_exit = 5"),
         {0, InstallFailed, 2, {SetupFailed}, {FlashFailed, Line(FlashOfFirst, "5)"), CompletedWithErrors}}},
        {E::attended,
         FirstAdapter("tool failing a flash", "flash_exit = 5"),
         {0, InstallFailed, 2, {SetupFailed}, {FlashFailed, CompletedWithErrors}},
         answers},
        {E::discovery, Tool("slow tool", {"delay_ms = 1000"}), {1, DiscoveryDone, 2, {SetupDiscovered}, {Discovered}}},
        {E::unattended,
         Tool("tool writing another type", {"report = wrong_type"}),
         {3,
          UpToDate,
          1,
          {SetupUpToDate, SetupSame},
          {"Not an expected file (tempP3PNicList.xml). Expecting type value as 'DIRAVI_NIC'", NoAdapters}}},
        AlsoOnWindows({E::unattended,
                       ToolWrites("tool writing 100000 levels", DeeplyNestedReport()),
                       {2, InstallDone, 2, {SetupInstalled}, {Recommended, UpdateComplete}}}),
        AlsoOnWindows(
            {E::unattended,
             ToolWrites("tool writing a 10000 character name with format directives", Report(DemoDevice(LongName))),
             {0,
              InstallFailed,
              2,
              {SetupFailed},
              {FlashFailed, " .\\rirador -flashsupport  -i \"" + LongName + "\" -a P3P_4_0_550.img -(5)",
               CompletedWithErrors}}}),
        {E::unattended,
         ToolWrites("tool writing an invalid identity", Report(DemoDevice("%s%n%x", "1E5A "))),
         {3,
          UpToDate,
          1,
          {SetupUpToDate},
          {"Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.",
           "PCI Id 0000-0A10-1F3C-2210 details could not find with NICFWData.xml", NoAdapters}}},
        {E::unattended,
         FirstAdapter("tool reporting other firmware", "fw_type = FPGA"),
         {3,
          UpToDate,
          1,
          {SetupUpToDate},
          {"Warning!!! - firmware type is not expected!. Expected type is ROM, current value is FPGA", NoAdapters}}},
        {E::installState,
         FirstAdapter("tool reporting other firmware", "fw_type = FPGA"),
         {0, SameInstalled, 1, {SetupSame}, {NoAdapters}}},
        {E::discovery,
         FirstAdapter("tool reporting other firmware", "fw_type = FPGA"),
         {1, NoSupportedAdapter, 2, {}, {NoAdapters}}},
        {E::versionReport,
         FirstAdapter("tool reporting other firmware", "fw_type = FPGA"),
         {1, NoSupportedAdapter, 1, {}, {NoAdapters}}},

        // The utility.
        AlsoOnWindows(
            {E::unattended, UtilityMissing(), UtilityNeverRuns({0, InstallFailed, 8, {SetupFailed, SetupUnknown}})}),
        AlsoOnWindows({E::attended, UtilityMissing(), UtilityNeverRuns({0, InstallFailed, 8, {SetupFailed}}), answers}),
        {E::installState, UtilityMissing(), UtilityNeverRuns({0, VersionUnknown, 8, {SetupUnknown}})},
        {E::discovery, UtilityMissing(), UtilityNeverRuns({0, DiscoveryFailed, 2, {SetupDiscoveryFailed}})},
        {E::reportUpdate, UtilityMissing(), UtilityNeverRuns({0, ReportReadFailed, 2, {}})},
        {E::versionReport, UtilityMissing(), UtilityNeverRuns({0, DiscoveryFailed, 8, {}})},
        // The Windows runtime ends an aborted program with 3, which is the
        // utility's "no supported adapter"; the utility itself ends an abort
        // with 0 and its unexpected-error line.
        AlsoOnWindows({E::unattended,
                       UtilityCrashes(),
                       {0, InstallFailed, 8, {SetupFailed, SetupUnknown}},
                       "",
                       Outcome{3, UpToDate, 1, {SetupUpToDate, SetupSame}}}),
        {E::installState, UtilityCrashes(), {0, VersionUnknown, 8, {SetupUnknown}}},
        {E::discovery,
         UtilityCrashes(),
         {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}},
         "",
         Outcome{1, NoSupportedAdapter, 2, {}}},
        {E::reportUpdate, UtilityCrashes(), {0, ReportReadFailed, 2}},
        {E::versionReport, UtilityCrashes(), {0, DiscoveryFailed, 8}},
        {E::unattended, UtilityEnds("0"), {0, InstallFailed, 8, {SetupFailed, SetupUnknown}}},
        {E::unattended, UtilityEnds("1"), {2, InstallDone, 8, {SetupInstalled, SetupUnknown}}},
        {E::unattended, UtilityEnds("2"), {2, InstallDone, 8, {SetupInstalled}}},
        {E::unattended, UtilityEnds("3"), {3, UpToDate, 1, {SetupUpToDate, SetupSame}}},
        AlsoOnWindows({E::unattended, UtilityEnds("4"), {0, InstallFailed, 2, {SetupFailed, SetupOlder}}}),
        {E::unattended, UtilityEnds("5"), {0, InstallFailed, 1, {SetupFailed, SetupSame}}},
        {E::unattended, UtilityEnds("6"), {0, InstallFailed, 3, {SetupFailed, SetupNewer}}},
        AlsoOnWindows({E::unattended, UtilityEnds("7"), {0, InstallFailed, 8, {SetupFailed, SetupUnknown}}}),
        {E::unattended, UtilityEnds("15"), {0, InstallFailed, 8, {SetupFailed}}},
        AlsoOnWindows({E::unattended, UtilityEnds("-1"), {0, InstallFailed, 8, {SetupFailed}}}),
        {E::attended, UtilityEnds("2"), {2, InstallDone, 8, {SetupInstalled}}},
        AlsoOnWindows({E::attended, UtilityEnds("4"), {0, InstallFailed, 2, {SetupFailed}}}),
        {E::installState, UtilityEnds("6"), {0, NewerInstalled, 3, {SetupNewer}}},
        AlsoOnWindows({E::installState, UtilityEnds("7"), {0, VersionUnknown, 8, {SetupUnknown}}}),
        {E::discovery, UtilityEnds("4"), {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}}},
        AlsoOnWindows({E::discovery, UtilityEnds("7"), {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}}}),
        {E::discovery, UtilityEnds("3"), {1, NoSupportedAdapter, 2, {}}},
        {E::reportUpdate, UtilityEnds("3"), {1, NoSupportedAdapter, 2}},
        {E::reportUpdate, UtilityEnds("7"), {0, ReportReadFailed, 2}},
        {E::reportUpdate, UtilityEnds("0"), {0, ReportReadFailed, 2}},
        {E::versionReport, UtilityEnds("6"), {0, DiscoveryFailed, 3}},
        {E::versionReport, UtilityEnds("7"), {0, DiscoveryFailed, 8}},
        {E::versionReport, UtilityEnds("3"), {1, NoSupportedAdapter, 1}},
        // A success without the report that the run was to write: the file
        // of that name is an earlier run's. The utility says so itself; a
        // stand-in that claims success is not believed either.
        {E::discovery,
         ToolOverStaleReports("tool writing no report over an earlier one",
                              {"report = none", "report_faults_for = report.xml"}),
         {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}}},
        AlsoOnWindows(
            {E::discovery, UtilityEndsOverStaleReports("1"), {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}}}),
        {E::versionReport, UtilityEndsOverStaleReports("1"), {0, DiscoveryFailed, 8}},
        AlsoOnWindows({E::unattended, UtilityEnds("1", "4000000"), {2, InstallDone, 8, {SetupInstalled}}}),

        // The package.
        AlsoOnWindows({E::unattended, Removed("ykp3pfw.xml"),
                       UtilityNeverRuns({0,
                                         PackageBroken,
                                         6,
                                         {SetupPackageBroken},
                                         {},
                                         {"Property 1 (name): result 0", "Property 4 (package version): result 0"}})}),
        {E::installState, Broken("ykp3pfw.xml", "not well-formed", NotWellFormed),
         UtilityNeverRuns({0, PackageBroken, 6, {SetupPackageBroken}, {}, {"Property 1 (name): result 0"}})},
        {E::discovery, Broken("ykp3pfw.xml", "with another root", "<?xml version=\"1.0\"?>\n<ykz_install/>\n"),
         UtilityNeverRuns({0, PackageBroken, 6, {}, {}, {"Property 2 (description): result 0"}})},
        {E::unattended,
         Broken("install.xml", "not well-formed", "<ykz_install><inf_information>"),
         {2, InstallDone, 2, {SetupInstalled}, {UpdateComplete}, {"Property 1 (name): result 1"}}},
        AlsoOnWindows({E::installState,
                       Broken("dependency.xml", "naming another model", OtherModelOnly),
                       {0, "System model not supported.", 6, {SetupListFailed}}}),
        // A list that is there but cannot be read restricts as much as it
        // might: only a missing one frees the package.
        {E::installState,
         Broken("dependency.xml", "not well-formed", "<componentdependencies><dependent_hardware>"),
         {0, "System model not supported.", 6, {SetupListFailed}}},
        {E::installState,
         Broken("dependency.xml", "empty", ""),
         {0, "System model not supported.", 6, {SetupListFailed}}},
        AlsoOnWindows(
            {E::installState,
             Broken("dependency.xml", "holding an entity bomb",
                    EntityBomb("componentdependencies", "<componentdependencies>&l9;</componentdependencies>\n")),
             {0, "System model not supported.", 6, {SetupListFailed}}}),
        {E::installState,
         Removed("dependency.xml"),
         {0, OlderInstalled, 2, {"    - Checking dependency list... Done."}}},
        {E::unattended, Removed("NICFWData.xml"), {0, InstallFailed, 8, {SetupFailed, SetupUnknown}, {NoCatalog}}},
        {E::discovery, Removed("NICFWData.xml"), {0, DiscoveryFailed, 2, {SetupDiscoveryFailed}, {NoCatalog}}},
        {E::versionReport, Removed("NICFWData.xml"), {0, DiscoveryFailed, 8, {}, {NoCatalog}}},
        {E::unattended,
         Broken("NICFWData.xml", "not well-formed", "<nic_fw_package><nic><nic name=\"cut"),
         // Without a catalog there is no image file to hand the tool, which
         // then refuses its command line.
         {0,
          InstallFailed,
          8,
          {SetupFailed, SetupUnknown},
          {"Loading configuration file NICFWData.xml Error code: *", DiscoveryFailedLine}}},
        {E::unattended,
         Removed("P3P_4_0_550.img"),
         {0,
          InstallFailed,
          2,
          {SetupFailed},
          {"Could not find P3P_4_0_550.img", Line(FlashOfFirst, "4)"), CompletedWithErrors}}},

        // The adapter driver.
        {E::unattended, DriverStopped(), {2, InstallDone, 7, {SetupInstalled}, {UpdateComplete}}},
        {E::installState, DriverStopped(), {0, DriverRequired, 7, {}, {Recommended}}},
        AlsoOnWindows({E::discovery, DriverStopped(), UtilityNeverRuns({0, DriverRequired, 2, {DriverRequired}})}),
        {E::reportUpdate, DriverStopped(), {1, ReportUpdateDone, 2, {}, {Updated}}},
        {E::versionReport, DriverStopped(), {0, DriverRequired, 7, {DriverRequired}}},
    };

    // The adapter tool, where it leaves the utility without a list of
    // adapters.
    DiscoveryFails(rows, ToolMissing(), {Line(ToolNotRun, "1")}, {E::unattended});
    DiscoveryFails(rows, ToolNotAProgram(), {}, {E::unattended});
    DiscoveryFails(rows, Tool("tool aborting discovery", {"discover_crash = yes"}), {Line(ToolNotRun, CrashCode)},
                   {E::unattended, E::discovery});
    DiscoveryFails(rows, Tool("tool killed", {"discover_killed = yes"}), {Line(ToolNotRun, KilledCode)},
                   {E::versionReport});
    DiscoveryFails(rows, Tool("tool writing no report", {"report = none"}), {});
    DiscoveryFails(rows, Tool("tool failing discovery", {"discover_exit = 9"}), {Line(ToolNotRun, "9")});
    DiscoveryFails(rows, Tool("tool leaving a directory", {"report = directory"}), {Line(TempReportFailed, "10")},
                   {E::unattended});
    DiscoveryFails(rows, Tool("tool writing a cut report", {"report = malformed"}), {Line(TempReportFailed, "*")});
    DiscoveryFails(rows, Tool("tool writing another root", {"report = wrong_root"}), {Line(TempReportFailed, "11")},
                   {E::installState});
    rows.insert(
        rows.end(),
        {
            {E::unattended,
             Tool("tool failing discovery after its file", {"discover_exit = 9", "discover_leaves_file = yes"}),
             {0,
              InstallFailed,
              8,
              {SetupFailed},
              {"Diravi P3P device discovery failed with error code 9", DiscoveryFailedLine}}},
            {E::unattended,
             ToolWrites("tool writing an empty file", ""),
             {0, InstallFailed, 8, {SetupFailed}, {Line(TempReportFailed, "3"), DiscoveryFailedLine}}},
            {E::unattended,
             ToolWrites("tool writing an entity bomb",
                        EntityBomb("tarn_rom_discovery", ReportRoot(DemoDevice("&l9;")))),
             {0, InstallFailed, 8, {SetupFailed}, {Line(TempReportFailed, "12"), DiscoveryFailedLine}}},
            AlsoOnWindows(
                {E::unattended,
                 ToolWrites("tool writing binary bytes", std::string("<tarn_rom_discovery>\0\x01\xff\xfe<<\x80", 27)),
                 {0, InstallFailed, 8, {SetupFailed}, {Line(TempReportFailed, "*"), DiscoveryFailedLine}}}),
        });
    return rows;
}

// ---------------------------------------------------------------------------
// Running a row

// Windows paths are the file system's own: the Windows build, where the
// real (Wine) machine answers and has none of the demo's adapters.
bool OnWindows() {
    return platform::native_path("C:\\x") == "C:\\x";
}

std::string ProgramFile(const std::string& name) {
    return testsupport::builtProgram(name).filename().string();
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Whether `log` holds the line `expected`, or a line that begins with it
// when it ends in '*'.
bool HasLogLine(const std::string& log, std::string expected) {
    bool prefix = !expected.empty() && expected.back() == '*';
    if (prefix) expected.pop_back();
    for (const std::string& line : testsupport::splitLines(log))
        if (prefix ? line.rfind(expected, 0) == 0 : line == expected) return true;
    return false;
}

std::string WithCrashCode(std::string text) {
    // A POSIX parent sees the abort's signal; the Windows runtime ends an
    // aborted program with exit code 3. A kill is SIGKILL on Linux and a
    // forced task kill's exit code 1 on Windows.
    const std::pair<const char*, const char*> codes[] = {{CrashCode, OnWindows() ? "3" : "134"},
                                                         {KilledCode, OnWindows() ? "1" : "137"}};
    for (const auto& [placeholder, code] : codes) {
        std::size_t at = text.find(placeholder);
        if (at != std::string::npos) text.replace(at, std::string(placeholder).size(), code);
    }
    return text;
}

// The install state the host should see. The plug-in sets it for a
// discovery or report run whatever the machine; otherwise a machine without
// the package's adapters is "not applicable" (6).
int ExpectedStatus(const Row& row, const Outcome& expected) {
    if (expected.status < 0 || !OnWindows()) return expected.status;
    if (row.entry == Entry::discovery || row.entry == Entry::reportUpdate) return expected.status;
    return row.fault.packageListsNoDevices ? expected.status : 6;
}

class Chain : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        package_.stageDemoPackage();
    }
    void TearDown() override {
        service_.reset();
        for (const char* name : {"YKZ_MACHINE", "FAKE_UTILITY_EXIT", "FAKE_UTILITY_CRASH", "FAKE_UTILITY_OUTPUT"})
            platform::set_environment_variable(name, "");
    }

    void Arrange(const Row& row);
    void ArrangeUtility(const Fault& fault);
    void ArrangeTool(const Fault& fault);
    HostRun Run(const Row& row);

    e2e::KelvorPackage package_;
    std::unique_ptr<DriverService> service_;
};

void Chain::ArrangeTool(const Fault& fault) {
    std::string state = package_.read("rirador.state");
    if (!fault.firstAdapterFault.empty()) {
        const std::string first = "device_id = P3P-05-00\n";
        std::size_t at = state.find(first);
        ASSERT_NE(at, std::string::npos);
        state.insert(at + first.size(), fault.firstAdapterFault + "\n");
    }
    if (!fault.toolFaults.empty()) {
        state += "\n[faults]\n";
        for (const std::string& line : fault.toolFaults) state += line + "\n";
    }
    package_.write("rirador.state", state);
}

void Chain::ArrangeUtility(const Fault& fault) {
    if (!fault.utilityExit) return;
    fs::copy_file(testsupport::builtProgram("fake_utility"), package_ / ProgramFile("Kelvor"),
                  fs::copy_options::overwrite_existing);
    platform::set_environment_variable("FAKE_UTILITY_EXIT", *fault.utilityExit);
    platform::set_environment_variable("FAKE_UTILITY_CRASH", fault.utilityCrashes ? "yes" : "");
    platform::set_environment_variable("FAKE_UTILITY_OUTPUT", fault.utilityOutput);
}

void Chain::Arrange(const Row& row) {
    const Fault& fault = row.fault;
    if (row.entry == Entry::reportUpdate) package_.write("report.xml", Report(DemoDevice()));
    ArrangeTool(fault);
    ArrangeUtility(fault);
    for (const auto& [name, content] : fault.written) package_.write(name, content);
    if (fault.staleReports)
        for (const char* name : {"report.xml", "version_report.xml"}) package_.write(name, Report(DemoDevice()));
    for (const std::string& name : fault.removed)
        package_.remove(name == "rirador" || name == "Kelvor" ? ProgramFile(name) : name);
    // A new file, so that it carries no execute permission where files have one.
    for (const std::string& name : fault.notPrograms) {
        package_.remove(ProgramFile(name));
        package_.write(ProgramFile(name), "not a program\n");
    }
    // The Windows service is a real one, registered for the rows whose
    // outcome depends on it; the simulated machine's is a line of a file.
    bool needsService = row.entry == Entry::discovery || row.entry == Entry::versionReport || fault.driverStopped ||
                        fault.packageListsNoDevices;
    if (!OnWindows() || needsService) {
        service_ = std::make_unique<DriverService>(package_.dir() / "machine");
        ASSERT_TRUE(fault.driverStopped ? service_->Stop() : service_->Start()) << "the adapter driver service";
    }
}

HostRun Chain::Run(const Row& row) {
    return package_.runHost(Use(row.entry).hostArguments, row.answers);
}

const char* InstallMode(Entry entry) {
    return entry == Entry::attended ? "attended" : "unattended";
}

void ExpectHostAnswers(const Row& row, const Outcome& expected, const HostRun& run) {
    EXPECT_EQ(run.exitCode, static_cast<std::uint32_t>(expected.result)) << run.out;
    int status = ExpectedStatus(row, expected);
    if (status >= 0) {
        EXPECT_TRUE(Has(run.out, "Property 5 (install state): result 1, status " + std::to_string(status) + " ("))
            << "status " << status << " in\n"
            << run.out;
    }
    if (row.entry == Entry::installState) {
        EXPECT_FALSE(Has(run.out, "Install (")) << run.out;
        // On a machine without the adapters the state has no message of its own.
        if (status == expected.status) {
            EXPECT_TRUE(Has(run.out, expected.message)) << run.out;
        }
    } else {
        std::string install =
            std::string("Install (") + InstallMode(row.entry) + "): result " + std::to_string(expected.result) + " (";
        EXPECT_TRUE(Has(run.out, install)) << install << " in\n" << run.out;
        EXPECT_TRUE(Has(run.out, "  Message: " + expected.message)) << expected.message << " in\n" << run.out;
    }
    for (const std::string& part : expected.hostOut) {
        EXPECT_TRUE(Has(run.out, part)) << part << " in\n" << run.out;
    }
}

void ExpectLogs(const Outcome& expected, const HostRun& run) {
    for (const std::string& part : expected.setupLog) {
        EXPECT_TRUE(Has(run.setupLog, part)) << part << " in ykzsetup.log:\n" << run.setupLog;
    }
    for (const std::string& line : expected.utilityLog) {
        std::string wanted = WithCrashCode(line);
        EXPECT_TRUE(HasLogLine(run.utilityLog, wanted)) << wanted << " in zizador.log:\n" << run.utilityLog;
    }
    if (expected.utilityLogUntouched) {
        EXPECT_EQ(run.utilityLog, "");
    }
}

TEST_P(Chain, HostAndAdministratorSeeTheOutcome) {
    const Row& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(Arrange(row));
    HostRun run = Run(row);
    const Outcome& expected = OnWindows() && row.expectedOnWindows ? *row.expectedOnWindows : row.expected;
    EXPECT_FALSE(Has(run.out, "Sanitizer") || Has(run.out, "runtime error:")) << run.out;
    ExpectHostAnswers(row, expected, run);
    ExpectLogs(expected, run);
}

// Entry and fault name each row uniquely, on both platforms alike.
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name = std::string(Use(info.param.entry).name) + "_" + info.param.fault.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

std::vector<Row> RowsOfThisPlatform() {
    std::vector<Row> rows = Matrix();
    if (OnWindows()) std::erase_if(rows, [](const Row& row) { return !row.alsoOnWindows; });
    return rows;
}

INSTANTIATE_TEST_SUITE_P(FaultMatrix, Chain, ::testing::ValuesIn(RowsOfThisPlatform()), RowName);

}  // namespace
