// A shared library for the module tests: it answers what the module service
// says from inside a library, as the plug-in asks it inside its host.
#include "platform/module.h"

#include <string>

#if defined(_WIN32)
#define MODULE_PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define MODULE_PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::string versionText(bool known, const platform::FileVersion& v) {
    if (!known) return "none";
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) + "." +
           std::to_string(v.revision);
}

}  // namespace

// "this module path|this module directory|this module version|executable path|executable version"
MODULE_PROBE_EXPORT const char* module_probe_answers() {
    static std::string answers;
    platform::FileVersion own;
    platform::FileVersion program;
    bool ownKnown = platform::this_module_file_version(own);
    bool programKnown = platform::executable_file_version(program);
    answers = platform::this_module_path() + "|" + platform::this_module_directory() + "|" +
              versionText(ownKnown, own) + "|" + platform::executable_path() + "|" + versionText(programKnown, program);
    return answers.c_str();
}
