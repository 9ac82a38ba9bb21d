#include "AllocationCounter.h"
#include "HostPath.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr int countedBlocks = 100;

/** The whole host path per block: events in through effProcessEvents, processReplacing, routed
    events out through the host callback. Counted per routed event, like the routing figures. */
void BM_HostPath (benchmark::State& state)
{
    HostPath host;
    if (! host.isReady())
    {
        state.SkipWithError ("the plug-in did not load");
        return;
    }

    host.setFanOut ((int) state.range (1));
    host.setInput ((int) state.range (0));

    for (int warmUp = 0; warmUp < 3; ++warmUp)
        host.runBlock();

    const auto before = allocationCount();
    for (int i = 0; i < countedBlocks; ++i)
        host.runBlock();
    state.counters["allocs/block"] = (double) (allocationCount() - before) / countedBlocks;

    for (auto _ : state)
        host.runBlock();

    benchmark::DoNotOptimize (host.receivedEvents);
    state.SetItemsProcessed (state.iterations() * state.range (0) * state.range (1));
}

BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}});
} // namespace

BENCHMARK_MAIN();
