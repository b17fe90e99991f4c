// Fuzz target of the utility's firmware catalog reader: the bytes of a
// catalog file go through the same reader as NICFWData.xml. Besides the
// sanitizers, it checks what the rest of the utility relies on: every stored
// entry sits under the key of its own identities, every key is found again,
// and the first image file is set exactly when an entry named one.
#include "kelvor_core/catalog.h"
#include "kelvor_core/runstate.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "catalog fuzzer: %s\n", what);
    std::abort();
}

void check_entry(const std::string& key, const kelvor::CatalogEntry& entry) {
    require(key == kelvor::catalogKey(entry.venid, entry.devid, entry.subvenid, entry.subdevid),
            "an entry is stored under the key of its own identities");
    require(key.size() >= 19, "each identity of a key takes at least four characters");
    require(kelvor::lookupCatalog(key) == &entry, "every stored key is found again");
    if (entry.rom.find('.') == std::string::npos)
        require(entry.romVersion == kelvor::VersionTriple{}, "a rom value without a dot reads as 0.0.0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvor::resetRunState();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    require(kelvor::loadCatalogBytes(bytes) == 0, "loading a catalog always answers 0");
    const kelvor::RunState& state = kelvor::runState();
    require(state.firstImageFileSet == !state.firstImageFile.empty(), "only a named image file is taken");
    for (const auto& [key, entry] : state.catalog) {
        check_entry(key, entry);
        require(entry.fwFile.empty() || state.firstImageFileSet, "an entry with an image file sets the first one");
    }
    require(kelvor::lookupCatalog("no such key") == nullptr, "an unknown key is not found");
    return 0;
}
