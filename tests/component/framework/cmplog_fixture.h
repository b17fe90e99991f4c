// A fresh system drive per test: the plain log "ykzsetup.log" lands in this
// test's own directory, on Linux because the drive letter maps onto the
// directory named by SystemDrive, on Windows because the default log
// directory is expanded from that variable.
#pragma once

#include "platform/unicode.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

class CmpLogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(systemDrive_.set(platform::utf16_to_utf8(dir_.path().u16string()))); }

    std::filesystem::path PlainLog() const { return dir_ / "ykzsystem" / "log" / "ykzsetup.log"; }
    // The test directory as a log directory: ends in a separator.
    std::u16string Directory(std::u16string_view sub = u"") const {
        return dir_.path().u16string() + u"\\" + std::u16string(sub);
    }

    // The time of day in log prefixes becomes "[T]", so whole texts compare.
    static std::string WithoutTimes(const std::string& text) {
        static const std::regex time(R"(\[[0-9]{1,2}:[0-9]{2}:[0-9]{2}\])");
        return std::regex_replace(text, time, "[T]");
    }
    static std::string Read(const std::filesystem::path& path) { return testsupport::readFile(path); }

    testsupport::TempDir dir_{"nicfw-cmplog"};
    testsupport::ScopedEnvironment systemDrive_{"SystemDrive"};
};
