// The plug-in's XML reader against Debian's expat used bare (handlers that
// only count), on package definitions of 10 KB, 1 MB and 50 MB and on a 50 MB
// CDATA section. The reader's load and free are timed separately; the table
// gives medians of processor time and the ratios that the targets are stated
// in (README.md).
#include "package_documents.h"

#include "tamsel_xml/ykzxml.h"

#include <expat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace ykzxmlbench {

namespace {

constexpr double megabyte = 1024.0 * 1024.0;

// The process's processor time (user and system, so the system's work of
// supplying fresh memory counts), not the wall clock: on a shared machine
// the time spent waiting for a processor would otherwise swamp the ratios.
double cpu_milliseconds() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Case {
    std::string label;
    std::string text;
    double expat_ms = 0;
    double load_ms = 0;
    double free_ms = 0;
    double megabytes() const { return static_cast<double>(text.size()) / megabyte; }
};

struct Counts {
    std::size_t events = 0;
};

void XMLCALL count_start(void* data, const XML_Char*, const XML_Char**) {
    ++static_cast<Counts*>(data)->events;
}
void XMLCALL count_end(void* data, const XML_Char*) {
    ++static_cast<Counts*>(data)->events;
}
void XMLCALL count_text(void* data, const XML_Char*, int) {
    ++static_cast<Counts*>(data)->events;
}
void XMLCALL count_cdata(void* data) {
    ++static_cast<Counts*>(data)->events;
}

// The same handlers as the reader registers, doing nothing but counting.
bool bare_expat(const std::string& text, Counts& counts) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(parser, count_start, count_end);
    XML_SetCharacterDataHandler(parser, count_text);
    XML_SetCdataSectionHandler(parser, count_cdata, count_cdata);
    bool parsed = XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return parsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int repetitions_for(std::size_t bytes) {
    if (bytes <= 100'000) return 101;
    if (bytes <= 2'000'000) return 21;
    return 5;
}

// expat, the reader's load and its free take turns in every repetition, so
// drift in the machine's speed affects them alike.
bool measure(Case& c) {
    std::vector<double> expat, load, release;
    for (int round = 0; round < repetitions_for(c.text.size()); ++round) {
        Counts counts;
        auto reader = std::make_unique<CYkzXMLReader>();
        double start = cpu_milliseconds();
        bool parsed = bare_expat(c.text, counts);
        double bare = cpu_milliseconds();
        std::int32_t result = reader->LoadBuffer(c.text.data(), c.text.size());
        double loaded = cpu_milliseconds();
        reader.reset();
        double freed = cpu_milliseconds();
        if (!parsed || result != CYkzXMLReader::LoadOk) {
            std::printf("!! %s: expat %d, reader %d\n", c.label.c_str(), parsed, result);
            return false;
        }
        expat.push_back(bare - start);
        load.push_back(loaded - bare);
        release.push_back(freed - loaded);
    }
    c.expat_ms = median(expat);
    c.load_ms = median(load);
    c.free_ms = median(release);
    return true;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

int report(const std::vector<Case>& cases) {
    std::printf("| document | MB | expat ms | reader load ms | load / expat | reader free ms | free / load |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    bool load_met = true, free_met = true;
    for (const Case& c : cases) {
        double load_ratio = c.load_ms / c.expat_ms, free_ratio = c.free_ms / c.load_ms;
        std::printf("| %s | %.2f | %.3f | %.3f | %.2f | %.3f | %.2f |\n", c.label.c_str(), c.megabytes(), c.expat_ms,
                    c.load_ms, load_ratio, c.free_ms, free_ratio);
        load_met = load_met && load_ratio <= 3.0;
        free_met = free_met && free_ratio < 0.5;
    }
    // cases[1] and cases[2] are the 1 MB and 50 MB package definitions.
    double per_mb_small = cases[1].load_ms / cases[1].megabytes();
    double per_mb_large = cases[2].load_ms / cases[2].megabytes();
    double scaling = per_mb_large / per_mb_small;
    double expat_scaling = (cases[2].expat_ms / cases[2].megabytes()) / (cases[1].expat_ms / cases[1].megabytes());
    std::printf("\nLoad time per MB, 50 MB package definition / 1 MB: %.2f (expat alone: %.2f)\n", scaling,
                expat_scaling);
    std::printf(
        "\nTargets: load at most 3 x expat: %s; per MB at 50 MB at most 1.5 x at 1 MB: %s; "
        "free under half the load: %s\n",
        verdict(load_met), verdict(scaling <= 1.5), verdict(free_met));
    return load_met && free_met && scaling <= 1.5 ? 0 : 1;
}

}  // namespace

}  // namespace ykzxmlbench

int main() {
    using namespace ykzxmlbench;
    std::vector<Case> cases;
    cases.push_back({"package definition 10 KB", package_definition(10'000)});
    cases.push_back({"package definition 1 MB", package_definition(1'000'000)});
    cases.push_back({"package definition 50 MB", package_definition(50'000'000)});
    cases.push_back({"CDATA section 50 MB", cdata_document(50'000'000)});
    for (Case& c : cases) {
        if (!measure(c)) return 2;
    }
    return report(cases);
}
