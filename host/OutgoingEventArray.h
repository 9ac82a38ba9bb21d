#pragma once

#include "host/VstInterface.h"

#include <juce_core/juce_core.h>

/** The events the plug-in sends the host after a block: one VstEvents list whose slots each own a
    VstMidiEvent record. The records are allocated once, zero-filled, and reused for every block,
    so that sending allocates nothing once the list is large enough. It only ever grows. */
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

    void clear() noexcept;

    /** Fills the next slot with the message and its sample position. The caller has made room. */
    void add (const juce::uint8* bytes, int numBytes, int deltaFrames) noexcept;

    int size() const noexcept;
    vst2::VstEvents* getEvents() noexcept;

private:
    vst2::VstEvent** slots() noexcept;

    juce::HeapBlock<char> block; // the VstEvents header followed by `capacity` slot pointers
    juce::OwnedArray<vst2::VstMidiEvent> records;
    int capacity = 0;

    JUCE_DECLARE_NON_COPYABLE (OutgoingEventArray)
};
