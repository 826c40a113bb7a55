// Wall-clock time of a piece of work, in milliseconds.
#pragma once
#include <windows.h>

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
