#include "host/OutgoingEventArray.h"

#include <cstddef>
#include <cstring>

namespace
{
size_t blockSizeFor (int numSlots)
{
    return juce::jmax (sizeof (vst2::VstEvents), offsetof (vst2::VstEvents, events) +
                                                     (size_t) numSlots * sizeof (vst2::VstEvent*));
}
} // namespace

OutgoingEventArray::OutgoingEventArray() : block (blockSizeFor (0), true)
{
}

OutgoingEventArray::~OutgoingEventArray() = default;

void OutgoingEventArray::ensureCapacity (int numEvents)
{
    if (numEvents <= capacity)
        return;

    const auto newCapacity = numEvents + headroom;
    const auto added = newCapacity - capacity;
    block.realloc (blockSizeFor (newCapacity)); // the earlier slots keep their records
    records.push_back (std::make_unique<vst2::VstMidiEvent[]> ((size_t) added)); // zero-filled

    for (int i = 0; i < added; ++i)
    {
        auto& record = records.back()[(size_t) i];
        record.type = vst2::kVstMidiType;
        record.byteSize = midiEventByteSize;
        slots()[capacity + i] = reinterpret_cast<vst2::VstEvent*> (&record);
    }

    capacity = newCapacity;
}

void OutgoingEventArray::fillFrom (const juce::MidiBuffer& buffer)
{
    using Layout = MidiBufferLayout;
    const auto* const end = buffer.data.end();
    auto* slot = slots();
    auto room = capacity; // a local: the record stores below could otherwise alias it
    int count = 0;

    for (const auto* event = buffer.data.begin(); event < end;)
    {
        const auto numBytes = Layout::numBytesOf (event);

        if (numBytes == 0 || numBytes > 4)
        {
            event = Layout::next (event); // a message this list cannot carry
            continue;
        }

        if (count == room)
        {
            int remaining = 0;
            for (const auto* e = event; e < end; e = Layout::next (e))
                ++remaining;

            ensureCapacity (count + remaining);
            slot = slots();
            room = capacity;
        }

        // Every field, every time: nothing an earlier event, or the host, left in a record
        // reaches the host again.
        auto& record = *reinterpret_cast<vst2::VstMidiEvent*> (slot[count++]);
        record.type = vst2::kVstMidiType;
        record.byteSize = midiEventByteSize;
        record.deltaFrames = Layout::positionOf (event);
        record.flags = 0;
        record.noteLength = 0;
        record.noteOffset = 0;
        record.detune = 0;
        record.noteOffVelocity = 0;
        record.reserved1 = 0;
        record.reserved2 = 0;

        if (numBytes == 3 && event + Layout::headerBytes + 4 <= end)
        {
            // Most messages: three bytes, read in one go, and the next event found without
            // waiting for this one's byte count.
            const auto message = juce::ByteOrder::littleEndianInt (Layout::bytesOf (event)) & 0xffffff;
            juce::writeUnaligned (record.midiData, juce::ByteOrder::swapIfBigEndian (message));
            event = Layout::nextAfter<3> (event);
        }
        else
        {
            juce::writeUnaligned (record.midiData,
                                  juce::ByteOrder::swapIfBigEndian (messageWord (event, numBytes)));
            event = Layout::next (event);
        }
    }

    getEvents()->numEvents = count;
}

juce::uint32 OutgoingEventArray::messageWord (const juce::uint8* event, int numBytes) noexcept
{
    // The message's bytes, first byte lowest, and zeros after them.
    const auto* bytes = MidiBufferLayout::bytesOf (event);
    juce::uint32 word = 0;

    for (int i = numBytes; --i >= 0;)
        word = (word << 8) | bytes[i];

    return word;
}

vst2::VstEvent** OutgoingEventArray::slots() noexcept
{
    // Through a plain pointer: the list really holds `capacity` slots, not the two it declares.
    return reinterpret_cast<vst2::VstEvent**> (block.get() + offsetof (vst2::VstEvents, events));
}

int OutgoingEventArray::size() const noexcept
{
    return reinterpret_cast<const vst2::VstEvents*> (block.get())->numEvents;
}
