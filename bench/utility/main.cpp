// Wall time of the whole utility against the adapter simulator, on simulated
// machines of growing size with a large catalog, and the utility's own share
// of it: each run minus the simulator's own time for the same discovery,
// measured alongside in the same directory with the same state file.
//
//   utility_bench [--runs N] [--adapters A,B,...] [--keep]
//
// --runs sets the repetitions for every size (default: more at small sizes),
// --adapters the machine sizes, --keep leaves the scratch directory behind.
#include "machine.h"
#include "measure.h"

#include "platform/cmdline.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/system.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using utilitybench::Machine;
using utilitybench::TimedRun;

constexpr std::size_t CatalogModels = 10000;
constexpr const char* DiscoveryFile = "tempP3PNicList.xml";
// What the utility passes to the simulator for discovery, two blanks included.
constexpr const char* DiscoveryArguments = " -flashsupport  -d fw.img tempP3PNicList.xml";
constexpr double OwnShareLimitMs = 50;
constexpr std::size_t LimitAdapters = 4096;

struct Size {
    std::size_t adapters;
    int repetitions;
};

const std::vector<std::size_t> DefaultAdapterCounts = {1, 16, 256, 4096};

// Large machines take long per run and vary less relative to their length.
int defaultRepetitions(std::size_t adapters) {
    if (adapters <= 16) return 30;
    if (adapters <= 256) return 25;
    return 15;
}

// A cost that grows linearly adds the same per adapter at every size; this
// much more in the last step than in the one before counts as faster growth.
constexpr double LinearTolerance = 1.5;

struct Options {
    std::vector<Size> sizes;
    bool keep = false;
};

struct Result {
    std::size_t adapters = 0;
    int repetitions = 0;
    double statusWall = 0;
    double simulator = 0;
    double statusOwn = 0;
    double showWall = 0;
    double showOwn = 0;
};

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) fail("cannot write " + path.string());
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::vector<std::size_t> parseList(const std::string& text) {
    std::vector<std::size_t> values;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) values.push_back(std::stoul(item));
    return values;
}

Options parseOptions(int argc, char** argv) {
    Options options;
    std::vector<std::size_t> adapterCounts = DefaultAdapterCounts;
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--runs" && hasValue) {
            runs = std::stoi(argv[++i]);
        } else if (argument == "--adapters" && hasValue) {
            adapterCounts = parseList(argv[++i]);
        } else if (argument == "--keep") {
            options.keep = true;
        } else {
            fail("usage: utility_bench [--runs N] [--adapters A,B,...] [--keep]");
        }
    }
    for (std::size_t adapters : adapterCounts) {
        if (adapters == 0 || adapters > CatalogModels) fail("adapter counts run from 1 to the catalog's size");
        options.sizes.push_back({adapters, runs > 0 ? runs : defaultRepetitions(adapters)});
    }
    return options;
}

// Where the utility's log lies and whether the benchmark may drop it.
struct UtilityLog {
    fs::path file;
    bool ours = false;  // under the benchmark's scratch directory
};

// One package directory with a machine, and the runs the benchmark makes in it.
class MachineRuns {
public:
    MachineRuns(const fs::path& programs, const fs::path& dir, const UtilityLog& log, const Machine& machine)
        : programs_(programs), dir_(dir), log_(log), machine_(machine) {
        fs::create_directories(dir_);
        writeFile(dir_ / "NICFWData.xml", machine.catalog);
        writeFile(dir_ / utilitybench::ImageFileName, machine.image);
        writeFile(dir_ / "rirador.state", machine.state);
        fs::copy_file(programs_ / SIMULATOR_FILE_NAME, dir_ / SIMULATOR_FILE_NAME,
                      fs::copy_options::overwrite_existing);
    }

    // The simulator on its own, as the utility starts it for discovery: in
    // the package directory and without standard handles.
    TimedRun simulator(bool keepReport = false) const {
        TimedRun timed =
            utilitybench::timeRun({platform::quote_argument((dir_ / SIMULATOR_FILE_NAME).string()) + DiscoveryArguments,
                                   dir_.string(), "", "", ""});
        expectExit(timed, 0, "the simulator alone");
        // The utility never finds a report of an earlier run either: it
        // deletes the file before and after its own discovery.
        if (!keepReport) fs::remove(dir_ / DiscoveryFile);
        return timed;
    }

    TimedRun utility(const std::string& option) const {
        // Dropping the benchmark's own log keeps every run alike and the disk
        // from filling; a log on the real system drive is left alone.
        if (log_.ours) fs::remove(log_.file);
        std::string command = platform::quote_argument((programs_ / UTILITY_FILE_NAME).string()) + " " + option;
        TimedRun timed = utilitybench::timeRun(
            {command, dir_.string(), "", outputFile(option).string(), (dir_ / "stderr.txt").string()});
        expectExit(timed, option == "-c" ? 1 : utilitybench::expectedStatusExitCode(machine_), "Kelvor " + option);
        return timed;
    }

