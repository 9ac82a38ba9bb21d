#include "AllocationCounter.h"
#include "HostPath.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <vector>

namespace
{
constexpr int countedBlocks = 100;

/** The least any router can do for the host path's output: write each routed event of the block
    into an outgoing record, ready to hand over. The yardstick for the host path. */
class LeastWork
{
public:
    LeastWork (int numEvents, int fanOut) : input ((size_t) numEvents), fanOut (fanOut)
    {
        for (int i = 0; i < numEvents; ++i)
        {
            auto& e = input[(size_t) i];
            e.deltaFrames = (int) ((long long) i * HostPath::blockLength / numEvents);
            e.midiData[0] = (char) 0x90;
            e.midiData[1] = (char) (i % 128);
            e.midiData[2] = 100;
        }

        records.resize ((size_t) (numEvents * fanOut));
        for (auto& record : records)
        {
            record.type = vst2::kVstMidiType;
            record.byteSize = sizeof (record);
        }
    }

    void runBlock()
    {
        auto* out = records.data();
        for (const auto& event : input)
            for (int c = 0; c < fanOut; ++c, ++out)
            {
                out->deltaFrames = event.deltaFrames;
                std::memcpy (out->midiData, event.midiData, 4);
                out->midiData[0] = (char) ((event.midiData[0] & 0xf0) | c);
            }
        benchmark::DoNotOptimize (records.data());
        benchmark::ClobberMemory();
    }

private:
    std::vector<vst2::VstMidiEvent> input, records;
    const int fanOut;
};

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
    host.setInput ((int) state.range (0), state.range (2) != 0);

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
    state.SetComplexityN (state.range (0));
}

BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout", "reversed"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}, {0}});

// A host that delivers its list in falling order of position: sorted once it is in, at the cost
// of sorting (the fitted complexity is printed after the runs), beside the same list in order.
BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout", "reversed"})
    ->ArgsProduct ({{1000, 10000, 100000}, {1}, {1}})
    ->Complexity (benchmark::oNLogN)
    ->Unit (benchmark::kMillisecond);
BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout", "reversed"})
    ->Args ({100000, 1, 0})
    ->Unit (benchmark::kMillisecond);

void BM_LeastWork (benchmark::State& state)
{
    LeastWork least ((int) state.range (0), (int) state.range (1));

    for (auto _ : state)
        least.runBlock();

    state.SetItemsProcessed (state.iterations() * state.range (0) * state.range (1));
}

BENCHMARK (BM_LeastWork)
    ->ArgNames ({"events", "fanout"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}});

/** The host path as a multiple of the least work, the two timed in turns a few blocks at a time,
    so that both see the machine in the same state: the figure that says how close the path is. */
void BM_HostPathOverLeastWork (benchmark::State& state)
{
    HostPath host;
    if (! host.isReady())
    {
        state.SkipWithError ("the plug-in did not load");
        return;
    }

    const auto numEvents = (int) state.range (0), fanOut = (int) state.range (1);
    host.setFanOut (fanOut);
    host.setInput (numEvents);
    LeastWork least (numEvents, fanOut);
    const auto blocksPerTurn = std::max (1, 65536 / (numEvents * fanOut));

    using Clock = std::chrono::steady_clock;
    const auto timeOf = [blocksPerTurn] (auto&& runBlock)
    {
        const auto start = Clock::now();
        for (int i = 0; i < blocksPerTurn; ++i)
            runBlock();
        return std::chrono::duration<double> (Clock::now() - start).count();
    };

    double hostSeconds = 0, leastSeconds = 0;
    for (auto _ : state)
    {
        hostSeconds += timeOf ([&] { host.runBlock(); });
        leastSeconds += timeOf ([&] { least.runBlock(); });
    }

    state.counters["x_least_work"] = hostSeconds / leastSeconds;
}

BENCHMARK (BM_HostPathOverLeastWork)
    ->ArgNames ({"events", "fanout"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}});

/** What showing MIDI activity costs the host path: an instance whose editor exists (made by the
    size query, so no display is needed) publishes the channels each block used; one without
    does not. The two are timed in turns, as above. */
void BM_HostPathWithActivityOverWithout (benchmark::State& state)
{
    HostPath without, with;
    vst2::ERect* rect = nullptr;
    if (! without.isReady() || ! with.isReady() ||
        with.dispatch (vst2::effEditGetRect, 0, &rect) == 0)
    {
        state.SkipWithError ("the plug-in or its editor did not load");
        return;
    }

    const auto numEvents = (int) state.range (0), fanOut = (int) state.range (1);
    for (auto* host : {&without, &with})
    {
        host->setFanOut (fanOut);
        host->setInput (numEvents);
    }
    const auto blocksPerTurn = std::max (1, 65536 / (numEvents * fanOut));

    using Clock = std::chrono::steady_clock;
    const auto timeOf = [blocksPerTurn] (HostPath& host)
    {
        const auto start = Clock::now();
        for (int i = 0; i < blocksPerTurn; ++i)
            host.runBlock();
        return std::chrono::duration<double> (Clock::now() - start).count();
    };

    double withSeconds = 0, withoutSeconds = 0;
    for (auto _ : state)
    {
        withoutSeconds += timeOf (without);
        withSeconds += timeOf (with);
    }

    state.counters["x_without_activity"] = withSeconds / withoutSeconds;
}

BENCHMARK (BM_HostPathWithActivityOverWithout)
    ->ArgNames ({"events", "fanout"})
    ->ArgsProduct ({{16, 256, 4096}, {4}});
} // namespace

BENCHMARK_MAIN();
