#pragma once
// CI runs every benchmark once on a tiny input, so that none can break
// unnoticed: with PRENSO_BENCH_SMOKE set, sizes shrink, fixed iteration
// counts become one and every benchmark gets the least time (bench/smoke-run
// checks that the run ends well and prints its figures).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace prenso::bench {

inline bool SmokeRun()
{
    static const bool smoke = std::getenv("PRENSO_BENCH_SMOKE") != nullptr;
    return smoke;
}

// `n` lines, pages or records; a few in a smoke run.
inline int Size(int n)
{
    return SmokeRun() ? std::min(n, 200) : n;
}

// A fixed iteration count; one in a smoke run.
inline int Iterations(int n)
{
    return SmokeRun() ? 1 : n;
}

// A least running time in seconds; the least there is in a smoke run.
inline double MinTime(double seconds)
{
    return SmokeRun() ? 0.001 : seconds;
}

// Runs the benchmarks registered, with the command line's options.
inline void RunBenchmarks(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    static char leastTime[] = "--benchmark_min_time=0.001";
    if (SmokeRun())
        args.push_back(leastTime);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

} // namespace prenso::bench
