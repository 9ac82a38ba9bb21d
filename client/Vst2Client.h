#pragma once

#include "host/VstInterface.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

/** What every host does with a plug-in instance, one call each: the host's event lists, blocks,
    texts and state. The caller keeps the record; none of these calls the host. */
namespace vst2client
{
/** A MIDI event record as a host fills it: at most four bytes. */
vst2::VstMidiEvent midiEvent (std::initializer_list<std::uint8_t> bytes, int deltaFrames,
                              vst2::VstInt32 type = vst2::kVstMidiType);

/** A host's list for effProcessEvents over the given records, which stay where they are: the
    list holds their addresses, as hosts' lists do. It is built once and may be sent many times. */
class EventList
{
public:
    EventList() = default;
    explicit EventList (std::vector<vst2::VstMidiEvent>& records) { point (records); }

    /** Points the list at the records, reusing its storage. */
    void point (std::vector<vst2::VstMidiEvent>& records);

    vst2::VstEvents* get() { return reinterpret_cast<vst2::VstEvents*> (storage.data()); }

private:
    std::vector<char> storage; // the header, then one pointer a record
};

/** effProcessEvents with the list. */
vst2::VstIntPtr sendEvents (vst2::AEffect& effect, EventList& list);

/** The dispatcher's text for the opcode (a name, a vendor), from a buffer of 256 bytes. */
std::string text (vst2::AEffect& effect, vst2::VstInt32 opcode, vst2::VstInt32 index = 0);

/** effGetChunk: a copy of the state the plug-in hands out; empty when it hands out none. */
std::vector<std::uint8_t> getChunk (vst2::AEffect& effect, vst2::VstInt32 index = 0);

/** effSetChunk with a copy of the bytes, as hosts restore from their own memory. */
void setChunk (vst2::AEffect& effect, const std::vector<std::uint8_t>& bytes);
} // namespace vst2client
