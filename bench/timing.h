#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

// The median wall time of runs calls of f, in milliseconds.
template <typename F> double medianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
