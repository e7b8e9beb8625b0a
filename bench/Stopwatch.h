#pragma once
// Wall time from the performance counter, the clock every figure of the Windows benchmarks uses.
#include <windows.h>

class Stopwatch {
public:
    Stopwatch() noexcept { Restart(); }
    void Restart() noexcept { ::QueryPerformanceCounter(&start_); }
    double ElapsedMs() const noexcept {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_{};
};
