// Timed runs of a program and the statistics the benchmark reports.
#pragma once

#include "platform/process.h"

#include <vector>

namespace utilitybench {

struct TimedRun {
    platform::ProcessOutcome outcome;
    double milliseconds = 0;
};

// Runs the program to its end and measures the wall time from just before
// the start to just after the wait.
TimedRun timeRun(const platform::RedirectedRun& run);

// Median of the samples; 0 for none.
double median(std::vector<double> samples);

}  // namespace utilitybench
