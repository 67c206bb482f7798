#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>

// The best of `runs` runs of `work`, which returns the milliseconds it measured.
inline double bestOf(int runs, const std::function<double()>& work)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run)
        best = std::min(best, work());
    return best;
}

// The best of `runs` timed runs of `work`, in milliseconds.
inline double bestMs(int runs, const std::function<void()>& work)
{
    return bestOf(runs, [&work] {
        QElapsedTimer timer;
        timer.start();
        work();
        return timer.nsecsElapsed() / 1e6;
    });
}
