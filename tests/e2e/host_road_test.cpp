// The whole road through the host stand-in: Zorvane loads Tamsel in a copy
// of the demo package, which runs Kelvor, which runs the adapter simulator.
// Each run is checked in the host's output, ykzsetup.log, the verbose log,
// zizador.log and the simulator's calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "driver_service_fixture/driverservice.h"
#include "kelvor_package.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;

using e2e::HostRun;
using e2e::logDirectory;
using e2e::tail;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class HostRoad : public ::testing::Test {
protected:
    void SetUp() override {
        package_.stageDemoPackage();
        service_ = std::make_unique<DriverService>(package_.dir() / "machine");
        fs::remove(logDirectory() / "Kelvor.exe.log");
    }
    void TearDown() override {
        service_.reset();
        platform::set_environment_variable("YKZ_MACHINE", "");
        fs::remove(logDirectory() / "Kelvor.exe.log");
    }

    e2e::KelvorPackage package_;
    std::unique_ptr<DriverService> service_;
};

// Where the demo machine is simulated (Linux), the plug-in sees its
// adapters; under Windows the machine has none of them.
bool AdaptersPresent() {
    return platform::simulated_machine_directory().has_value();
}

TEST_F(HostRoad, UnattendedInstallationStepByStep) {
    HostRun road = package_.runHost("--hand-over-log /verbose_log");
    EXPECT_EQ(road.exitCode, 2u) << road.out;
    EXPECT_TRUE(Has(road.out, "Property 9 (log hand-over): result 1")) << road.out;
    EXPECT_TRUE(Has(road.out, "GetInterfaceVersion: result 1, interface version 100"));
    EXPECT_TRUE(Has(road.out, "Property 1 (name): result 1, \"Tarn KX-Series P3P Adapter Firmware\""));
    EXPECT_TRUE(Has(road.out, "Property 3 (installed version): result 1, \"See Information below.\""));
    EXPECT_TRUE(Has(road.out, "Property 4 (package version): result 1, \"4.0.550\""));
    EXPECT_TRUE(Has(road.out, "Property 6 (silent install): result 1, value 1"));
    if (AdaptersPresent()) {
        EXPECT_TRUE(Has(road.out,
                        "status 2 (installed, older than the package: update recommended)\n"
                        "  Message: At least 1 NIC on the system has older firmware"))
            << road.out;
    }
    EXPECT_TRUE(Has(road.out,
                    "Install (unattended): result 2 (firmware installed, a reboot is required)\n"
                    "  Message: All firmware installations were successful.  See log for more information."))
        << road.out;

    // The plug-in's plain line has no line end: the host's next line
    // follows on it.
    EXPECT_TRUE(Has(road.setupLog,
                    "All firmware installations were successful.  A reboot is required. See log for "
                    "more information.Install: result 2\n"))
        << road.setupLog;
    // The utility ran "/N" for the install state, then "/s": discovery,
    // then the older adapter flashed.
    EXPECT_TRUE(e2e::hasLine(road.utilityLog, "NIC firmware update is recommended.")) << road.utilityLog;
    EXPECT_TRUE(e2e::hasLine(road.utilityLog, "NIC firmware update complete")) << road.utilityLog;
    EXPECT_EQ(road.calls.back(), "[-flashsupport] [-i] [Tarn KX-2210 Dual Port 10GbE] [-a] [P3P_4_0_550.img]");

    // The plug-in's start-up, its later lines and the host's own lines, in
    // one verbose log under the package executable's name.
    std::string verbose = testsupport::readText(logDirectory() / "Kelvor.exe.log");
    std::size_t at = 0;
    for (const char* part : {"Verbose Log Session Start", "basecomp[87] Locating package definition file... Done.",
                             "GetInterfaceVersion: result 1", "component[223] Enter Tamsec_zar3i::GetInstallState",
                             "component[346] Entering Tamsec_zar3i::Install function.",
                             "component[674] Exiting Tamsec_zar3i::Install function.", "Return Code (2)"}) {
        at = verbose.find(part, at);
        EXPECT_NE(at, std::string::npos) << part << " in\n" << verbose;
    }

    HostRun again = package_.runHost("");
    EXPECT_EQ(again.exitCode, 3u) << again.out;
    EXPECT_TRUE(Has(again.out,
                    "Install (unattended): result 3 (all firmware already up to date)\n"
                    "  Message: All firmware is up to date.  No updates were performed."))
        << again.out;
    if (AdaptersPresent()) {
        EXPECT_TRUE(Has(again.out, "status 3 (installed, newer than the package)")) << again.out;
    }
    EXPECT_TRUE(e2e::hasLine(again.utilityLog, "No firmware is selected for update.")) << again.utilityLog;
}

