// The utility's process-wide state, in one place: the run flags word, the
// log modes, the report file name, the firmware catalog and what discovery
// found. Everything here lives for the whole run.
#pragma once

#include "kelvor_core/records.h"

#include "kelvor_xml/dom.h"

#include <cstdint>
#include <unordered_map>
#include <string>
#include <vector>

namespace kelvor {

// Bits of the run flags word. Options set the first group while the command
// line is read; the run modes set the run-state bits, which the summary of
// the interactive flow reads back.
namespace flag {
constexpr std::uint32_t ShowCurrent = 0x00000001;      // -c
constexpr std::uint32_t Silent = 0x00000002;           // -s
constexpr std::uint32_t Force = 0x00000004;            // -f
constexpr std::uint32_t AssumeDefault = 0x00000010;    // -y
constexpr std::uint32_t WriteReport = 0x00000020;      // -d
constexpr std::uint32_t UpdateFromReport = 0x00000040; // -u
constexpr std::uint32_t VersionReport = 0x00000600;    // -v sets both bits
constexpr std::uint32_t Cancelled = 0x00000100;
constexpr std::uint32_t ErrorOccurred = 0x00000200;
constexpr std::uint32_t Updated = 0x00000400;
constexpr std::uint32_t NoticeShown = 0x00001000;
constexpr std::uint32_t Identify = 0x00010000;         // -ql
constexpr std::uint32_t StatusOnly = 0x00400000;       // -n
constexpr std::uint32_t StatusRecommended = 0x00800000;
constexpr std::uint32_t StatusSame = 0x01000000;
constexpr std::uint32_t StatusNewer = 0x02000000;
}  // namespace flag

// Fixed file names, relative to the package directory.
inline constexpr const char* CatalogFileName = "NICFWData.xml";
inline constexpr const char* DiscoveryFileName = "tempP3PNicList.xml";

struct RunState {
    std::uint32_t flags = 0;
    std::string reportFileName;  // after -d, -u or -v; the last one wins
    bool versionReportWritten = false;  // this run wrote the -v report file

    bool debugMode = false;
    bool silentMode = false;
    std::string logPath;  // empty until the start-up header builds it

    // By catalog key. Only looked up, never walked in order, so a hash map.
    std::unordered_map<std::string, CatalogEntry> catalog;
    // The parsed catalogs whose text the entries view.
    std::vector<dom::DomNode> catalogDocuments;
    std::string firstImageFile;
    bool firstImageFileSet = false;

    bool discoveryDone = false;
    // The last discovery learnt nothing about the adapters: the tool did not
    // start, failed, or left no report that the reader could load. Not the
    // same as a discovery that found no supported adapter.
    bool discoveryFailed = false;
    std::vector<AdapterRecord> adapters;  // supported adapters, in report order
    std::uint32_t supportedCount = 0;

    bool has(std::uint32_t bits) const { return (flags & bits) == bits; }
    bool hasAny(std::uint32_t bits) const { return (flags & bits) != 0; }
};

RunState& runState();

// Starts over with a fresh state, as a new process would.
void resetRunState();

}  // namespace kelvor
