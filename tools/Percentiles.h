// Percentiles of a set of timings, as the load and pick-up measurements report them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace callcenter {

struct Percentiles {
    double p50 = 0, p99 = 0, max = 0;
    std::size_t n = 0;
};

// Nearest-rank percentiles (the value below which the share of samples lies).
inline Percentiles Summarize(std::vector<double> samples) {
    Percentiles result;
    result.n = samples.size();
    if (samples.empty())
        return result;
    std::sort(samples.begin(), samples.end());
    auto rank = [&samples](double share) {
        const auto at = static_cast<std::size_t>(share * static_cast<double>(samples.size()));
        return samples[std::min(at, samples.size() - 1)];
    };
    result.p50 = rank(0.50);
    result.p99 = rank(0.99);
    result.max = samples.back();
    return result;
}

} // namespace callcenter
