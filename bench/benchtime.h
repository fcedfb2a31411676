// Timing for the benchmarks: seconds from the performance counter, and the
// median of a run's rounds.
#pragma once
#include <windows.h>
#include <algorithm>
#include <vector>

inline double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
