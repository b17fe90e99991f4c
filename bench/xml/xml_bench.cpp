// Compares the utility's XML document library with tinyxml2, pugixml and a
// tree built with expat, on generated documents shaped like the firmware
// catalog and the discovery report. Reports medians and the ratios between
// the parsers of the same run; see README.md.
//
//   xml_bench            the full run (100 KB to 100 MB)
//   xml_bench --quick    sizes up to 10 MB, for a quick look
//   xml_bench --peak PARSER FILE
//                        (internal) parses FILE with one parser in a fresh
//                        process and prints its peak resident memory and
//                        the time its one parse took
//   xml_bench --write DIR
//                        writes the documents up to 10 MB into DIR, for
//                        counting each parser's instructions on them with
//                        --peak under callgrind (see README.md)
#include "documents.h"
#include "parsers.h"

#include "platform/cmdline.h"
#include "platform/module.h"
#include "platform/process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace xmlbench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double megabyte = 1024.0 * 1024.0;

struct Timing {
    double parse_ms = 0;
    double free_ms = 0;
};

struct Case {
    std::string label;
    Shape shape;
    Document document;
    std::map<std::string, Timing> medians;  // by parser name
};

double milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int repetitions_for(std::size_t bytes) {
    if (bytes <= 200'000) return 41;
    if (bytes <= 2'000'000) return 15;
    if (bytes <= 20'000'000) return 7;
    return 5;
}

std::string size_label(std::size_t bytes) {
    char label[32];
    if (bytes >= 1'000'000)
        std::snprintf(label, sizeof label, "%.0f MB", static_cast<double>(bytes) / 1e6);
    else
        std::snprintf(label, sizeof label, "%.0f KB", static_cast<double>(bytes) / 1e3);
    return label;
}

// Every parser parses the document once, and all must agree on its size.
bool check_agreement(const Case& c, std::vector<std::unique_ptr<TreeParser>>& parsers) {
    bool agree = true;
    for (auto& parser : parsers) {
        bool parsed = parser->parse(c.document.text);
        std::size_t count = parser->element_count();
        parser->free_tree();
        if (!parsed || count != c.document.elements) {
            std::printf("!! %s on %s: parsed %d, %zu elements, expected %zu\n", parser->name(), c.label.c_str(), parsed,
                        count, c.document.elements);
            agree = false;
        }
    }
    return agree;
}

// Parsers take turns within each repetition, so drift in the machine's speed
// affects them alike.
void measure(Case& c, std::vector<std::unique_ptr<TreeParser>>& parsers) {
    int repetitions = repetitions_for(c.document.text.size());
    std::map<std::string, std::vector<double>> parse_times;
    std::map<std::string, std::vector<double>> free_times;
    for (int round = 0; round < repetitions; ++round) {
        for (auto& parser : parsers) {
            Clock::time_point start = Clock::now();
            parser->parse(c.document.text);
            Clock::time_point parsed = Clock::now();
            parser->free_tree();
            Clock::time_point freed = Clock::now();
            parse_times[parser->name()].push_back(milliseconds(parsed - start));
            free_times[parser->name()].push_back(milliseconds(freed - parsed));
        }
    }
    for (auto& parser : parsers)
        c.medians[parser->name()] = Timing{median(parse_times[parser->name()]), median(free_times[parser->name()])};
}

double ms_per_megabyte(const Case& c, const char* parser) {
    return c.medians.at(parser).parse_ms / (static_cast<double>(c.document.text.size()) / megabyte);
}

void print_speed_table(const std::vector<Case>& cases, const std::vector<std::unique_ptr<TreeParser>>& parsers) {
    const char* ours = parsers.front()->name();
    std::printf(
        "\nParse time of each parser divided by ours (above 1: ours is faster), and ours freeing / parsing\n\n");
    std::printf("| document | bytes/element | ours parse ms | ours free/parse |");
    for (std::size_t i = 1; i < parsers.size(); ++i) std::printf(" %s |", parsers[i]->name());
    std::printf("\n|---|---|---|---|");
    for (std::size_t i = 1; i < parsers.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const Case& c : cases) {
        const Timing& mine = c.medians.at(ours);
        std::printf("| %s | %.0f | %.2f | %.2f |", c.label.c_str(),
                    static_cast<double>(c.document.text.size()) / static_cast<double>(c.document.elements),
                    mine.parse_ms, mine.free_ms / mine.parse_ms);
        for (std::size_t i = 1; i < parsers.size(); ++i)
            std::printf(" %.2f |", c.medians.at(parsers[i]->name()).parse_ms / mine.parse_ms);
        std::printf("\n");
    }
}

const Case* find_case(const std::vector<Case>& cases, const std::string& label) {
    for (const Case& c : cases)
        if (c.label == label) return &c;
    return nullptr;
}

void print_scaling(const std::vector<Case>& cases, const std::vector<std::unique_ptr<TreeParser>>& parsers,
                   const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::printf("\nTime per megabyte of the large document divided by that of the small one\n\n| documents |");
    for (const auto& parser : parsers) std::printf(" %s |", parser->name());
    std::printf("\n|---|");
    for (std::size_t i = 0; i < parsers.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const auto& [small_label, large_label] : pairs) {
        const Case* small = find_case(cases, small_label);
        const Case* large = find_case(cases, large_label);
        if (small == nullptr || large == nullptr) continue;
        std::printf("| %s vs %s |", large_label.c_str(), small_label.c_str());
        for (const auto& parser : parsers)
            std::printf(" %.2f |", ms_per_megabyte(*large, parser->name()) / ms_per_megabyte(*small, parser->name()));
        std::printf("\n");
    }
}

// Peak resident memory of this process in bytes, from the kernel's account.
double peak_resident_bytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) * 1024.0;
    }
    return 0;
}

