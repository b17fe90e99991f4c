// The exit codes of the flash utility Kelvor: the only answer that a run
// gives to the program that started it, which is how the plug-in judges the
// utility's runs. Several numbers mean different things in different run
// modes, so each meaning has its own name.
#pragma once

#include <cstdint>

namespace KelvorExit {

enum Code : std::uint32_t {
    // 0: nothing was achieved.
    UsageShown = 0,       // help, an unknown argument, a missing file name or a forbidden combination
    CatalogMissing = 0,   // "NICFWData.xml" is not in the current directory
    UnexpectedError = 0,  // an exception reached the entry point
    NothingShown = 0,     // -c found no supported adapter
    Failed = 0,           // the adapter tool failed or did not start, the -u report or the -v result is
                          // missing, or a flash failed

    // 1: the run did what it was asked.
    Success = 1,          // -c showed adapters, -d, -u or -v succeeded, -ql answered
    FirmwareUpdated = 1,  // the update flow updated at least one adapter without error

    // 2: no run of the utility ends with it; an installation that sees it
    // counts the firmware as installed, as the plug-in always has.
    CountedAsInstalled = 2,

    // 3: no adapter was worked on.
    NoSupportedAdapter = 3,
    Cancelled = 3,        // the user quit at a prompt
    NothingSelected = 3,  // no adapter was chosen for update

    // 4 to 6: the answer of -n.
    UpdateRecommended = 4,
    SameVersion = 5,
    NewerInstalled = 6,

    // 7: the adapter tool could not tell which adapters there are (it did not
    // start, failed, or left no readable report), so nothing was checked or
    // updated. Never to be read as "no supported adapter" (3).
    DiscoveryFailed = 7,
};

}  // namespace KelvorExit
