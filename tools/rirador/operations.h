// What the simulator does for each command line, against the simulated
// machine loaded from the state file.
#pragma once

#include "machine.h"
#include "request.h"

#include <string>

namespace rirador {

struct Outcome {
    int exitCode = 0;
    std::string message;  // for standard error on failure, standard output on success
};

// Writes the discovery report of every adapter. The image file is not
// opened: the utility passes the catalog's image even when it is missing.
Outcome discover(const Machine& machine, const Request& request);

// Moves every adapter that the report lists (by device_id) to the image's
// version and saves the machine.
Outcome updateFromReport(Machine& machine, const Request& request);

// Moves every adapter that answers to the name to the image's version and
// saves the machine.
Outcome flashNamed(Machine& machine, const Request& request);

Outcome perform(Machine& machine, const Request& request);

}  // namespace rirador