TEST_F(HostRoad, DiscoveryUpdateAndVersionReportThroughTheHost) {
    HostRun discovery = package_.runHost("/d report.xml");
    EXPECT_EQ(discovery.exitCode, 1u) << discovery.out;
    EXPECT_TRUE(Has(discovery.out, "status 2 (installed, older than the package: update recommended)\n  Message: "));
    EXPECT_TRUE(Has(discovery.out, "generating discovery XML file.\nProperty 6")) << discovery.out;
    EXPECT_TRUE(Has(discovery.out, "Message: All firmware discovery successful.  Details in discovery xml file."));
    EXPECT_TRUE(Has(discovery.out,
                    "Discovery report report.xml:\n  P3P-05-00  Tarn KX-2210 Dual Port 10GbE  "
                    "firmware 4.0.534\n"))
        << discovery.out;
    EXPECT_TRUE(Has(discovery.setupLog, "All firmware discovery successful.  Details in xml file.\n"));
    EXPECT_EQ(discovery.calls.back(), "[-flashsupport] [-d] [P3P_4_0_550.img] [report.xml]");

    HostRun update = package_.runHost("/u report.xml");
    EXPECT_EQ(update.exitCode, 1u) << update.out;
    EXPECT_TRUE(Has(update.out, "Reading discovery XML file and performing firmware updates."));
    EXPECT_TRUE(Has(update.out, "Message: Discovery XML file read and firmware upgrade completed successfully."));
    EXPECT_EQ(update.calls.back(), "[-flashsupport] [-u] [P3P_4_0_550.img] [report.xml]");

    HostRun version = package_.runHost("/v");
    EXPECT_EQ(version.exitCode, 1u) << version.out;
    EXPECT_TRUE(Has(version.out, "Message: Version report completed successfully."));
    EXPECT_TRUE(Has(version.out, "Version report version_report.xml:\n<?xml")) << version.out;
    EXPECT_TRUE(Has(version.out, "<package_version value=\"4.0.550\"/>")) << version.out;

    // A report name far beyond what the plug-in passes on is refused whole;
    // the utility never sees a cut name.
    HostRun longName = package_.runHost("/d " + std::string(10000, 'n'));
    EXPECT_EQ(longName.exitCode, 0u) << longName.out;
    EXPECT_TRUE(Has(longName.out,
                    "Install (unattended): result 0 (failure)\n  Message: The discovery XML file name is too long"))
        << longName.out;
    EXPECT_EQ(longName.calls, std::vector<std::string>{});

    ASSERT_TRUE(service_->Stop());
    HostRun stopped = package_.runHost("/d report2.xml");
    EXPECT_EQ(stopped.exitCode, 0u);
    EXPECT_TRUE(Has(stopped.out,
                    "Message: Tarn KX-Series DIravi P3P Multifunction Driver x64 Edition is required but "
                    "is not currently installed and running."))
        << stopped.out;
    EXPECT_TRUE(Has(stopped.setupLog, "Tarn KX-Series DIravi P3P Multifunction Driver x64 Edition is required"));
    EXPECT_FALSE(package_.exists("report2.xml"));
}