    // One untimed run of each kind, checked beyond its exit code: every
    // adapter must be reported, so the timed runs do the whole work.
    void verify() const {
        std::size_t adapters = machine_.adapters;
        simulator(true);
        expectCount(readFile(dir_ / DiscoveryFile), "<device>", adapters, "the simulator's report");
        fs::remove(dir_ / DiscoveryFile);

        utility("-n");
        expectCount(readFile(outputFile("-n")), "Found ", adapters, "the output of Kelvor -n");

        utility("-c");
        std::string shown = readFile(outputFile("-c"));
        expectCount(shown, "PCI-ID :", adapters, "the output of Kelvor -c");
        if (!fs::exists(log_.file)) fail("Kelvor wrote no log at " + log_.file.string());
        if (log_.ours)
            std::fprintf(stderr, "  -c: %zu bytes on standard output, %zu lines in zizador.log\n", shown.size(),
                         count(readFile(log_.file), "\n"));
    }

private:
    fs::path outputFile(const std::string& option) const { return dir_ / ("stdout" + option + ".txt"); }

    static void expectExit(const TimedRun& run, std::uint32_t code, const std::string& what) {
        if (!run.outcome.started) fail(what + " could not be started");
        if (run.outcome.exitCode != code)
            fail(what + " ended with exit code " + std::to_string(run.outcome.exitCode) + ", expected " +
                 std::to_string(code));
    }

    static void expectCount(const std::string& text, const std::string& part, std::size_t expected,
                            const std::string& what) {
        std::size_t found = count(text, part);
        if (found != expected)
            fail(what + " holds " + std::to_string(found) + " \"" + part + "\", expected " + std::to_string(expected));
    }

    fs::path programs_, dir_;
    UtilityLog log_;
    const Machine& machine_;
};

// Interleaved: simulator, -n, simulator, -c, simulator, -n, ... ending with a
// simulator run, so every utility run lies between two simulator runs and
// its own share is taken against their mean. Drift of a shared machine then
// hits both sides of each difference alike.
Result measureSize(const MachineRuns& runs, const Size& size) {
    std::vector<double> simulator, statusWall, statusOwn, showWall, showOwn;
    auto simulatorRun = [&] {
        double ms = runs.simulator().milliseconds;
        simulator.push_back(ms);
        return ms;
    };

    double before = simulatorRun();
    for (int repetition = 0; repetition < size.repetitions; ++repetition) {
        double status = runs.utility("-n").milliseconds;
        double between = simulatorRun();
        statusWall.push_back(status);
        statusOwn.push_back(status - (before + between) / 2);

        double show = runs.utility("-c").milliseconds;
        double after = simulatorRun();
        showWall.push_back(show);
        showOwn.push_back(show - (between + after) / 2);
        before = after;
    }

    using utilitybench::median;
    return {size.adapters,     size.repetitions, median(statusWall), median(simulator),
            median(statusOwn), median(showWall), median(showOwn)};
}

fs::path programDirectory() {
    return fs::path(platform::executable_path()).parent_path();
}

fs::path makeScratch() {
    fs::path scratch = fs::temp_directory_path() / ("utility-bench-" + std::to_string(platform::current_process_id()));
    fs::remove_all(scratch);
    fs::create_directories(scratch / "systemdrive");
    return scratch;
}

// zizador.log as the utility places it: on the system drive's ykzsystem\log.
UtilityLog utilityLog(const fs::path& scratch) {
    std::string windows = platform::windows_directory();
    std::string drive(1, windows.empty() ? 'C' : windows[0]);
    fs::path file = fs::absolute(platform::native_path(drive + ":\\ykzsystem\\log\\zizador.log")).lexically_normal();
    std::string root = fs::absolute(scratch).lexically_normal().string();
    return {file, file.string().compare(0, root.size(), root) == 0};
}

std::string formatMs(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ms);
    return text;
}

void printTable(const std::vector<Result>& results) {
    std::printf(
        "| adapters | runs | -n wall (ms) | simulator alone (ms) | -n own share (ms) | -c wall (ms) "
        "| -c own share (ms) | own share per adapter, -n / -c (us) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Result& r : results) {
        double perAdapter = 1000.0 / static_cast<double>(r.adapters);
        std::printf("| %zu | %d | %s | %s | %s | %s | %s | %.1f / %.1f |\n", r.adapters, r.repetitions,
                    formatMs(r.statusWall).c_str(), formatMs(r.simulator).c_str(), formatMs(r.statusOwn).c_str(),
                    formatMs(r.showWall).c_str(), formatMs(r.showOwn).c_str(), r.statusOwn * perAdapter,
                    r.showOwn * perAdapter);
    }
}

