#pragma once

#include "client/PluginLibrary.h"
#include "client/Vst2Client.h"
#include "host/VstInterface.h"

#include <vector>

/** The built plug-in driven as a host drives it, with a host callback that only counts what comes
    back, so that the host's side adds no cost and no allocation to a block. */
class HostPath
{
public:
    static constexpr int blockLength = 8192;

    HostPath();
    ~HostPath();

    bool isReady() const { return effect != nullptr; }

    /** Routes input channel 1 to the first fanOut output channels. */
    void setFanOut (int fanOut);
    /** n note events on channel 1, spread over one block in position order, or in the reverse. */
    void setInput (int numEvents, bool reversed = false);
    void runBlock();
    /** effGetChunk, which fills a fresh block inside the plug-in. */
    int saveState();
    /** Any other dispatcher call. */
    vst2::VstIntPtr dispatch (vst2::VstInt32 opcode, vst2::VstIntPtr value = 0,
                              void* ptr = nullptr);

    long long receivedEvents = 0;

private:
    /** The plug-in this build made, or the one LAMPWICK_BENCH_PLUGIN names (another build's, to
        compare the two on one machine). */
    static const char* pluginPath();

    static vst2::VstIntPtr VSTCALLBACK callback (vst2::AEffect*, vst2::VstInt32 opcode,
                                                 vst2::VstInt32, vst2::VstIntPtr, void* ptr, float);

    PluginLibrary library{pluginPath()};
    vst2::AEffect* effect = nullptr;
    std::vector<vst2::VstMidiEvent> events;
    vst2client::EventList list;
    std::vector<float> audio[4];
    float* inputs[2];
    float* outputs[2];
};