// A strict reader of the host's JSON output: objects, strings (with the
// escapes the host writes), integers and booleans, flattened to
// "a.b.c" -> value. It fails on anything else, trailing text included.
class FlatJson {
public:
    bool Parse(const std::string& text) {
        text_ = text;
        at_ = 0;
        values_.clear();
        if (!Object("")) return false;
        Blanks();
        return at_ == text_.size();
    }
    std::string operator[](const std::string& path) const {
        auto found = values_.find(path);
        return found == values_.end() ? "<absent>" : found->second;
    }

private:
    void Blanks() {
        while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) ++at_;
    }
    bool Take(char c) {
        Blanks();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        for (; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') return ++at_, true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++at_ >= text_.size()) return false;
            const std::string from = "\"\\/nrt", to = "\"\\/\n\r\t";
            std::size_t which = from.find(text_[at_]);
            if (which != std::string::npos) {
                out += to[which];
            } else if (text_[at_] == 'u' && at_ + 4 < text_.size()) {
                out += static_cast<char>(std::stoi(text_.substr(at_ + 1, 4), nullptr, 16));
                at_ += 4;
            } else {
                return false;
            }
        }
        return false;
    }
    bool Value(const std::string& path) {
        Blanks();
        if (at_ < text_.size() && text_[at_] == '{') return Object(path);
        if (at_ < text_.size() && text_[at_] == '"') return String(values_[path]);
        std::size_t end = text_.find_first_of(",} \r\n", at_);
        std::string word = text_.substr(at_, end == std::string::npos ? std::string::npos : end - at_);
        bool number = !word.empty() && word.find_first_not_of("-0123456789") == std::string::npos;
        if (!number && word != "true" && word != "false") return false;
        values_[path] = word;
        at_ += word.size();
        return true;
    }
    bool Object(const std::string& path) {
        if (!Take('{')) return false;
        if (Take('}')) return true;
        do {
            std::string key;
            if (!String(key) || !Take(':') || !Value(path.empty() ? key : path + "." + key)) return false;
        } while (Take(','));
        return Take('}');
    }

    std::string text_;
    std::size_t at_ = 0;
    std::map<std::string, std::string> values_;
};

// Scripts read the host's answers from --json: the object must parse and
// carry every value that the text shows a person for the same run.
TEST_F(HostRoad, JsonCarriesTheSameAnswersAsTheText) {
    struct Case {
        std::string options, report;
    };
    for (const Case& run : {Case{"/v", "version_report.xml"}, Case{"/d report.xml", "report.xml"}}) {
        HostRun text = package_.runHost(run.options);
        HostRun json = package_.runHost("--json " + run.options);
        FlatJson answers;
        ASSERT_TRUE(answers.Parse(json.out)) << json.out;
        EXPECT_EQ(json.exitCode, text.exitCode) << json.out;
        EXPECT_EQ(answers["exitCode"], std::to_string(json.exitCode));
        EXPECT_TRUE(Has(text.out, "GetInterfaceVersion: result " + answers["interfaceVersion.result"] +
                                      ", interface version " + answers["interfaceVersion.version"] + "\n"));
        for (int id = 1; id <= 8; ++id) {
            std::string key = "properties." + std::to_string(id);
            std::string line = "Property " + std::to_string(id) + " (" + answers[key + ".name"] + "): result " +
                               answers[key + ".result"];
            if (id <= 4) line += ", \"" + answers[key + ".value"] + "\"\n";
            if (id == 5) {
                line += ", status " + answers["installState.status"] + " (" + answers["installState.meaning"] +
                        ")\n  Message: " + answers["installState.message"] + "\n";
            }
            if (id >= 6) line += ", value " + answers[key + ".value"] + "\n";
            EXPECT_TRUE(Has(text.out, line)) << line << " in\n" << text.out;
        }
        EXPECT_TRUE(Has(text.out, "Install (" + answers["install.mode"] + "): result " + answers["install.result"] +
                                      " (" + answers["install.meaning"] + ")\n  Message: " +
                                      answers["install.message"] + "\n"))
            << json.out << "\n" << text.out;
        EXPECT_EQ(answers["install.result"], "1") << json.out;
        EXPECT_EQ(answers["install.report"], run.report);
    }
    // A run that fails writes no report, and the object says none.
    ASSERT_TRUE(service_->Stop());
    HostRun failed = package_.runHost("--json /d missing.xml");
    FlatJson noReport;
    ASSERT_TRUE(noReport.Parse(failed.out)) << failed.out;
    EXPECT_EQ(noReport["install.result"], "0");
    EXPECT_EQ(noReport["install.report"], "<absent>");
}

// The result messages follow the user-interface language that the locale
// environment names (CTest runs this test once more in German); the package
// texts follow the language code that the host passes.
bool GermanInterface() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = platform::environment_variable(name).value_or("");
        if (!value.empty()) return value.rfind("de", 0) == 0;
    }
    return false;
}

TEST_F(HostRoad, LanguagesOfTheHostAndOfTheSystem) {
    HostRun run = package_.runHost("--language=de /g");  // "/g" forces every adapter
    EXPECT_TRUE(Has(run.out, "Property 1 (name): result 1, \"Firmware der Tarn KX-Series P3P Adapter\"")) << run.out;
    EXPECT_EQ(run.exitCode, 2u) << run.out;
    const std::string logName = GermanInterface() ? "zizador.log" : "log";
    EXPECT_TRUE(Has(run.out,
                    "Install (unattended): result 2 (firmware installed, a reboot is required)\n"
                    "  Message: All firmware installations were successful.  See " +
                        logName + " for more information."))
        << run.out;
}

