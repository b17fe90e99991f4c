// Zorvane: the update-manager host stand-in. It loads the plug-in from its
// current directory (the package directory), asks what the plug-in offers and
// prints it for a person to read.
#include "platform/library.h"

#include <cstdint>
#include <cstdio>

namespace {

using GetInterfaceVersionFunction = std::int32_t (*)(std::int32_t*);

}  // namespace

int main() {
    platform::SharedLibrary plugin;
    std::string name = ".\\" + platform::SharedLibrary::file_name("Tamsel");
    if (!plugin.load(name)) {
        std::fprintf(stderr, "Zorvane: cannot load %s: %s\n", name.c_str(), plugin.error().c_str());
        return 2;
    }
    auto getInterfaceVersion =
        reinterpret_cast<GetInterfaceVersionFunction>(plugin.symbol("GetInterfaceVersion"));
    if (getInterfaceVersion == nullptr) {
        std::fprintf(stderr, "Zorvane: %s has no export GetInterfaceVersion\n", name.c_str());
        return 2;
    }
    std::int32_t version = 0;
    std::int32_t result = getInterfaceVersion(&version);
    std::printf("GetInterfaceVersion: result %d, interface version %d\n", static_cast<int>(result),
                static_cast<int>(version));
    plugin.unload();
    return result == 1 ? 0 : 1;
}
