#include "operations.h"
#include "exitcodes.h"
#include "fileio.h"
#include "image.h"
#include "reportreader.h"
#include "reportwriter.h"
#include "statefile.h"

#include "platform/process.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unordered_set>

namespace rirador {

namespace {

// A crash stands for a tool that dies without cleaning up: nothing is
// written or saved after this point.
[[noreturn]] void crash(const char* what) {
    std::fprintf(stderr, "rirador: simulated crash during %s\n", what);
    std::fflush(stderr);
    std::abort();
}

// A flash of several adapters is all or nothing: the first adapter with a
// flash fault decides the run before any version changes.
std::optional<Outcome> flashFault(const std::vector<Adapter*>& targets) {
    for (const Adapter* adapter : targets) {
        if (adapter->settings.enabled("flash_crash")) crash("a flash");
        if (int code = adapter->settings.number("flash_exit"); code != 0)
            return Outcome{code, "rirador: simulated flash failure of " + adapter->deviceId()};
    }
    return std::nullopt;
}

Outcome install(Machine& machine, const std::vector<Adapter*>& targets, const std::string& version) {
    if (std::optional<Outcome> fault = flashFault(targets)) return *fault;
    bool changed = false;
    for (Adapter* adapter : targets) {
        if (adapter->settings.text("firmware") == version) continue;
        adapter->settings.set("firmware", version);
        changed = true;
    }
    if (changed && !saveStateFile(machine, StateFileName))
        return {exitcode::CannotWrite, std::string("rirador: ") + StateFileName + ": cannot be rewritten"};
    return {exitcode::Success, "rirador: " + std::to_string(targets.size()) + " adapter(s) now at " + version};
}

std::optional<std::string> versionOrNothing(const std::string& image, Outcome& failure) {
    std::optional<std::string> version = readImageVersion(image);
    if (!version)
        failure = {exitcode::BadImage,
                   "rirador: image file " + image + " is missing or has no \"version = X.Y.Z\" line"};
    return version;
}

}  // namespace

Outcome discover(const Machine& machine, const Request& request) {
    const Settings& faults = machine.faults.settings;
    if (faults.enabled("discover_crash")) crash("discovery");
    if (faults.enabled("discover_killed")) platform::kill_this_process();
    int injected = faults.number("discover_exit");
    if (injected != 0 && !faults.enabled("discover_leaves_file"))
        return {injected, "rirador: simulated discovery failure"};
    if (!machine.faults.reportFaultsApplyTo(request.file)) {
        Machine plain = machine;
        plain.faults = Faults{};
        return discover(plain, request);
    }
    if (machine.faults.reportShape() == ReportShape::None)
        return {exitcode::Success, "rirador: no report written to " + request.file};

    // Something that is no file at all, where the report belongs.
    if (machine.faults.reportShape() == ReportShape::Directory || !faults.text("report_link").empty()) {
        std::string link = faults.text("report_link");
        bool placed = link.empty() ? placeDirectory(request.file) : placeLink(request.file, link);
        if (!placed) return {exitcode::CannotWrite, "rirador: cannot place a non-file at " + request.file};
        return {exitcode::Success, "rirador: a non-file left in place of " + request.file};
    }

    // A canned report stands in for the machine's own, byte for byte, so a
    // test can hand the utility any content the vendor's tool might write.
    std::string report;
    if (std::string canned = faults.text("report_file"); !canned.empty()) {
        std::optional<std::string> bytes = readWholeFile(canned);
        if (!bytes) return {exitcode::CannotWrite, "rirador: cannot read the canned report " + canned};
        report = std::move(*bytes);
    } else {
        report = renderReport(machine);
    }
    if (!writeWholeFile(request.file, report))
        return {exitcode::CannotWrite, "rirador: cannot write the report " + request.file};
    if (injected != 0) return {injected, "rirador: simulated discovery failure after writing " + request.file};
    return {exitcode::Success,
            "rirador: " + std::to_string(machine.adapters.size()) + " adapter(s) reported in " + request.file};
}

Outcome updateFromReport(Machine& machine, const Request& request) {
    if (int injected = machine.faults.settings.number("update_exit"); injected != 0)
        return {injected, "rirador: simulated update failure"};
    Outcome failure;
    std::optional<std::string> version = versionOrNothing(request.image, failure);
    if (!version) return failure;

    ReportedAdapters reported = readReportedAdapters(request.file);
    if (!reported.readable) return {exitcode::BadReport, "rirador: report " + request.file + " " + reported.problem};

    std::unordered_set<std::string> listed(reported.deviceIds.begin(), reported.deviceIds.end());
    std::vector<Adapter*> targets;
    for (Adapter& adapter : machine.adapters)
        if (listed.count(adapter.deviceId()) != 0) targets.push_back(&adapter);
    return install(machine, targets, *version);
}

Outcome flashNamed(Machine& machine, const Request& request) {
    Outcome failure;
    std::optional<std::string> version = versionOrNothing(request.image, failure);
    if (!version) return failure;

    std::vector<Adapter*> targets;
    for (Adapter& adapter : machine.adapters)
        if (adapter.answersTo(request.adapterName)) targets.push_back(&adapter);
    if (targets.empty()) return {exitcode::NoSuchAdapter, "rirador: no adapter is named " + request.adapterName};
    return install(machine, targets, *version);
}

Outcome perform(Machine& machine, const Request& request) {
    switch (request.operation) {
    case Operation::Discover: return discover(machine, request);
    case Operation::Update: return updateFromReport(machine, request);
    case Operation::Flash: return flashNamed(machine, request);
    }
    return {exitcode::Unexpected, "rirador: unknown operation"};
}

}  // namespace rirador
