// The host stand-in's own log: framed by header and footer, with the host's
// switches beside the plug-in's run options on one command line.
#include "cmplog_fixture.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

// The file a "NAME: PATH" line of the host's output names, as this system
// opens it.
fs::path NamedFile(const std::string& output, const std::string& name) {
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("(^|\n)" + name + ": ([^\n]+)"))) return {};
    return fs::path(platform::native_path(match[2].str()));
}

TEST_F(CmpLogTest, HostKeepsItsOwnLogAndLeavesUnknownArgumentsToThePlugIn) {
    // No plug-in in this directory: the host fails to load it, and its log
    // records that run all the same.
    testsupport::RunResult run = testsupport::runProgram(
        testsupport::builtProgram("Zorvane"),
        {"/verbose_log", "--host-log=verbose", "/d", "report.xml", "--later-switch"}, dir_.path());
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 10u);
    EXPECT_NE(run.err.find("cannot load"), std::string::npos) << run.err;

    // The plain log is the machine's (other runs may have written before
    // this one); the verbose log belongs to this run alone.
    const std::string program = testsupport::builtProgram("Zorvane").filename().string();
    const std::string header = std::string(75, '=') + "\r\nSource:          " + program + "\r\n";
    std::string plainText = Read(NamedFile(run.out, "Host log"));
    std::size_t start = plainText.rfind(header);
    ASSERT_NE(start, std::string::npos) << run.out;
    const std::regex plain(
        "={75}\r\nSource:          [^\r]+\r\nVersion:         1\\.0\\.0\\.1\r\n"
        "Log Date:        [^\r]+\r\n\r\nLog Session Start\\.\\.\\.\r\n\r\n"
        "\\*\\*ERROR\\*\\* - Cannot load the plug-in\\.\r\n"
        "\r\n\r\nLog Session End\\. \\[[0-9:]+\\]\r\nReturn Code \\(10\\)\r\n={75}\r\n\r\n");
    EXPECT_TRUE(std::regex_match(plainText.substr(start), plain)) << plainText.substr(start);

    fs::path verbose = NamedFile(run.out, "Verbose host log");
    std::string verboseText = Read(verbose);
    EXPECT_EQ(verboseText.rfind(header, 0), 0u) << verboseText;
    EXPECT_NE(verboseText.find("Stub Version:    (not set)\r\n"), std::string::npos) << verboseText;
    EXPECT_NE(verboseText.find("Return Code (10)"), std::string::npos) << verboseText;
    std::error_code ignored;
    fs::remove(verbose, ignored);

    testsupport::RunResult help =
        testsupport::runProgram(testsupport::builtProgram("Zorvane"), {"--help"}, dir_.path());
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("--hand-over-log"), std::string::npos);
}

}  // namespace
