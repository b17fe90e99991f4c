#include "measure.h"

#include <algorithm>
#include <chrono>

namespace utilitybench {

TimedRun timeRun(const platform::RedirectedRun& run) {
    auto start = std::chrono::steady_clock::now();
    TimedRun timed{platform::run_redirected(run), 0};
    auto end = std::chrono::steady_clock::now();
    timed.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    return timed;
}

double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    std::size_t middle = samples.size() / 2;
    if (samples.size() % 2 == 1) return samples[middle];
    return (samples[middle - 1] + samples[middle]) / 2;
}

}  // namespace utilitybench
