// The plug-in's own cost on top of the utility: the host stand-in's
// install-state query and its unattended installation on a simulated machine
// of 16 adapters, side by side with the utility runs they start ("Kelvor -n"
// for the query, "Kelvor -n" and "Kelvor -s" for the installation, whose
// host first asks the install state). The machine's state file is restored
// before every run, so every installation flashes the same adapters.
//
//   plugin_bench [--runs N] [--keep]
#include "machine.h"
#include "measure.h"

#include "platform/cmdline.h"
#include "platform/module.h"
#include "platform/system.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t Adapters = 16;
constexpr std::size_t CatalogModels = 1000;
constexpr int DefaultRuns = 20;
constexpr double AddedShareLimit = 0.10;
constexpr double AddedLimitMs = 20;

[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) Fail("cannot write " + path.string());
}

// A package directory with the programs, the demo package's definition
// files and simulated Windows machine, and the benchmark's adapters.
class Package {
public:
    Package(const fs::path& programs, const fs::path& dir)
        : dir_(dir), machine_(utilitybench::buildMachine(Adapters, CatalogModels)) {
        fs::create_directories(dir_ / "systemdrive");
        for (const char* name : {UTILITY_FILE_NAME, SIMULATOR_FILE_NAME, HOST_FILE_NAME, PLUGIN_FILE_NAME})
            fs::copy_file(programs / name, dir_ / name, fs::copy_options::overwrite_existing);
        const fs::path example = EXAMPLE_PACKAGE_DIR;
        for (const char* name : {"ykp3pfw.xml", "install.xml", "dependency.xml"})
            fs::copy_file(example / name, dir_ / name, fs::copy_options::overwrite_existing);
        fs::copy(example / "machine", dir_ / "machine", fs::copy_options::recursive);
        WriteFile(dir_ / "NICFWData.xml", machine_.catalog);
        WriteFile(dir_ / utilitybench::ImageFileName, machine_.image);
        platform::set_environment_variable("SystemDrive", (dir_ / "systemdrive").string());
        platform::set_environment_variable("YKZ_MACHINE", (dir_ / "machine").string());
    }

    // One timed run of a program of the package with its arguments, from a
    // fresh machine state and empty logs.
    double Run(const char* program, const std::string& arguments, std::uint32_t expectedExit) const {
        WriteFile(dir_ / "rirador.state", machine_.state);
        fs::remove_all(dir_ / "systemdrive" / "ykzsystem");
        std::string command = platform::quote_argument((dir_ / program).string()) + " " + arguments;
        utilitybench::TimedRun timed = utilitybench::timeRun(
            {command, dir_.string(), "", (dir_ / "stdout.txt").string(), (dir_ / "stderr.txt").string()});
        if (!timed.outcome.started) Fail(std::string(program) + " could not be started");
        if (timed.outcome.exitCode != expectedExit)
            Fail(std::string(program) + " " + arguments + " ended with " + std::to_string(timed.outcome.exitCode) +
                 ", expected " + std::to_string(expectedExit));
        return timed.milliseconds;
    }

private:
    fs::path dir_;
    utilitybench::Machine machine_;
};

struct Row {
    const char* what;
    double direct;
    double host;
};

void PrintTable(const std::vector<Row>& rows, int runs) {
    std::printf("%zu adapters, median of %d runs\n\n", Adapters, runs);
    std::printf(
        "| host path | utility runs it starts | direct (ms) | through the host (ms) | host adds (ms) | "
        "host adds (%%) |\n|---|---|---:|---:|---:|---:|\n");
    bool met = true;
    for (const Row& row : rows) {
        double added = row.host - row.direct;
        std::printf("| %s | %.2f | %.2f | %.2f | %.1f |\n", row.what, row.direct, row.host, added,
                    100.0 * added / row.direct);
        met = met && added < AddedShareLimit * row.direct && added <= AddedLimitMs;
    }
    std::printf("\nTarget (the host adds less than 10 %% and at most 20 ms): %s\n", met ? "met" : "NOT met");
}

int Main(int argc, char** argv) {
    int runs = DefaultRuns;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            runs = std::stoi(argv[++i]);
        else if (argument == "--keep")
            keep = true;
        else
            Fail("usage: plugin_bench [--runs N] [--keep]");
    }
    fs::path programs = fs::path(platform::executable_path()).parent_path();
    fs::path scratch = fs::temp_directory_path() / ("plugin-bench-" + std::to_string(platform::current_process_id()));
    fs::remove_all(scratch);
    Package package(programs, scratch);

    const std::uint32_t recommended =
        utilitybench::expectedStatusExitCode(utilitybench::buildMachine(Adapters, CatalogModels));
    std::vector<double> status, install, query, host, load;
    for (int run = 0; run < runs; ++run) {
        status.push_back(package.Run(UTILITY_FILE_NAME, "-n", recommended));
        install.push_back(package.Run(UTILITY_FILE_NAME, "-s", 1));
        query.push_back(package.Run(HOST_FILE_NAME, "--query-only", 0));
        host.push_back(package.Run(HOST_FILE_NAME, "", 2));
        load.push_back(package.Run(HOST_FILE_NAME, "--load-only", 0));
    }
    double statusMs = utilitybench::median(status);
    std::vector<double> both;
    for (std::size_t i = 0; i < status.size(); ++i) both.push_back(status[i] + install[i]);
    PrintTable({{"install state (Zorvane --query-only) | Kelvor -n", statusMs, utilitybench::median(query)},
                {"unattended installation (Zorvane) | Kelvor -n, Kelvor -s", utilitybench::median(both),
                 utilitybench::median(host)}},
               runs);
    std::printf("The host process alone, loading the plug-in and starting it up (Zorvane --load-only): %.2f ms\n",
                utilitybench::median(load));
    if (keep)
        std::fprintf(stderr, "scratch directory kept: %s\n", scratch.string().c_str());
    else
        fs::remove_all(scratch);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plugin_bench: %s\n", error.what());
        return 1;
    }
}
