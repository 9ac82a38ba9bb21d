#include "host/OutgoingEventArray.h"

#include <cstddef>
#include <cstring>

namespace
{
/** Two 32-bit fields of a record as they lie in memory, the first at the lower address. */
constexpr juce::uint64 fields (juce::uint32 first, juce::uint32 second)
{
    return juce::ByteOrder::isBigEndian() ? ((juce::uint64) first << 32) | second
                                          : ((juce::uint64) second << 32) | first;
}

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

    // Everything new is made before anything changes: if memory runs out, the exception leaves
    // the list as it was.
    const auto newCapacity = numEvents + headroom;
    const auto added = newCapacity - capacity;
    auto chunk = std::make_unique<vst2::VstMidiEvent[]> ((size_t) added); // zero-filled
    juce::HeapBlock<char, true> larger (blockSizeFor (newCapacity), true);
    records.reserve (records.size() + 1);

    std::memcpy (larger.get(), block.get(), blockSizeFor (capacity)); // earlier slots, same records
    block.swapWith (larger);

    for (int i = 0; i < added; ++i)
    {
        auto& record = chunk[(size_t) i];
        record.type = vst2::kVstMidiType;
        record.byteSize = midiEventByteSize;
        slots()[capacity + i] = reinterpret_cast<vst2::VstEvent*> (&record);
    }

    records.push_back (std::move (chunk));
    capacity = newCapacity;
}

void OutgoingEventArray::fillFrom (const juce::MidiBuffer& buffer)
{
    using Layout = MidiBufferLayout;
    const auto* const end = buffer.data.end();
    auto* slot = slots();
    auto room = capacity; // a local: the record stores below could otherwise alias it
    int count = 0;
    const auto typeAndSize =
        fields ((juce::uint32) vst2::kVstMidiType, (juce::uint32) midiEventByteSize);

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
            ensureCapacity (count + Layout::countEvents (event, end));
            slot = slots();
            room = capacity;
        }

        const auto position = (juce::uint32) Layout::positionOf (event);
        juce::uint32 message;

        if (numBytes == 3 && event + Layout::headerBytes + 4 <= end)
        {
            // Most messages: three bytes, read in one go, and the next event found without
            // waiting for this one's byte count.
            message = juce::ByteOrder::littleEndianInt (Layout::bytesOf (event)) & 0xffffff;
            event = Layout::nextAfter<3> (event);
        }
        else
        {
            message = messageWord (event, numBytes);
            event = Layout::next (event);
        }

        // Every field, every time: nothing an earlier event, or the host, left in a record
        // reaches the host again.
        auto* record = reinterpret_cast<char*> (slot[count++]);
        juce::writeUnaligned (record, typeAndSize);
        juce::writeUnaligned (record + 8, fields (position, 0));
        juce::writeUnaligned (record + 16, (juce::uint64) 0);
        juce::writeUnaligned (record + 24, fields (juce::ByteOrder::swapIfBigEndian (message), 0));
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