int peak_mode(const std::string& parser_name, const std::string& path) {
    double baseline = peak_resident_bytes();
    for (auto& parser : all_parsers()) {
        if (parser_name != parser->name()) continue;
        Clock::time_point start = Clock::now();
        if (!parser->parse_file(path)) return 2;
        double parse_ms = milliseconds(Clock::now() - start);
        std::printf("%.0f %.4f\n", peak_resident_bytes() - baseline, parse_ms);
        return 0;
    }
    return 3;
}

// What one parse in a fresh process cost: peak memory and time.
struct FreshParse {
    double peak_bytes = -1;
    double parse_ms = -1;
};

FreshParse run_peak_child(const std::string& parser, const std::string& document_path, const std::string& output_path) {
    platform::RedirectedRun run;
    run.commandLine = platform::quote_argument(platform::executable_path()) + " --peak " +
                      platform::quote_argument(parser) + " " + platform::quote_argument(document_path);
    run.stdoutPath = output_path;
    platform::ProcessOutcome outcome = platform::run_redirected(run);
    FreshParse fresh;
    if (!outcome.started || outcome.exitCode != 0) return fresh;
    std::istringstream(read_file(output_path)) >> fresh.peak_bytes >> fresh.parse_ms;
    return fresh;
}

// A document written to a temporary file for the children to read, and the
// file their output goes to; both removed at the end.
struct DocumentFile {
    std::string document_path;
    std::string output_path;

    explicit DocumentFile(const Document& document) {
        std::string stem = "xml_bench_" + std::to_string(platform::current_process_id());
        std::filesystem::path directory = std::filesystem::temp_directory_path();
        document_path = (directory / (stem + ".xml")).string();
        output_path = (directory / (stem + ".out")).string();
        std::ofstream out(document_path, std::ios::binary);
        out << document.text;
    }
    ~DocumentFile() {
        std::filesystem::remove(document_path);
        std::filesystem::remove(output_path);
    }
};

