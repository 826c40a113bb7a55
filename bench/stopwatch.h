// Wall-clock time of a piece of work, in milliseconds.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&start_); }
    double Milliseconds() const {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

template <typename Work>
double TimeMs(Work work) {
    Stopwatch watch;
    work();
    return watch.Milliseconds();
}

// The median of several runs: steadier than one, and unlike the minimum it
// does not reward a lucky run.
inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}