// The lines of a log, with the plug-in's installation text, which carries no
// line end, taken off the front of the line that the next entry continues.
std::vector<std::string> LogEntries(const std::string& text) {
    const std::string installed =
        "All firmware installations were successful.  A reboot is required. See log for more information.";
    std::vector<std::string> entries;
    for (std::string line : testsupport::splitLines(testsupport::normalizeLineEnds(text))) {
        while (line.rfind(installed, 0) == 0) {
            entries.push_back(installed);
            line.erase(0, installed.size());
        }
        entries.push_back(line);
    }
    return entries;
}

// Eight hosts at once, each in its own copy of the package, on one system
// drive: each flashes its own older adapter once, and every line that they
// and their utilities add to the shared ykzsetup.log and zizador.log is one
// that a host running alone writes, whole.
TEST(HostsSharingASystemDrive, EveryLogLineArrivesWhole) {
    constexpr int Hosts = 8;
    std::vector<std::unique_ptr<e2e::KelvorPackage>> packages;
    for (int i = 0; i <= Hosts; ++i) {
        packages.push_back(std::make_unique<e2e::KelvorPackage>());
        packages.back()->stageDemoPackage();
    }
    testsupport::TempDir drive("nicfw-drive");
    if (platform::native_path("C:\\x") != "C:\\x")
        platform::set_environment_variable("SystemDrive", drive.path().string());
    platform::set_environment_variable("YKZ_MACHINE", (packages[0]->dir() / "machine").string());
    const fs::path setup = logDirectory() / "ykzsetup.log";
    const fs::path utility = packages[0]->logFile();
    const fs::path host = fs::path(testsupport::builtProgram("Zorvane")).filename();

    // The last copy's host alone gives the lines to expect.
    HostRun alone = packages[Hosts]->runHost("");
    ASSERT_EQ(alone.exitCode, 2u) << alone.out;
    std::vector<std::string> setupLines = LogEntries(alone.setupLog);
    std::vector<std::string> utilityLines = LogEntries(alone.utilityLog);
    const std::set<std::string> setupKnown(setupLines.begin(), setupLines.end());
    const std::set<std::string> utilityKnown(utilityLines.begin(), utilityLines.end());

    std::uintmax_t setupBefore = testsupport::fileSize(setup);
    std::uintmax_t utilityBefore = testsupport::fileSize(utility);
    std::vector<testsupport::RunResult> runs(Hosts);
    std::vector<std::thread> threads;
    for (int i = 0; i < Hosts; ++i)
        threads.emplace_back(
            [&, i] { runs[i] = testsupport::runCommandLine(packages[i]->dir() / host, "", packages[i]->dir()); });
    for (std::thread& thread : threads) thread.join();

    for (int i = 0; i < Hosts; ++i) {
        EXPECT_EQ(runs[i].exitCode, 2u) << runs[i].out;
        EXPECT_TRUE(Has(runs[i].out, "Install (unattended): result 2 (firmware installed, a reboot is required)"))
            << runs[i].out;
        std::vector<std::string> calls = testsupport::splitLines(packages[i]->read("rirador.calls"));
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& call) { return Has(call, "[-i]"); }),
                  1)
            << "host " << i;
    }
    // The utility's start-up stamp carries the time of each run; a run that
    // finds another one updating firmware says that it waits.
    const std::regex stamp("Time: .*|Another firmware update run is in progress on this machine\\..*");
    std::size_t questions = 0;
    for (const std::string& line : LogEntries(tail(setup, setupBefore))) {
        EXPECT_EQ(setupKnown.count(line), 1u) << "ykzsetup.log: " << line;
        if (Has(line, "... ")) ++questions;
    }
    EXPECT_EQ(questions, Hosts * std::count_if(setupLines.begin(), setupLines.end(),
                                               [](const std::string& line) { return Has(line, "... "); }));
    std::size_t completed = 0;
    for (const std::string& line : LogEntries(tail(utility, utilityBefore))) {
        EXPECT_TRUE(utilityKnown.count(line) == 1 || std::regex_match(line, stamp)) << "zizador.log: " << line;
        if (line == "NIC firmware update complete") ++completed;
    }
    EXPECT_EQ(completed, static_cast<std::size_t>(Hosts));
    platform::set_environment_variable("YKZ_MACHINE", "");
}

}  // namespace
