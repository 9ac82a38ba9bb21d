#pragma once

#include "client/PluginLibrary.h"
#include "client/Vst2Client.h"
#include "host/VstInterface.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>
#include <vector>

/** A VST 2 plug-in loaded the way a host loads it (dlopen, then `main`), played block by block. */
class HostedPlugin
{
public:
    /** A short MIDI message at an absolute sample position. */
    struct TimedEvent
    {
        juce::int64 sample = 0;
        juce::MidiMessage message;
    };

    HostedPlugin() = default;
    ~HostedPlugin();

    /** Loads the library and builds one instance; answers an error message, or an empty text. */
    juce::String load (const juce::String& path);

    juce::String getName();
    juce::String getVendor();
    bool canDo (const char* capability);

    void restoreState (const juce::MemoryBlock& state);
    juce::MemoryBlock saveState();

    /** Plays the events (in time order) through the plug-in at the given rate and block size, and
        answers what the plug-in sent back, at absolute sample positions. */
    std::vector<TimedEvent> play (const std::vector<TimedEvent>& events, int sampleRate,
                                  int blockSize);

private:
    static vst2::VstIntPtr VSTCALLBACK callback (vst2::AEffect*, vst2::VstInt32 opcode,
                                                 vst2::VstInt32 index, vst2::VstIntPtr value,
                                                 void* ptr, float opt);
    void receive (const vst2::VstEvents& events);
    juce::String text (vst2::VstInt32 opcode);

    std::unique_ptr<PluginLibrary> library;
    vst2::AEffect* effect = nullptr;
    juce::int64 blockStart = 0;
    std::vector<TimedEvent> received;

    JUCE_DECLARE_NON_COPYABLE (HostedPlugin)
};
