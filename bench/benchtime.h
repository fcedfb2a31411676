// Timing for the benchmarks: seconds from the performance counter, the
// median of a run's rounds, and a run of one piece of work as its data grows.
#pragma once
#include <windows.h>
#include <algorithm>
#include <functional>
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

// The work at 1, 10 and 100 times cSample items (prepare makes them), in 5
// rounds or 3 at the largest; each round gives the work's seconds and its
// bare calls'. report gets the median ratio of the two, and the work's cost
// per item against the smallest scale's: both should stay flat.
inline void RunScales(int cSample, const std::function<void(int cItems)> &prepare,
                      const std::function<void(double *pWork, double *pBare)> &round,
                      const std::function<void(int cItems, double ratio, double perItem)> &report)
{
    double perItem1 = 0;
    for (int cScale : {1, 10, 100}) {
        int cItems = cSample * cScale;
        prepare(cItems);
        int cRounds = cScale == 100 ? 3 : 5;
        std::vector<double> vWork, vBare;
        for (int r = 0; r < cRounds; ++r) {
            double work = 0, bare = 0;
            round(&work, &bare);
            vWork.push_back(work);
            vBare.push_back(bare);
        }
        double perItem = Median(vWork) / cItems;
        if (cScale == 1)
            perItem1 = perItem;
        report(cItems, Median(vWork) / Median(vBare), perItem / perItem1);
    }
}
