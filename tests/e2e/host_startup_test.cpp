// The plug-in's start-up as a host meets it: Zorvane loads Tamsel in a copy
// of the demo package, and the start-up lines land in the verbose log only
// when the host's command line asks for one.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "kelvor_package.h"
#include "platform/files.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;

using e2e::logDirectory;

std::set<fs::path> verboseLogs() {
    std::set<fs::path> logs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(logDirectory(), error)) {
        // Windows names it _YK<hex>..TMP; Wine writes the hex digits and
        // the extension in small letters.
        std::string name = entry.path().filename().string();
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name.starts_with("_YK") && name.ends_with("..TMP")) logs.insert(entry.path());
    }
    return logs;
}

struct HostRun {
    std::uint32_t exitCode = 0;
    std::string verbose;  // the verbose log this run created, if any
    bool createdVerboseLog = false;
    std::string plainAdded;  // what this run added to ykzsetup.log
};

class HostStartup : public ::testing::Test {
protected:
    void SetUp() override {
        package_.stageDemoPackage();
    }
    void TearDown() override { platform::set_environment_variable("YKZ_MACHINE", ""); }

    HostRun run(const std::vector<std::string>& arguments) {
        std::set<fs::path> before = verboseLogs();
        fs::path plain = logDirectory() / "ykzsetup.log";
        std::uintmax_t plainBefore = testsupport::fileSize(plain);
        // Only the start-up: the host loads the plug-in and asks nothing more.
        std::vector<std::string> hostArguments{"--load-only"};
        hostArguments.insert(hostArguments.end(), arguments.begin(), arguments.end());
        testsupport::RunResult result =
            testsupport::runProgram(testsupport::builtProgram("Zorvane"), hostArguments, package_.dir());
        EXPECT_TRUE(result.started);
        HostRun run;
        run.exitCode = result.exitCode;
        for (const fs::path& log : verboseLogs()) {
            if (before.count(log) != 0) continue;
            run.createdVerboseLog = true;
            run.verbose = testsupport::readText(log);
            fs::remove(log);
        }
        std::string whole = testsupport::readFile(plain);
        if (whole.size() > plainBefore) run.plainAdded = whole.substr(plainBefore);
        return run;
    }

    e2e::KelvorPackage package_;
};

// One start-up line: the time as the system writes it, the source and line.
std::string linePattern(int line, const std::string& text) {
    std::string escaped = std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
    return R"(\[[0-9]{1,2}:[0-9]{2}:[0-9]{2}\]::basecomp\[)" + std::to_string(line) + R"(\] )" + escaped;
}

void expectLines(const std::string& log, const std::vector<std::string>& patterns) {
    std::vector<std::string> lines = testsupport::splitLines(log);
    ASSERT_EQ(lines.size(), patterns.size()) << log;
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << "line " << i << ": " << lines[i];
}

TEST_F(HostStartup, VerboseLogShowsEveryStepInOrder) {
    HostRun run = this->run({"/verbose_log"});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_TRUE(run.createdVerboseLog);
    expectLines(run.verbose, {
                                 linePattern(84, "Detecting if 64-bit operating system... "),
                                 linePattern(1540, "    - Operating system is 64-bit."),
                                 linePattern(1541, "    - Operating system is x64 based."),
                                 linePattern(87, "Locating package definition file... Done."),
                                 linePattern(93, "    - Reading package definition file... Done."),
                                 linePattern(110, "Checking for install.xml... Found."),
                                 linePattern(117, "    - Reading installer XML... Done."),
                                 linePattern(136, "Building PnP device list... Done."),
                             });
    EXPECT_EQ(run.plainAdded, "");  // start-up writes nothing to the plain log
}

TEST_F(HostStartup, SwitchInAnyLetterCaseAndInsideALongerWord) {
    for (const char* argument : {"/VERBOSE_LOG", "/Verbose_Logging"}) {
        HostRun run = this->run({argument});
        ASSERT_TRUE(run.createdVerboseLog) << argument;
        EXPECT_NE(run.verbose.find("Locating package definition file... Done."), std::string::npos) << argument;
    }
    HostRun quiet = run({"/verbose"});
    EXPECT_FALSE(quiet.createdVerboseLog);
    EXPECT_EQ(quiet.plainAdded, "");
}

TEST_F(HostStartup, MissingAndBrokenPackageFiles) {
    package_.remove("install.xml");
    package_.write("ykp3pfw.xml", "<?xml version=\"1.0\"?><ykz_package><filename>Kelvor.exe</filename>"
                                  "</ykz_package>");
    HostRun withoutDevices = run({"/verbose_log"});
    ASSERT_TRUE(withoutDevices.createdVerboseLog);
    EXPECT_NE(withoutDevices.verbose.find("Checking for install.xml... Not found."), std::string::npos);
    // No supported devices: the device list is never built.
    EXPECT_EQ(withoutDevices.verbose.find("Building PnP device list"), std::string::npos);

    package_.write("ykp3pfw.xml", "<?xml version=\"1.0\"?><ykz_package><filename>Kelvor.exe</filename>");
    HostRun broken = run({"/verbose_log"});
    ASSERT_TRUE(broken.createdVerboseLog);
    EXPECT_NE(broken.verbose.find("Locating package definition file... Failed!"), std::string::npos)
        << "a file that is not well-formed is no package definition";

    package_.write("ykp3pfw.xml", "<?xml version=\"1.0\"?><ykz_package></ykz_package>");
    package_.write("install.xml", "<ykz_install><inf_information>");
    HostRun brokenInstaller = run({"/verbose_log"});
    EXPECT_NE(brokenInstaller.verbose.find("    - Reading installer XML... Failed!"), std::string::npos);
    EXPECT_EQ(brokenInstaller.exitCode, 0u);  // the plug-in loads whatever start-up met
}

}  // namespace
