#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace halvorn::bench {

// The seconds that work takes, by the performance counter.
template <typename Work>
double TimeSeconds(Work work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace halvorn::bench
