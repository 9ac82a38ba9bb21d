#include "client/Vst2Client.h"

#include <algorithm>
#include <cstring>

namespace vst2client
{
vst2::VstMidiEvent midiEvent (std::initializer_list<std::uint8_t> bytes, int deltaFrames,
                              vst2::VstInt32 type)
{
    vst2::VstMidiEvent event{};
    event.type = type;
    event.byteSize = sizeof (event);
    event.deltaFrames = deltaFrames;
    std::copy_n (bytes.begin(), std::min<size_t> (bytes.size(), 4), event.midiData);
    return event;
}

void EventList::point (std::vector<vst2::VstMidiEvent>& records)
{
    // The header declares room for two pointers; a list of any length goes on past it.
    storage.assign (sizeof (vst2::VstEvents) + records.size() * sizeof (vst2::VstEvent*), 0);
    auto* header = get();
    header->numEvents = (vst2::VstInt32) records.size();
    vst2::VstEvent** slots = header->events;

    for (size_t i = 0; i < records.size(); ++i)
        slots[i] = reinterpret_cast<vst2::VstEvent*> (&records[i]);
}

vst2::VstIntPtr sendEvents (vst2::AEffect& effect, EventList& list)
{
    return effect.dispatcher (&effect, vst2::effProcessEvents, 0, 0, list.get(), 0.0f);
}

std::string text (vst2::AEffect& effect, vst2::VstInt32 opcode, vst2::VstInt32 index)
{
    char buffer[256] = {};
    effect.dispatcher (&effect, opcode, index, 0, buffer, 0.0f);
    buffer[sizeof (buffer) - 1] = 0;
    return buffer;
}

std::vector<std::uint8_t> getChunk (vst2::AEffect& effect, vst2::VstInt32 index)
{
    void* data = nullptr;
    const auto size = effect.dispatcher (&effect, vst2::effGetChunk, index, 0, &data, 0.0f);

    if (data == nullptr || size <= 0)
        return {};

    const auto* bytes = static_cast<const std::uint8_t*> (data);
    return {bytes, bytes + size};
}

void setChunk (vst2::AEffect& effect, const std::vector<std::uint8_t>& bytes)
{
    auto copy = bytes;
    effect.dispatcher (&effect, vst2::effSetChunk, 0, (vst2::VstIntPtr) copy.size(), copy.data(),
                       0.0f);
}
} // namespace vst2client
