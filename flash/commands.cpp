#include "kelvor_core/commands.h"

#include "platform/cmdline.h"

namespace kelvor {

std::string discoveryCommand(const std::string& imageFile, const std::string& outputFile) {
    return std::string(ToolCommandPrefix) + " -d " + imageFile + " " + outputFile;
}

std::string updateCommand(const std::string& imageFile, const std::string& reportFile) {
    return std::string(ToolCommandPrefix) + " -u " + imageFile + " " + reportFile;
}

std::string flashCommand(const std::string& adapterName, const std::string& imageFile) {
    return std::string(ToolCommandPrefix) + " -i " + platform::quote_argument(adapterName) + " -a " + imageFile;
}

}  // namespace kelvor
