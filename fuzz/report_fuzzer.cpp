// Fuzz target of the utility's discovery report reader: the bytes of a
// report go through the same reader as the adapter tool's
// tempP3PNicList.xml, against a small fixed catalog. Besides the
// sanitizers, it checks the reader's promises: its answer says whether an
// adapter matched, and every adapter kept is a catalog model under the key
// of its own identities.
#include "kelvor_core/catalog.h"
#include "kelvor_core/records.h"
#include "kelvor_core/report.h"
#include "kelvor_core/runstate.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Two models of the seeds' identities, one of them with a lower-case
// identity that no discovered adapter can match.
constexpr std::string_view Catalog =
    "<nic_fw_package version=\"1.0\"><nic>"
    "<nic name=\"KX-2210\" venid=\"1E5A\" devid=\"0A10\" subvenid=\"1F3C\" subdevid=\"2210\" rom=\"4.0.550\" "
    "fwFile=\"fw.img\"/>"
    "<nic name=\"KX-2211\" venid=\"1E5A\" devid=\"0A10\" subvenid=\"1f3c\" subdevid=\"2211\" rom=\"4.0.550\" "
    "fwFile=\"fw.img\"/>"
    "</nic></nic_fw_package>";

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "report fuzzer: %s\n", what);
    std::abort();
}

void check_adapter(const kelvor::AdapterRecord& adapter) {
    require((adapter.flags & kelvor::AdapterInCatalog) != 0, "only catalog models are kept");
    require(adapter.pciKey == kelvor::pciKey(adapter.venid, adapter.devid, adapter.subvenid, adapter.subdevid),
            "an adapter's key is that of its identities");
    const kelvor::CatalogEntry* entry = kelvor::lookupCatalog(adapter.pciKey);
    require(entry != nullptr && adapter.available == entry->romVersion, "an adapter offers its model's firmware");
    require(adapter.portCount >= 0 && adapter.ports.size() <= static_cast<std::size_t>(adapter.portCount),
            "no more ports are read than the ports element holds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvor::resetRunState();
    kelvor::loadCatalogBytes(Catalog);
    require(kelvor::runState().catalog.size() == 2, "the fixed catalog loads");
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    int answer = kelvor::readDiscoveryReportBytes(bytes, kelvor::DiscoveryFileName);
    const kelvor::RunState& state = kelvor::runState();
    require(answer == (state.adapters.empty() ? 1 : 0), "the answer says whether an adapter matched");
    require(state.supportedCount == state.adapters.size(), "every kept adapter is counted once");
    for (const kelvor::AdapterRecord& adapter : state.adapters) check_adapter(adapter);
    return 0;
}
