#pragma once
// What every benchmark prints: one Markdown table row per figure, the measured value beside
// its goal, so that scripts/bench can gather a run into BENCHMARKS.md unchanged.
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace benchfigures {

// "| what | value unit | goal | met |"; goal is a text such as "<= 60 ms", empty for none.
inline void print(const char *what, double value, const char *unit, const char *goal = "",
                  bool met = true)
{
    std::printf("| %s | %.*f %s | %s | %s |\n", what,
                value < 10        ? 3
                    : value < 100 ? 2
                                  : 1,
                value, unit, goal, *goal ? (met ? "yes" : "**no**") : "");
    std::fflush(stdout);
}

// The value at a fraction 0..1 of the sorted samples.
inline double quantile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = std::size_t(fraction * double(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

// The median time of runs calls of work, in milliseconds.
inline double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return quantile(times, 0.5);
}

} // namespace benchfigures
