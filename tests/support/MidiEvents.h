#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <ostream>
#include <vector>

/** A MIDI event as plain bytes and a sample position, comparable in test expectations. */
struct MidiEvent
{
    std::vector<juce::uint8> bytes;
    int position = 0;

    bool operator== (const MidiEvent& other) const
    {
        return bytes == other.bytes && position == other.position;
    }
};

inline std::ostream& operator<< (std::ostream& os, const MidiEvent& e)
{
    os << "{";
    for (auto b : e.bytes)
        os << juce::String::toHexString ((int) b) << " ";
    return os << "@" << e.position << "}";
}

using MidiEvents = std::vector<MidiEvent>;

inline juce::MidiBuffer toBuffer (const MidiEvents& events)
{
    juce::MidiBuffer buffer;
    for (const auto& e : events)
        buffer.addEvent (e.bytes.data(), (int) e.bytes.size(), e.position);
    return buffer;
}

inline MidiEvents fromBuffer (const juce::MidiBuffer& buffer)
{
    MidiEvents events;
    for (const auto m : buffer)
        events.push_back ({{m.data, m.data + m.numBytes}, m.samplePosition});
    return events;
}
