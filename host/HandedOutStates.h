#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** The state blocks that effGetChunk has handed to the host. Hosts copy them at leisure, some on
    one thread while another asks for a newer one or restores an older one, so a block, once
    handed out, is never changed nor freed by a later chunk call: it lives until it is older than
    the lifetime the timer allows, or until the instance closes. Any thread may call in. */
class HandedOutStates
{
public:
    /** Keeps the state and answers where its bytes live. A state equal to the newest one kept is
        not kept twice: the host gets the same bytes again, and their time starts anew. */
    const void* handOut (juce::MemoryBlock&& state, juce::uint32 now);

    /** Frees every block handed out more than lifetime milliseconds before now. */
    void freeOlderThan (juce::uint32 lifetime, juce::uint32 now);

    /** The bytes kept for the host now. */
    size_t getTotalSize() const;

private:
    struct Block
    {
        juce::MemoryBlock bytes; // moving a MemoryBlock keeps its bytes where they are
        juce::uint32 time;
    };

    juce::CriticalSection lock;
    std::vector<Block> blocks; // oldest first
};