// One parse in a fresh process, the way the utility parses each document
// once per run: all the memory a parser touches is new to the process, as
// it is in the utility. The parsers take turns; medians of 11 processes.
void print_fresh_parse(const std::vector<Case>& cases, const std::vector<std::unique_ptr<TreeParser>>& parsers) {
    std::printf(
        "\nOne parse of the file in a fresh process (each parser's own file loading): each parser's time divided "
        "by ours (above 1: ours is faster)\n\n| document | ours ms |");
    for (std::size_t i = 1; i < parsers.size(); ++i) std::printf(" %s |", parsers[i]->name());
    std::printf("\n|---|---|");
    for (std::size_t i = 1; i < parsers.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const Case& c : cases) {
        if (c.document.text.size() > 30'000'000) continue;
        DocumentFile file(c.document);
        std::map<std::string, std::vector<double>> times;
        for (int round = 0; round < 11; ++round)
            for (const auto& parser : parsers)
                times[parser->name()].push_back(
                    run_peak_child(parser->name(), file.document_path, file.output_path).parse_ms);
        double ours = median(times[parsers.front()->name()]);
        std::printf("| %s | %.2f |", c.label.c_str(), ours);
        for (std::size_t i = 1; i < parsers.size(); ++i) std::printf(" %.2f |", median(times[parsers[i]->name()]) / ours);
        std::printf("\n");
        std::fflush(stdout);
    }
}

void print_peak_memory(const Document& document, const std::vector<std::unique_ptr<TreeParser>>& parsers) {
    DocumentFile file(document);
    std::printf(
        "\nPeak resident memory while reading and parsing the %s discovery-shaped file, "
        "as a multiple of the file size (each parser in a fresh process)\n\n|",
        size_label(document.text.size()).c_str());
    for (const auto& parser : parsers) std::printf(" %s |", parser->name());
    std::printf("\n|");
    for (std::size_t i = 0; i < parsers.size(); ++i) std::printf("---|");
    std::printf("\n|");
    for (const auto& parser : parsers) {
        double peak = run_peak_child(parser->name(), file.document_path, file.output_path).peak_bytes;
        std::printf(" %.2f |", peak / static_cast<double>(document.text.size()));
        std::fflush(stdout);
    }
    std::printf("\n");
}

std::vector<Case> generate_cases(bool quick) {
    std::vector<std::size_t> sizes = {100'000, 1'000'000, 10'000'000};
    if (!quick) sizes.push_back(100'000'000);
    std::vector<Case> cases;
    for (Shape shape : {Shape::Catalog, Shape::Discovery}) {
        for (std::size_t size : sizes)
            cases.push_back(
                Case{std::string(shape_name(shape)) + " " + size_label(size), shape, generate(shape, size), {}});
    }
    cases.push_back(Case{"wide 1 MB", Shape::Wide, generate(Shape::Wide, 1'000'000), {}});
    cases.push_back(Case{"wide 1000000 children", Shape::Wide, generate_wide(1'000'000), {}});
    return cases;
}

int write_documents(const std::string& directory) {
    for (const Case& c : generate_cases(true)) {
        std::string name = c.label;
        std::replace(name.begin(), name.end(), ' ', '_');
        std::ofstream out(std::filesystem::path(directory) / (name + ".xml"), std::ios::binary);
        out << c.document.text;
        if (!out) return 1;
    }
    return 0;
}

int benchmark(bool quick) {
    std::vector<Case> cases = generate_cases(quick);
    std::vector<std::unique_ptr<TreeParser>> parsers = all_parsers();
    bool agree = true;
    for (Case& c : cases) {
        agree = check_agreement(c, parsers) && agree;
        measure(c, parsers);
        std::fprintf(stderr, "measured %s\n", c.label.c_str());
    }
    print_speed_table(cases, parsers);
    std::string large = quick ? "10 MB" : "100 MB";
    print_scaling(cases, parsers,
                  {{"catalog 1 MB", "catalog " + large},
                   {"discovery 1 MB", "discovery " + large},
                   {"wide 1 MB", "wide 1000000 children"}});
    print_fresh_parse(cases, parsers);
    print_peak_memory(find_case(cases, "discovery " + large)->document, parsers);
    return agree ? 0 : 1;
}

}  // namespace

}  // namespace xmlbench

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak") == 0) return xmlbench::peak_mode(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) return xmlbench::write_documents(argv[2]);
    bool quick = argc == 2 && std::strcmp(argv[1], "--quick") == 0;
    return xmlbench::benchmark(quick);
}
