// The simulated machine's registry file at 5,000 and 40,000 keys: reading
// the text into a document, one query through the registry service (which
// reads the whole file anew, as every query does) and one write (read,
// change, write back). Processor time, medians; README.md holds the
// results. Exits non-zero when a target is missed or a document reads back
// wrong.
#include "platform/registry.h"
#include "platform/regfile.h"
#include "platform/system.h"
#include "platform/unicode.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::RegistryRoot;
using platform::RegistryStatus;

// Targets: a query on 40,000 keys well under a second, and the cost per key
// at 40,000 keys at most 1.5 times that at 5,000 (reading grows linearly).
constexpr double query_target_ms = 500.0;
constexpr double growth_target = 1.5;

double cpu_milliseconds() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string service_name(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Svc%05zu", index);
    return name;
}

// A driver-laden machine's export: one service key per four keys, each with
// the values a driver installation writes, and three keys below it.
std::string registry_text(std::size_t keys) {
    std::string text = "Windows Registry Editor Version 5.00\r\n";
    for (std::size_t key = 0; key < keys; ++key) {
        std::string path = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + service_name(key / 4);
        switch (key % 4) {
            case 0:
                text += "\r\n[" + path + "]\r\n\"Type\"=dword:00000001\r\n\"Start\"=dword:00000003\r\n"
                        "\"ImagePath\"=\"system32\\\\drivers\\\\" + service_name(key / 4) + ".sys\"\r\n"
                        "\"DisplayName\"=\"Adapter service " + std::to_string(key / 4) + "\"\r\n";
                break;
            case 1:
                text += "\r\n[" + path + "\\Parameters]\r\n\"Flags\"=hex:01,00,00,00,ff\r\n"
                        "\"Groups\"=hex(7):4e,00,44,00,49,00,53,00,00,00,00,00\r\n";
                break;
            case 2:
                text += "\r\n[" + path + "\\Enum]\r\n\"Count\"=dword:00000000\r\n";
                break;
            default:
                text += "\r\n[" + path + "\\Security]\r\n\"Security\"=hex:01,00,14,80\r\n";
                break;
        }
    }
    return text;
}

struct Result {
    std::size_t keys = 0;
    double megabytes = 0;  // the registry file's size
    // Medians of processor time:
    double parse_ms = 0;  // the text read into a document
    double query_ms = 0;  // one value read through the registry service
    double write_ms = 0;  // one value written through it
};

bool fail(const char* what) {
    std::fprintf(stderr, "registry_bench: %s\n", what);
    return false;
}

bool measure(std::size_t keys, int runs, const fs::path& machine, Result& result) {
    std::string text = registry_text(keys);
    result.keys = keys;
    result.megabytes = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    std::vector<double> parse, query, write;
    std::u16string last = platform::utf8_to_utf16("SYSTEM\\CurrentControlSet\\Services\\" + service_name((keys - 1) / 4));
    for (int run = 0; run < runs; ++run) {
        platform::regfile::Document document;
        double start = cpu_milliseconds();
        bool parsed = document.parse(text);
        parse.push_back(cpu_milliseconds() - start);
        if (!parsed || document.keys().size() != keys) return fail("the document did not read back whole");

        std::ofstream(machine / "registry.reg", std::ios::binary) << text;
        platform::RegistryKey key;
        std::uint32_t type = 0;
        start = cpu_milliseconds();
        RegistryStatus opened = key.open(RegistryRoot::local_machine, last);
        if (opened == RegistryStatus::ok) opened = key.read_dword(u"Type", type);
        query.push_back(cpu_milliseconds() - start);
        if (opened != RegistryStatus::ok || type != 1) return fail("the last service key was not found");

        start = cpu_milliseconds();
        RegistryStatus written = platform::registry_set_value(RegistryRoot::local_machine, last + u"\\Written",
                                                              u"Value", platform::registry_dword(7));
        write.push_back(cpu_milliseconds() - start);
        if (written != RegistryStatus::ok) return fail("the write failed");
    }
    result.parse_ms = median(parse);
    result.query_ms = median(query);
    result.write_ms = median(write);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));

    fs::path machine = fs::temp_directory_path() / ("registry_bench." + std::to_string(::getpid()));
    fs::create_directories(machine);
    platform::set_environment_variable("YKZ_MACHINE", machine.string());

    std::vector<Result> results;
    bool ok = true;
    for (std::size_t keys : {std::size_t{5000}, std::size_t{40000}}) {
        Result result;
        ok = measure(keys, runs, machine, result) && ok;
        results.push_back(result);
    }
    fs::remove_all(machine);
    if (!ok) return 1;

    std::printf("| keys | MB | parse ms | query ms | write ms | query us per key |\n|---|---:|---:|---:|---:|---:|\n");
    for (const Result& r : results)
        std::printf("| %zu | %.2f | %.2f | %.2f | %.2f | %.3f |\n", r.keys, r.megabytes, r.parse_ms, r.query_ms,
                    r.write_ms, 1000.0 * r.query_ms / static_cast<double>(r.keys));
    double growth = (results[1].query_ms / results[1].keys) / (results[0].query_ms / results[0].keys);
    std::printf("\nquery time per key, 40,000 keys against 5,000: %.2f (target at most %.1f)\n", growth,
                growth_target);
    std::printf("query at 40,000 keys: %.2f ms (target under %.0f ms)\n", results[1].query_ms, query_target_ms);
    bool met = growth <= growth_target && results[1].query_ms < query_target_ms;
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    return met ? 0 : 1;
}