// Microseconds that each adapter added between two sizes adds to a share.
double addedCost(double smallShare, double largeShare, std::size_t smallCount, std::size_t largeCount) {
    return (largeShare - smallShare) * 1000.0 / static_cast<double>(largeCount - smallCount);
}

// Growth is judged by the cost of each added adapter: for a linear cost it
// stays level as the machine grows, while the share per adapter alone would
// hide a faster term behind the start-up. The last step is set against the
// whole range below it, which spans enough adapters to rise above the noise.
void printVerdict(const std::vector<Result>& results) {
    std::printf("\nCost of each added adapter (own share difference / adapter difference):\n");
    for (std::size_t i = 1; i < results.size(); ++i) {
        const Result& a = results[i - 1];
        const Result& b = results[i];
        if (b.adapters <= a.adapters) continue;
        std::printf("  %zu -> %zu adapters: -n %.2f us, -c %.2f us\n", a.adapters, b.adapters,
                    addedCost(a.statusOwn, b.statusOwn, a.adapters, b.adapters),
                    addedCost(a.showOwn, b.showOwn, a.adapters, b.adapters));
    }
    if (results.size() >= 3) {
        const Result& first = results.front();
        const Result& middle = results[results.size() - 2];
        const Result& last = results.back();
        if (first.adapters < middle.adapters && middle.adapters < last.adapters) {
            double statusBelow = addedCost(first.statusOwn, middle.statusOwn, first.adapters, middle.adapters);
            double showBelow = addedCost(first.showOwn, middle.showOwn, first.adapters, middle.adapters);
            double statusLast = addedCost(middle.statusOwn, last.statusOwn, middle.adapters, last.adapters);
            double showLast = addedCost(middle.showOwn, last.showOwn, middle.adapters, last.adapters);
            if (statusBelow <= 0 || showBelow <= 0) {
                std::printf("Growth: not judged, the sizes below %zu differ by less than the noise\n", last.adapters);
            } else {
                bool linear = statusLast <= LinearTolerance * statusBelow && showLast <= LinearTolerance * showBelow;
                std::printf("Growth: %s (cost per added adapter, %zu -> %zu against %zu -> %zu: -n x%.2f, -c x%.2f)\n",
                            linear ? "at most linear" : "FASTER than linear", middle.adapters, last.adapters,
                            first.adapters, middle.adapters, statusLast / statusBelow, showLast / showBelow);
            }
        }
    }
    for (const Result& r : results) {
        if (r.adapters != LimitAdapters) continue;
        double worst = r.statusOwn > r.showOwn ? r.statusOwn : r.showOwn;
        std::printf("Own share at %zu adapters: %.2f ms (-n), %.2f ms (-c); limit %.0f ms: %s\n", r.adapters,
                    r.statusOwn, r.showOwn, OwnShareLimitMs, worst < OwnShareLimitMs ? "met" : "MISSED");
    }
}

int run(const Options& options) {
    fs::path programs = programDirectory();
    for (const char* name : {UTILITY_FILE_NAME, SIMULATOR_FILE_NAME})
        if (!fs::exists(programs / name)) fail("no " + (programs / name).string() + "; build the programs first");

    fs::path scratch = makeScratch();
    // The utility logs under the system drive; here that is a directory of
    // the benchmark, so the machine's own root is never written.
    platform::set_environment_variable("SystemDrive", (scratch / "systemdrive").string());
    UtilityLog log = utilityLog(scratch);

    std::vector<Result> results;
    try {
        for (const Size& size : options.sizes) {
            std::fprintf(stderr, "%zu adapters, %zu catalog models, %d runs\n", size.adapters, CatalogModels,
                         size.repetitions);
            Machine machine = utilitybench::buildMachine(size.adapters, CatalogModels);
            std::fprintf(stderr, "  %zu ports; installed older %zu, same %zu, newer %zu\n", machine.ports,
                         machine.older, machine.same, machine.newer);
            MachineRuns runs(programs, scratch / ("machine-" + std::to_string(size.adapters)), log, machine);
            runs.verify();
            results.push_back(measureSize(runs, size));
        }
    } catch (...) {
        if (!options.keep) fs::remove_all(scratch);
        throw;
    }
    if (options.keep)
        std::fprintf(stderr, "scratch directory kept: %s\n", scratch.string().c_str());
    else
        fs::remove_all(scratch);

    printTable(results);
    printVerdict(results);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(parseOptions(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "utility_bench: %s\n", error.what());
        return 1;
    }
}
