// The module service inside a program and inside a library that the program
// loads: "this module" is the one that holds the calling code, the
// executable is always the program.
#include "platform/module.h"
#include "platform/library.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> fields(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, '|');) parts.push_back(part);
    return parts;
}

TEST(Module, InAProgramThisModuleIsTheProgram) {
    std::string path = platform::this_module_path();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::equivalent(path, platform::executable_path()));
    EXPECT_TRUE(fs::equivalent(platform::this_module_directory(), testsupport::binaryDirectory()));
    platform::FileVersion version;
    EXPECT_FALSE(platform::this_module_file_version(version)) << "the test program carries no version";
}

TEST(Module, InALibraryThisModuleIsTheLibraryAndTheExecutableStaysTheProgram) {
    fs::path file = testsupport::binaryDirectory() / platform::SharedLibrary::file_name("module_probe");
    platform::SharedLibrary library;
    ASSERT_TRUE(library.load(file.string())) << library.error();
    auto answers = reinterpret_cast<const char* (*)()>(library.symbol("module_probe_answers"));
    ASSERT_NE(answers, nullptr);
    std::vector<std::string> got = fields(answers());
    ASSERT_EQ(got.size(), 5u) << answers();

    EXPECT_TRUE(fs::equivalent(got[0], file)) << got[0];
    EXPECT_TRUE(fs::equivalent(got[1], testsupport::binaryDirectory())) << got[1];
    EXPECT_EQ(got[2], NICFW_PROJECT_VERSION) << "the library's own version";
    EXPECT_TRUE(fs::equivalent(got[3], platform::executable_path())) << got[3];
    EXPECT_EQ(got[4], "none") << "the program's version, which the test program does not carry";
}

}  // namespace
