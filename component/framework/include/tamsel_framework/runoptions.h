// The host's run options: what the host process's command line asks of the
// plug-in. The line cannot change while the host runs, so start-up reads it
// once into this value and every later question of the host is answered
// from it.
#pragma once

#include <cstddef>

#include "cmplog/cstr.h"

// The longest option value that the component's buffer takes; a longer one
// is refused whole, never cut into the name of some other file.
inline constexpr std::size_t OptionValueUnits = 259;

struct OptionValue {
    CStr text;             // empty when nothing but blanks follows, or the family is absent
    bool tooLong = false;  // more than OptionValueUnits: `text` is empty
};

// What Install does for the host: the first of discovery, update from a
// report and version report that the line names, else an installation.
enum class RunKind { installation, discovery, reportUpdate, versionReport };

struct HostOptions {
    RunKind run = RunKind::installation;
    bool force = false;  // an installation flashes every adapter
    // Discovery or update from a report: the text after the option.
    OptionValue report;
    // A report-update option stands in the line, also where a discovery
    // option takes the run: the install state then speaks of the update.
    bool reportUpdateNamed = false;
    bool verbose = false;  // "/verbose_log": the verbose log is kept
    bool console = false;  // "/consoleout": the host gets a console of its own
};
