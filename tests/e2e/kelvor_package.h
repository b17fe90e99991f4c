// End-to-end runs of the real Kelvor in a fresh package directory, with the
// adapter simulator standing in for the vendor's tool.
#pragma once

#include "testsupport/testsupport.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

// One model of the firmware catalog; identities as written in the file.
struct Model {
    std::string name;
    std::string venid, devid, subvenid, subdevid;
    std::string rom = "4.0.550";
    std::string fwFile = "fw.img";
};

// The catalog file for groups of models (each group one grouping element).
std::string catalogXml(const std::vector<std::vector<Model>>& groups);

// One simulated adapter of the simulator's state file.
struct Adapter {
    std::string deviceId;
    std::string venid, devid, subvenid, subdevid;
    std::string firmware;
    std::string mac = "00-11-22-33-44-55";
    std::string product = "Tarn KX-2210 Dual Port 10GbE";
    std::string bus = "5";
    std::vector<std::string> ports;  // "PORT_ID | MAC | PRODUCT | FUNC"
    std::vector<std::string> extra;  // further "key = value" lines
};

// The state file: the adapters, then a [faults] section with the given lines.
std::string stateFile(const std::vector<Adapter>& adapters, const std::vector<std::string>& faults = {});

// The folder of the logs on this platform, ykzsystem\log on the drive of
// the Windows directory: zizador.log, and the plug-in's ykzsetup.log and
// verbose logs.
std::filesystem::path logDirectory();

// What `file` holds beyond its first `from` bytes, line ends normalized;
// empty when it did not grow.
std::string tail(const std::filesystem::path& file, std::uintmax_t from);

struct KelvorRun {
    bool started = false;
    std::uint32_t exitCode = 0;
    std::string out;                 // standard output
    std::string log;                 // what this run appended to zizador.log
    std::vector<std::string> calls;  // the simulator's calls during this run
};

// What one run of the host stand-in left behind.
struct HostRun {
    std::uint32_t exitCode = 0;
    std::string out;                 // standard output, then standard error
    std::string setupLog;            // what the run added to ykzsetup.log
    std::string utilityLog;          // what it added to zizador.log; empty: the utility never wrote
    std::vector<std::string> calls;  // the simulator's calls during the run
};

class KelvorPackage {
public:
    // A package directory with the simulator and, on Linux, its own system
    // drive for the log.
    KelvorPackage();

    const std::filesystem::path& dir() const { return dir_.path(); }
    std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    void remove(const std::string& name) const;
    // Fills the directory with the staged demo package (binaries, definition
    // files, simulated machine) and points YKZ_MACHINE at its machine, as a
    // host run needs it.
    void stageDemoPackage() const;

    // The catalog, image file and simulator state in one go.
    void setUp(const std::vector<std::vector<Model>>& catalog, const std::vector<Adapter>& adapters,
               const std::vector<std::string>& faults = {});

    KelvorRun run(const std::vector<std::string>& arguments, const std::string& input = "") const;
    // Runs the package's own copy of the host stand-in with its arguments
    // written as a host writes them, unquoted, where the plug-in reads them.
    HostRun runHost(const std::string& arguments, const std::string& input = "") const;

    // zizador.log where the utility writes it on this platform.
    std::filesystem::path logFile() const;

private:
    testsupport::TempDir dir_{"nicfw-package"};
};

// Whether lines of `text` contain `line` exactly.
bool hasLine(const std::string& text, const std::string& line);
// How often `part` occurs in `text`.
std::size_t count(const std::string& text, const std::string& part);

// A catalog model and an adapter for it, with identities 1E5A-0A10-1F3C-<sub>.
Model model(const std::string& subdevid, const std::string& rom = "4.0.550");
Adapter adapter(const std::string& deviceId, const std::string& subdevid, const std::string& firmware);

}  // namespace e2e
