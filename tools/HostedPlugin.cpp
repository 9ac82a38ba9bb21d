#include "HostedPlugin.h"

#include <cstring>

namespace
{
// The tool hosts one plug-in at a time; the callback finds it here.
HostedPlugin* currentHost = nullptr;
constexpr vst2::VstIntPtr hostVersion = 2400;
} // namespace

HostedPlugin::~HostedPlugin()
{
    if (effect != nullptr)
        effect->dispatcher (effect, vst2::effClose, 0, 0, nullptr, 0.0f);

    library.reset();

    if (currentHost == this)
        currentHost = nullptr;
}

juce::String HostedPlugin::load (const juce::String& path)
{
    if (! juce::File (path).existsAsFile())
        return "cannot load plug-in '" + path + "': no such file";

    library = std::make_unique<PluginLibrary> (path.toRawUTF8());
    if (! library->loaded())
        return "cannot load plug-in '" + path + "': " + juce::String (library->error());
    if (library->entry() == nullptr)
        return "'" + path + "' is not a VST 2 plug-in: it has no entry point 'main'";

    currentHost = this;
    effect = library->entry() (callback);

    if (effect == nullptr || effect->magic != vst2::kEffectMagic)
    {
        effect = nullptr;
        return "the plug-in '" + path + "' did not start";
    }

    effect->dispatcher (effect, vst2::effOpen, 0, 0, nullptr, 0.0f);
    return {};
}

juce::String HostedPlugin::text (vst2::VstInt32 opcode)
{
    return juce::String::fromUTF8 (vst2client::text (*effect, opcode).c_str());
}

juce::String HostedPlugin::getName()
{
    return text (vst2::effGetEffectName);
}

juce::String HostedPlugin::getVendor()
{
    return text (vst2::effGetVendorString);
}

bool HostedPlugin::canDo (const char* capability)
{
    return effect->dispatcher (effect, vst2::effCanDo, 0, 0, const_cast<char*> (capability), 0.0f) >
           0;
}

void HostedPlugin::restoreState (const juce::MemoryBlock& state)
{
    const auto* bytes = static_cast<const std::uint8_t*> (state.getData());
    vst2client::setChunk (*effect, {bytes, bytes + state.getSize()});
}

juce::MemoryBlock HostedPlugin::saveState()
{
    const auto state = vst2client::getChunk (*effect);
    return state.empty() ? juce::MemoryBlock() : juce::MemoryBlock (state.data(), state.size());
}

std::vector<HostedPlugin::TimedEvent> HostedPlugin::play (const std::vector<TimedEvent>& events,
                                                          int sampleRate, int blockSize)
{
    received.clear();
    effect->dispatcher (effect, vst2::effSetSampleRate, 0, 0, nullptr, (float) sampleRate);
    effect->dispatcher (effect, vst2::effSetBlockSize, 0, blockSize, nullptr, 0.0f);
    effect->dispatcher (effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);

    std::vector<float> silence[4];
    for (auto& channel : silence)
        channel.assign ((size_t) blockSize, 0.0f);
    float* inputs[] = {silence[0].data(), silence[1].data()};
    float* outputs[] = {silence[2].data(), silence[3].data()};

    const auto end = events.empty() ? 0 : events.back().sample + 1;
    std::vector<vst2::VstMidiEvent> block;
    vst2client::EventList list;
    size_t next = 0;

    for (blockStart = 0; blockStart < end; blockStart += blockSize)
    {
        block.clear();
        for (; next < events.size() && events[next].sample < blockStart + blockSize; ++next)
        {
            const auto& message = events[next].message;
            auto event = vst2client::midiEvent ({}, (int) (events[next].sample - blockStart));
            std::memcpy (event.midiData, message.getRawData(),
                         (size_t) juce::jmin (4, message.getRawDataSize()));
            block.push_back (event);
        }

        list.point (block);
        vst2client::sendEvents (*effect, list);
        effect->processReplacing (effect, inputs, outputs, blockSize);
    }

    effect->dispatcher (effect, vst2::effMainsChanged, 0, 0, nullptr, 0.0f);
    return received;
}

void HostedPlugin::receive (const vst2::VstEvents& events)
{
    vst2::VstEvent* const* list = events.events;

    for (int i = 0; i < events.numEvents; ++i)
    {
        if (list[i] == nullptr || list[i]->type != vst2::kVstMidiType)
            continue;

        const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*> (list[i]);
        const auto* bytes = reinterpret_cast<const juce::uint8*> (midi->midiData);
        const auto length = juce::MidiMessage::getMessageLengthFromFirstByte (bytes[0]);
        received.push_back (
            {blockStart + midi->deltaFrames, juce::MidiMessage (bytes, juce::jmin (4, length))});
    }
}

vst2::VstIntPtr VSTCALLBACK HostedPlugin::callback (vst2::AEffect*, vst2::VstInt32 opcode,
                                                    vst2::VstInt32, vst2::VstIntPtr, void* ptr,
                                                    float)
{
    switch (opcode)
    {
    case vst2::audioMasterVersion:
        return hostVersion;
    case vst2::audioMasterProcessEvents:
        if (currentHost != nullptr && ptr != nullptr)
            currentHost->receive (*static_cast<const vst2::VstEvents*> (ptr));
        return 1;
    default:
        return 0;
    }
}
