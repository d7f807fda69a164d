#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// The time at fraction p of the sorted times (0.5 the median, 0.99 the slowest in a hundred);
// 0 without any.
inline double percentile(std::vector<double> times, double p) {
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    return times[std::min(times.size() - 1, std::size_t(p * double(times.size())))];
}

inline double median(std::vector<double> times) {
    return percentile(std::move(times), 0.5);
}

// The median wall time of runs calls of f, in milliseconds.
template <typename F> double medianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(std::move(times));
}
