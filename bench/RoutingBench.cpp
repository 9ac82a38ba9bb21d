#include "AllocationCounter.h"
#include "plugin/Switchyard.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr int blockLength = 8192;

/** n note events on channel 1, spread over one block in position order. */
juce::MidiBuffer makeInput (int numEvents)
{
    juce::MidiBuffer input;
    for (int i = 0; i < numEvents; ++i)
        input.addEvent (juce::MidiMessage::noteOn (1, i % 128, (juce::uint8) 100),
                        (int) ((juce::int64) i * blockLength / numEvents));
    return input;
}

void refill (juce::MidiBuffer& buffer, const juce::MidiBuffer& source)
{
    buffer.clear();
    buffer.data.addArray (source.data); // keeps the buffer's storage once it is large enough
}

void setFanOut (Switchyard& router, int fanOut)
{
    for (int c = 0; c < fanOut; ++c)
        router.setRoute (1, 0, c);
}

constexpr int countedBlocks = 100;

/** Heap allocations per block over a run of blocks, counted outside the timed loop so that the
    benchmark library's own bookkeeping is not charged to the router. */
template <typename RouteOneBlock> double allocationsPerBlock (RouteOneBlock& routeOneBlock)
{
    const auto before = allocationCount();
    for (int i = 0; i < countedBlocks; ++i)
        routeOneBlock();
    return (double) (allocationCount() - before) / countedBlocks;
}

template <typename RouteOneBlock>
void measure (benchmark::State& state, RouteOneBlock& routeOneBlock, bool countAllocations)
{
    for (int warmUp = 0; warmUp < 3; ++warmUp)
        routeOneBlock();

    if (countAllocations)
        state.counters["allocs/block"] = allocationsPerBlock (routeOneBlock);

    for (auto _ : state)
        routeOneBlock();

    state.SetItemsProcessed (state.iterations() * state.range (0) * state.range (1));
}

void BM_Route (benchmark::State& state)
{
    Switchyard router;
    setFanOut (router, (int) state.range (1));
    const auto input = makeInput ((int) state.range (0));
    juce::AudioBuffer<float> audio (2, 0);
    juce::MidiBuffer buffer;

    auto routeOneBlock = [&]
    {
        refill (buffer, input);
        router.processBlock (audio, buffer);
        benchmark::DoNotOptimize (buffer.data.getRawDataPointer());
    };
    measure (state, routeOneBlock, true);
}

/** The obvious router, for comparison: MidiBuffer::addEvent into a fresh buffer per block. */
void BM_RouteReference (benchmark::State& state)
{
    Switchyard router;
    setFanOut (router, (int) state.range (1));
    const auto input = makeInput ((int) state.range (0));
    juce::MidiBuffer buffer;

    auto routeOneBlock = [&]
    {
        refill (buffer, input);
        juce::MidiBuffer output;
        for (const auto event : buffer)
        {
            juce::uint8 copy[3];
            std::memcpy (copy, event.data, (size_t) event.numBytes);
            const int row = event.data[0] & 0x0f;
            for (int c = 0; c < Switchyard::numChannels; ++c)
            {
                if (router.getRoute (row, c) != 0)
                {
                    copy[0] = (juce::uint8) ((event.data[0] & 0xf0) | c);
                    output.addEvent (copy, event.numBytes, event.samplePosition);
                }
            }
        }
        buffer.swapWith (output);
        benchmark::DoNotOptimize (buffer.data.getRawDataPointer());
    };
    // Its quadratic cost makes the largest blocks take seconds each: count only the small ones.
    measure (state, routeOneBlock, state.range (0) * state.range (1) <= 1024);
}

void routingArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({"events", "fanout"});
    for (int events : {16, 256, 4096})
        for (int fanOut : {1, 4, 16})
            b->Args ({events, fanOut});
}

BENCHMARK (BM_Route)->Apply (routingArguments);
BENCHMARK (BM_RouteReference)->Apply (routingArguments);
} // namespace

BENCHMARK_MAIN();
