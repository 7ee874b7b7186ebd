// Small helpers shared by the benchmarks: a BENCH line, a median, a percentile.
#pragma once

#include <QVector>

#include <algorithm>
#include <cstdio>

namespace benchutil {

inline void report(const char* name, double value, const char* unit) {
    std::printf("BENCH %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

// The value below which `fraction` of the samples lie (nearest rank).
inline double percentile(QVector<double> samples, double fraction) {
    if (samples.isEmpty()) return 0;
    std::sort(samples.begin(), samples.end());
    int rank = static_cast<int>(fraction * samples.size() + 0.999999) - 1;
    rank = std::clamp(rank, 0, static_cast<int>(samples.size()) - 1);
    return samples[rank];
}

inline double median(QVector<double> samples) {
    if (samples.isEmpty()) return 0;
    std::sort(samples.begin(), samples.end());
    const int n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

} // namespace benchutil
