#include "HostPath.h"

#include <cstring>

namespace
{
HostPath* current = nullptr;
}

HostPath::HostPath()
{
    for (auto& channel : audio)
        channel.assign (blockLength, 0.0f);
    inputs[0] = audio[0].data();
    inputs[1] = audio[1].data();
    outputs[0] = audio[2].data();
    outputs[1] = audio[3].data();

    library = dlopen (LAMPWICK_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return;

    using MainFunction = vst2::AEffect* (*) (vst2::audioMasterCallback);
    if (auto entry = reinterpret_cast<MainFunction> (dlsym (library, "main")))
    {
        current = this;
        effect = entry (callback);
    }

    if (effect != nullptr)
    {
        effect->dispatcher (effect, vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
        effect->dispatcher (effect, vst2::effSetBlockSize, 0, blockLength, nullptr, 0.0f);
        effect->dispatcher (effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
    }
}

HostPath::~HostPath()
{
    if (effect != nullptr)
        effect->dispatcher (effect, vst2::effClose, 0, 0, nullptr, 0.0f);
    if (library != nullptr)
        dlclose (library);
    current = nullptr;
}

void HostPath::setFanOut (int fanOut)
{
    unsigned char state[256] = {};
    for (int c = 0; c < fanOut; ++c)
        state[c] = 1;
    effect->dispatcher (effect, vst2::effSetChunk, 0, sizeof (state), state, 0.0f);
}

void HostPath::setInput (int numEvents, bool reversed)
{
    events.assign ((size_t) numEvents, vst2::VstMidiEvent{});
    for (int i = 0; i < numEvents; ++i)
    {
        auto& e = events[(size_t) i];
        e.type = vst2::kVstMidiType;
        e.byteSize = sizeof (e);
        const auto place = reversed ? numEvents - 1 - i : i;
        e.deltaFrames = (int) ((long long) place * blockLength / numEvents);
        e.midiData[0] = (char) 0x90;
        e.midiData[1] = (char) (i % 128);
        e.midiData[2] = 100;
    }

    list.assign (sizeof (vst2::VstEvents) + events.size() * sizeof (vst2::VstEvent*), 0);
    auto* header = reinterpret_cast<vst2::VstEvents*> (list.data());
    header->numEvents = numEvents;
    vst2::VstEvent** slots = header->events;
    for (size_t i = 0; i < events.size(); ++i)
        slots[i] = reinterpret_cast<vst2::VstEvent*> (&events[i]);
}

void HostPath::runBlock()
{
    effect->dispatcher (effect, vst2::effProcessEvents, 0, 0, list.data(), 0.0f);
    effect->processReplacing (effect, inputs, outputs, blockLength);
}

int HostPath::saveState()
{
    void* data = nullptr;
    return (int) effect->dispatcher (effect, vst2::effGetChunk, 0, 0, &data, 0.0f);
}

vst2::VstIntPtr VSTCALLBACK HostPath::callback (vst2::AEffect*, vst2::VstInt32 opcode,
                                                vst2::VstInt32, vst2::VstIntPtr, void* ptr, float)
{
    if (opcode == vst2::audioMasterVersion)
        return 2400;
    if (opcode == vst2::audioMasterProcessEvents && current != nullptr && ptr != nullptr)
        current->receivedEvents += static_cast<const vst2::VstEvents*> (ptr)->numEvents;
    return 0;
}

vst2::VstIntPtr HostPath::dispatch (vst2::VstInt32 opcode, vst2::VstIntPtr value, void* ptr)
{
    return effect->dispatcher (effect, opcode, 0, value, ptr, 0.0f);
}
