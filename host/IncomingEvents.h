#pragma once

#include "host/VstInterface.h"
#include "plugin/MidiBufferLayout.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** The MIDI buffer a block's processing works on, filled from the host's event lists: each MIDI
    event laid out in the buffer's own way, in position order, and events of one position in the
    order they arrived, whichever of the host's lists brought them. Hosts mostly deliver in position
    order; anything else is sorted once a list is in. */
class IncomingEvents
{
public:
    /** Enough storage for a few hundred events, so that ordinary blocks never grow it. */
    void reserve();

    /** Adds the host's list. The buffer keeps as many bytes as the status byte calls for, and no
        event that starts with a data byte or that is not MIDI. */
    void add (const vst2::VstEvents& events);

    /** What the processing works on in place, and leaves its output in. */
    juce::MidiBuffer& buffer() noexcept { return midiEvents; }

    void clear() noexcept { midiEvents.clear(); }

private:
    void sort();

    juce::MidiBuffer midiEvents;
    int lastEventPosition = 0;                // the latest position in midiEvents while not empty
    MidiBufferLayout::Scratch incomingEvents; // the host's list, before it joins midiEvents
    juce::MidiBuffer oneEvent;                // where the toolkit measures a system message
    std::vector<juce::uint64> sortKeys;       // (position, place) of each event to sort
    MidiBufferLayout::Scratch sortedEvents;   // midiEvents in position order
};
