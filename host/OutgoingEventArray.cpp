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
    block.realloc (blockSizeFor (newCapacity)); // the earlier slots keep their records
    records.ensureStorageAllocated (newCapacity);

    for (int i = capacity; i < newCapacity; ++i)
    {
        auto* record = records.add (new vst2::VstMidiEvent{});
        record->type = vst2::kVstMidiType;
        record->byteSize = midiEventByteSize;
        slots()[i] = reinterpret_cast<vst2::VstEvent*> (record);
    }

    capacity = newCapacity;
}

void OutgoingEventArray::clear() noexcept
{
    getEvents()->numEvents = 0;
}

void OutgoingEventArray::add (const juce::uint8* bytes, int numBytes, int deltaFrames) noexcept
{
    auto* events = getEvents();
    jassert (events->numEvents < capacity && numBytes <= 4);

    auto* record = reinterpret_cast<vst2::VstMidiEvent*> (slots()[events->numEvents++]);
    std::memcpy (record->midiData, bytes, (size_t) numBytes);
    record->deltaFrames = deltaFrames;
}

int OutgoingEventArray::size() const noexcept
{
    return reinterpret_cast<const vst2::VstEvents*> (block.get())->numEvents;
}

vst2::VstEvents* OutgoingEventArray::getEvents() noexcept
{
    return reinterpret_cast<vst2::VstEvents*> (block.get());
}

vst2::VstEvent** OutgoingEventArray::slots() noexcept
{
    // Through a plain pointer: the list really holds `capacity` slots, not the two it declares.
    return reinterpret_cast<vst2::VstEvent**> (block.get() + offsetof (vst2::VstEvents, events));
}
