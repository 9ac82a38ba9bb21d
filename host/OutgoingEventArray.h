#pragma once

#include "host/VstInterface.h"
#include "plugin/MidiBufferLayout.h"

#include <cstddef>
#include <memory>
#include <vector>

/** The events the plug-in sends the host after a block: one VstEvents list whose slots each point
    at a VstMidiEvent record of their own. The records are allocated once, side by side in chunks,
    and reused for every block, so that sending allocates nothing once the list is large enough.
    It only ever grows. Each use writes a whole record, so that nothing an earlier event, or the
    host, left in one reaches the host again. */
class OutgoingEventArray
{
public:
    static constexpr int headroom = 32;
    static constexpr vst2::VstInt32 midiEventByteSize = 24;

    OutgoingEventArray();
    ~OutgoingEventArray();

    /** Makes room for at least numEvents; when it must grow, it grows to numEvents + headroom. */
    void ensureCapacity (int numEvents);
    int getCapacity() const noexcept { return capacity; }

    /** Fills the list with the buffer's events, in order: each record gets the event's bytes,
        its sample position and zeros everywhere else. Events longer than four bytes are left
        out. Grows the list first if the buffer holds more events than it has room for. */
    void fillFrom (const juce::MidiBuffer& buffer);

    int size() const noexcept;
    vst2::VstEvents* getEvents() noexcept
    {
        return reinterpret_cast<vst2::VstEvents*> (block.get());
    }

private:
    vst2::VstEvent** slots() noexcept;
    static juce::uint32 messageWord (const juce::uint8* event, int numBytes) noexcept;

    juce::HeapBlock<char, true> block; // the VstEvents header, then `capacity` slot pointers
    std::vector<std::unique_ptr<vst2::VstMidiEvent[]>> records; // one chunk per growth
    int capacity = 0;

    JUCE_DECLARE_NON_COPYABLE (OutgoingEventArray)
};
