#include "HostPath.h"

#include "plugin/RoutingMatrix.h"

#include <cstdlib>
#include <cstring>

namespace
{
HostPath* current = nullptr;
}

const char* HostPath::pluginPath()
{
    const auto* other = std::getenv ("LAMPWICK_BENCH_PLUGIN");
    return other != nullptr && *other != 0 ? other : LAMPWICK_PATH;
}

HostPath::HostPath()
{
    for (auto& channel : audio)
        channel.assign (blockLength, 0.0f);
    inputs[0] = audio[0].data();
    inputs[1] = audio[1].data();
    outputs[0] = audio[2].data();
    outputs[1] = audio[3].data();

    if (auto entry = library.entry())
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
    current = nullptr;
}

void HostPath::setFanOut (int fanOut)
{
    std::vector<std::uint8_t> state (routing::numCells, 0);
    for (int c = 0; c < fanOut; ++c)
        state[(size_t) routing::cell (0, c)] = 1;
    vst2client::setChunk (*effect, state);
}

void HostPath::setInput (int numEvents, bool reversed)
{
    events.clear();
    for (int i = 0; i < numEvents; ++i)
    {
        const auto place = reversed ? numEvents - 1 - i : i;
        events.push_back (
            vst2client::midiEvent ({0x90, (std::uint8_t) (i % 128), 100},
                                   (int) ((long long) place * blockLength / numEvents)));
    }

    list.point (events);
}

void HostPath::runBlock()
{
    vst2client::sendEvents (*effect, list);
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
