#include "kelvor_core/status.h"
#include "discovery.h"
#include "common/kelvor_exit_codes.h"
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"

#include "platform/files.h"

#include <tuple>

namespace kelvor {

VersionClass classifyVersion(const VersionTriple& installed, const VersionTriple& available) {
    auto key = [](const VersionTriple& v) { return std::tie(v.major, v.minor, v.build); };
    if (key(available) > key(installed)) return VersionClass::Older;
    if (key(available) == key(installed)) return VersionClass::Same;
    return VersionClass::Newer;
}

namespace {

void showAdapter(const AdapterRecord& adapter) {
    LogLine log;
    log << "PCI-ID :" << adapter.pciKey << "     Ports: " << adapter.portCount << "\n";
    log.emit(true);

    log << " MAC                  Interface                   NIC Ports\n";
    for (const PortRecord& port : adapter.ports)
        log << port.macAddress << "    " << port.portId << "     " << port.productId << "\n";
    log.emit(true);

    log << "\n" << "\n" << "  (Installed)             (Available)                     Interface";
    log.emit(true);
    log << "  Image    Version        Image    Version   ";
    log.emit(true);
    log << std::string(51, '-') << std::string(31, '-');
    log.emit(true);
    log << "   Bootcode      " << adapter.installed.text() << "         Bootcode     " << adapter.available.text()
        << "     " << adapter.name << "\n" << "\n";
    log.emit(true);
}

}  // namespace

std::uint32_t showCurrent() {
    discoverAdapters();
    const RunState& state = runState();
    if (state.supportedCount == 0) return state.discoveryFailed ? reportDiscoveryFailed() : KelvorExit::NothingShown;
    for (const AdapterRecord& adapter : state.adapters) showAdapter(adapter);
    LogLine log;
    log << "**Note: Show current (/c) option displays ports information for each NIC." << "\n";
    log.emit(true);
    return KelvorExit::Success;
}

std::uint32_t versionReport() {
    if (std::optional<std::uint32_t> stop = discoverSupportedAdapters()) return *stop;
    const RunState& state = runState();
    LogLine log;
    // A file of that name from an earlier run is no answer to this one.
    if (state.versionReportWritten && platform::path_exists(state.reportFileName)) {
        log << "Created File: " << state.reportFileName << " only with firmware version details.";
        log.emit(true);
        return KelvorExit::Success;
    }
    log << "Failed to create file: " << state.reportFileName << ", only with firmware version details!.";
    log.emit(true);
    return KelvorExit::Failed;
}

}  // namespace kelvor
