#include "host/HandedOutStates.h"

#include <algorithm>

const void* HandedOutStates::handOut (juce::MemoryBlock&& state, juce::uint32 now)
{
    const juce::ScopedLock sl (lock);

    if (! blocks.empty() && blocks.back().bytes == state)
        blocks.back().time = now;
    else
        blocks.push_back ({std::move (state), now});

    return blocks.back().bytes.getData();
}

void HandedOutStates::freeOlderThan (juce::uint32 lifetime, juce::uint32 now)
{
    const juce::ScopedLock sl (lock);

    // Differences, so that the counter wrapping round after 49 days frees nothing early.
    const auto expired =
        std::find_if (blocks.begin(), blocks.end(),
                      [&] (const Block& block) { return now - block.time <= lifetime; });
    blocks.erase (blocks.begin(), expired);
}

size_t HandedOutStates::getTotalSize() const
{
    const juce::ScopedLock sl (lock);
    size_t total = 0;

    for (const auto& block : blocks)
        total += block.bytes.getSize();

    return total;
}
