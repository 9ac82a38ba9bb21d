#include "AllocationCounter.h"
#include "HostPath.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

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
}

BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout", "reversed"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}, {0}});

// A host that delivers its list in falling order of position: sorted once it is in.
BENCHMARK (BM_HostPath)
    ->ArgNames ({"events", "fanout", "reversed"})
    ->Args ({100000, 1, 0})
    ->Args ({100000, 1, 1})
    ->Unit (benchmark::kMillisecond);

/** The least any router can do for the same output: write each routed event of the block into an
    outgoing record, and hand the records over. The yardstick for the host path above. */
void BM_LeastWork (benchmark::State& state)
{
    const auto numEvents = (int) state.range (0);
    const auto fanOut = (int) state.range (1);

    std::vector<vst2::VstMidiEvent> input ((size_t) numEvents);
    for (int i = 0; i < numEvents; ++i)
    {
        input[(size_t) i].deltaFrames = (int) ((long long) i * HostPath::blockLength / numEvents);
        input[(size_t) i].midiData[0] = (char) 0x90;
        input[(size_t) i].midiData[1] = (char) (i % 128);
        input[(size_t) i].midiData[2] = 100;
    }

    std::vector<vst2::VstMidiEvent> records ((size_t) (numEvents * fanOut));
    for (auto& record : records)
    {
        record.type = vst2::kVstMidiType;
        record.byteSize = sizeof (record);
    }

    for (auto _ : state)
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

    state.SetItemsProcessed (state.iterations() * numEvents * fanOut);
}

BENCHMARK (BM_LeastWork)
    ->ArgNames ({"events", "fanout"})
    ->ArgsProduct ({{16, 256, 4096}, {1, 4, 16}});
} // namespace

BENCHMARK_MAIN();
