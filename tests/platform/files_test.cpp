// Files named the Windows way, on both platforms.
#include "platform/files.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using testsupport::TempDir;

TEST(Files, CreateExistDeleteWithBackslashPaths) {
    TempDir dir;
    std::string sub = dir.path().string() + "\\sub";
    EXPECT_FALSE(platform::path_exists(sub));
    EXPECT_TRUE(platform::create_directory(sub));
    EXPECT_TRUE(platform::path_exists(sub));
    EXPECT_FALSE(platform::create_directory(sub)) << "creating an existing directory reports failure";

    std::string file = sub + "\\a.txt";
    EXPECT_FALSE(platform::delete_file(file));
    EXPECT_TRUE(platform::append_to_file(file, "one\n"));
    EXPECT_TRUE(platform::append_to_file(file, "two\n"));
    EXPECT_TRUE(platform::path_exists(file));
    EXPECT_EQ(testsupport::readText(dir.path() / "sub" / "a.txt"), "one\ntwo\n");
    EXPECT_TRUE(platform::delete_file(file));
    EXPECT_FALSE(platform::path_exists(file));
}

TEST(Files, AppendFileKeepsWhatWasThere) {
    TempDir dir;
    std::string file = (dir / "log.txt").string();
    testsupport::writeFile(file, "before\n");
    {
        platform::AppendFile log(file);
        ASSERT_TRUE(log.good());
        EXPECT_TRUE(log.write("first\n"));
        EXPECT_TRUE(log.write("second\n"));
    }
    EXPECT_EQ(testsupport::readText(file), "before\nfirst\nsecond\n");
}

// Appends store bytes as given on every platform: a writer that ends its
// lines with "\r\n" itself must not get "\r\r\n".
TEST(Files, AppendsStoreTheBytesAsGiven) {
    TempDir dir;
    std::string file = (dir / "bytes.log").string();
    EXPECT_TRUE(platform::append_to_file(file, "a\nb\r\n"));
    {
        platform::AppendFile log(file);
        EXPECT_TRUE(log.write("c\r\nd\n"));
    }
    EXPECT_EQ(testsupport::readFile(file), "a\nb\r\nc\r\nd\n");
}

TEST(Files, AppendToAMissingDirectoryFails) {
    TempDir dir;
    EXPECT_FALSE(platform::append_to_file((dir / "missing" / "x.log").string(), "lost\n"));
    platform::AppendFile log((dir / "missing" / "x.log").string());
    EXPECT_FALSE(log.is_open());
    EXPECT_FALSE(log.write("lost\n"));
}

TEST(Files, ThreadsAppendingAtOnceLoseNoLine) {
    TempDir dir;
    std::string file = (dir / "shared.log").string();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&file, t] {
            for (int i = 0; i < 250; ++i)
                platform::append_to_file(file, "writer " + std::to_string(t) + " line " + std::to_string(i) + "\n");
        });
    for (std::thread& writer : writers) writer.join();
    std::vector<std::string> lines = testsupport::splitLines(testsupport::readText(file));
    ASSERT_EQ(lines.size(), 1000u);
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("writer ", 0), 0u) << line;
}

TEST(System, LocalTimeIsRenderedTheAsctimeWay) {
    std::string text = platform::local_time_asctime();
    // "Tue Dec 08 01:02:03 2026\n": weekday, month, day, time, year.
    ASSERT_EQ(text.size(), 25u) << text;
    EXPECT_EQ(text[3], ' ');
    EXPECT_EQ(text[7], ' ');
    EXPECT_EQ(text[13], ':');
    EXPECT_EQ(text[16], ':');
    EXPECT_EQ(text.back(), '\n');
}

TEST(System, EnvironmentVariablesReachThisProcess) {
    ASSERT_TRUE(platform::set_environment_variable("NICFW_TEST_VARIABLE", "some value"));
    EXPECT_EQ(platform::environment_variable("NICFW_TEST_VARIABLE").value_or("unset"), "some value");
    EXPECT_FALSE(platform::environment_variable("NICFW_SURELY_NOT_SET_ANYWHERE").has_value());
}

}  // namespace
