#pragma once
// Timing helpers of the benchmark: repeated runs, median and 90th percentile.

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <functional>
#include <vector>

struct Timing {
    double median = 0;
    double p90 = 0;
};

inline Timing Summarise(std::vector<double> ms) {
    if (ms.empty()) return {};
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) {
        return ms[std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5))];
    };
    return {at(0.5), at(0.9)};
}

// Runs `setup` untimed and `step` timed, `runs` times.
inline Timing Measure(int runs, const std::function<void(int)>& setup, const std::function<void(int)>& step) {
    std::vector<double> ms;
    ms.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        setup(i);
        QElapsedTimer timer;
        timer.start();
        step(i);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return Summarise(ms);
}
