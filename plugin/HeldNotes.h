#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** Where the notes and pedals held on each input channel were sent, so that each release reaches
    every output channel its press reached, even after the routes have changed since. A release
    also goes wherever the routes send it now, so with routes that never change nothing differs
    from routing every event by its row alone.

    Fixed in size and touched only by the routing of a block: no allocation, no lock. */
class HeldNotes
{
public:
    /** Bit c set: output channel c + 1. */
    using Outputs = juce::uint16;

    /** The output channels a channel message goes to, given those its input channel's row
        switches on now. A press (note-on with a velocity, sustain, sostenuto or soft pedal at
        64 or more) goes to the row's outputs, which are remembered; its release (note-off,
        note-on with velocity 0, the pedal below 64) goes to the row's outputs and to every one
        still holding the press, which are then forgotten. Any other message goes to the row's. */
    Outputs route (const juce::uint8* message, int numBytes, Outputs rowOutputs) noexcept
    {
        if (numBytes < 3) // not a note or a controller: two bytes at most
            return rowOutputs;

        const auto channel = message[0] & 0x0f;

        switch (message[0] & 0xf0)
        {
        case 0x90:
            if (message[2] != 0)
                return press (notes[channel][message[1] & 0x7f], rowOutputs);
            [[fallthrough]];
        case 0x80:
            return release (notes[channel][message[1] & 0x7f], rowOutputs);
        case 0xb0:
            if (auto* pedal = pedalOf (channel, message[1]))
                return message[2] >= 64 ? press (*pedal, rowOutputs) : release (*pedal, rowOutputs);
            return rowOutputs;
        default:
            return rowOutputs;
        }
    }

private:
    static constexpr int numChannels = 16, numNotes = 128;
    static constexpr juce::uint8 sustain = 64, sostenuto = 66, soft = 67;

    static Outputs press (Outputs& held, Outputs rowOutputs) noexcept
    {
        held |= rowOutputs;
        return rowOutputs;
    }

    static Outputs release (Outputs& held, Outputs rowOutputs) noexcept
    {
        const auto outputs = held | rowOutputs;
        held = 0;
        return outputs;
    }

    Outputs* pedalOf (int channel, juce::uint8 controller) noexcept
    {
        switch (controller)
        {
        case sustain:
            return &pedals[channel][0];
        case sostenuto:
            return &pedals[channel][1];
        case soft:
            return &pedals[channel][2];
        default:
            return nullptr;
        }
    }

    std::array<std::array<Outputs, numNotes>, numChannels> notes{};
    std::array<std::array<Outputs, 3>, numChannels> pedals{};
};
