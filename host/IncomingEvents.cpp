#include "host/IncomingEvents.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t reservedBytes = 4096;
constexpr int reservedSortKeys = 512;

// One event from the host in the MIDI buffer's layout: position, byte count, at most four bytes.
constexpr int maxEventBytes = MidiBufferLayout::headerBytes + 4;

/** The bytes a channel message (status 0x80 to 0xef) has: program change and channel pressure
    carry one data byte, the others two. */
constexpr int channelMessageLength (juce::uint8 status)
{
    return (status & 0xe0) == 0xc0 ? 2 : 3;
}
} // namespace

void IncomingEvents::reserve()
{
    midiEvents.ensureSize (reservedBytes);
    oneEvent.ensureSize (maxEventBytes);
    incomingEvents.reserve (reservedBytes);
    sortedEvents.reserve (reservedBytes);
    sortKeys.reserve (reservedSortKeys);
}

void IncomingEvents::add (const vst2::VstEvents& events)
{
    if (events.numEvents <= 0)
        return;

    // The host's events go to the end of the buffer in one step.
    const auto numEvents = events.numEvents;
    const auto* list = events.events; // the host's list is longer than the two it declares
    MidiBufferLayout::Scratch::Writer incoming (incomingEvents);
    auto* out = incoming.room ((size_t) numEvents * maxEventBytes);
    auto laidOut = ! midiEvents.isEmpty();
    auto latest = lastEventPosition;
    auto outOfOrder = false;

    for (int i = 0; i < numEvents; ++i)
    {
        const auto* event = list[i];

        if (event == nullptr || event->type != vst2::kVstMidiType)
            continue;

        const auto& midi = *reinterpret_cast<const vst2::VstMidiEvent*> (event);
        const auto* bytes = reinterpret_cast<const juce::uint8*> (midi.midiData);
        const auto position = midi.deltaFrames;

        if (bytes[0] < 0x80)
            continue;

        if (bytes[0] < 0xf0)
        {
            // All four bytes go in, in one step; the next event starts after the message's own.
            const auto numBytes = channelMessageLength (bytes[0]);
            out = MidiBufferLayout::writeHeader (out, position, numBytes);
            std::memcpy (out, bytes, 4);
            out += numBytes;
        }
        else
        {
            // System messages are measured by the toolkit's own rules.
            oneEvent.clear();
            oneEvent.addEvent (bytes, 4, position);

            if (oneEvent.isEmpty())
                continue;

            std::memcpy (out, oneEvent.data.begin(), (size_t) oneEvent.data.size());
            out += oneEvent.data.size();
        }

        if (laidOut && position < latest)
            outOfOrder = true;
        else
            latest = position;

        laidOut = true;
    }

    incoming.wrote (out);
    incoming.appendTo (midiEvents);
    lastEventPosition = latest;

    if (outOfOrder)
        sort();
}

void IncomingEvents::sort()
{
    // Ordered by position, and by place in the buffer within one position. O(n log n), in storage
    // that blocks of this size have already made.
    const auto* data = midiEvents.data.begin();
    sortKeys.clear();

    for (const juce::uint8* event = data; event < midiEvents.data.end();
         event = MidiBufferLayout::next (event))
    {
        const auto biased = (juce::uint32) MidiBufferLayout::positionOf (event) ^ 0x80000000u;
        sortKeys.push_back (((juce::uint64) biased << 32) | (juce::uint32) (event - data));
    }

    std::sort (sortKeys.begin(), sortKeys.end());

    MidiBufferLayout::Scratch::Writer sorted (sortedEvents);
    auto* out = sorted.room ((size_t) midiEvents.data.size());

    for (const auto key : sortKeys)
    {
        const auto* event = data + (juce::uint32) key;
        const auto eventBytes = MidiBufferLayout::next (event) - event;
        std::memcpy (out, event, (size_t) eventBytes);
        out += eventBytes;
    }

    sorted.wrote (out);
    midiEvents.clear();
    sorted.appendTo (midiEvents);
}
