// Building the bots' navigation graph of the larger generated map, and one path search across it.
#include <benchmark/benchmark.h>

#include "bench/bench_level.h"
#include "game/tuning.h"
#include "net/nav_graph.h"

namespace {

void BM_NavGraphBuild(benchmark::State& state)
{
    const BenchLevel& level = LargerGeneratedMap();
    const tune::Tuning tuning;
    net::NavGraph graph;
    for (auto _ : state) {
        graph.Build(level.world, tuning, level.spawns);
        benchmark::DoNotOptimize(graph.nodeCount);
    }
    state.counters["nodes"] = graph.nodeCount;
    state.counters["links"] = graph.linkCount;
}
BENCHMARK(BM_NavGraphBuild)->Unit(benchmark::kMillisecond);

void BM_NavGraphFindPath(benchmark::State& state)
{
    const BenchLevel& level = LargerGeneratedMap();
    net::NavGraph graph;
    graph.Build(level.world, tune::Tuning{}, level.spawns);
    // From the first spawn to the last one (the other side's, on the generated maps).
    const int start = graph.Nearest(level.spawns.front());
    const int goal = graph.Nearest(level.spawns.back());
    int32_t path[32];
    int length = 0;
    for (auto _ : state) {
        length = graph.FindPath(start, goal, path, 32);
        benchmark::DoNotOptimize(path);
    }
    state.counters["written"] = length;
}
BENCHMARK(BM_NavGraphFindPath)->Unit(benchmark::kMicrosecond);

}  // namespace
