// The adapter around a processor that records what the adapter asks of it: what a host cannot see
// from outside (the rate and block size it prepares with, the lock, the wrapped buffers).

#include "host/JuceVSTWrapper.h"
#include "StubProcessor.h"
#include "host/OutgoingEventArray.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace
{
class SpyProcessor : public StubProcessor
{
public:
    SpyProcessor()
    {
        addParameter (new juce::AudioParameterFloat ({"gain", 1}, "Gain", 0.0f, 1.0f, 0.0f));
    }

    struct Prepared
    {
        double rate;
        int block;
        bool operator== (const Prepared& o) const { return rate == o.rate && block == o.block; }
    };
    std::vector<Prepared> prepared;
    int released = 0;
    int blocks = 0;
    bool lockWasFreeForOthers = true;
    const float* firstChannel = nullptr;
    int numChannels = -1, numSamples = -1;

    void prepareToPlay (double rate, int block) override
    {
        EXPECT_EQ (getSampleRate(), rate); // the base knows the rate before prepareToPlay
        EXPECT_EQ (getBlockSize(), block);
        prepared.push_back ({rate, block});
    }
    void releaseResources() override { ++released; }
    void processBlock (juce::AudioBuffer<float>& audio, juce::MidiBuffer&) override
    {
        ++blocks;
        std::thread other (
            [this]
            {
                lockWasFreeForOthers = getCallbackLock().tryEnter();
                if (lockWasFreeForOthers)
                    getCallbackLock().exit();
            });
        other.join();
        numChannels = audio.getNumChannels();
        numSamples = audio.getNumSamples();
        firstChannel = numChannels > 0 ? audio.getReadPointer (0) : nullptr;
    }
};

std::vector<std::tuple<int, int, float>> automations;

vst2::VstIntPtr VSTCALLBACK recordingHost (vst2::AEffect*, vst2::VstInt32 opcode,
                                           vst2::VstInt32 index, vst2::VstIntPtr, void*, float opt)
{
    if (opcode == vst2::audioMasterAutomate)
        automations.emplace_back (opcode, index, opt);
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

class Adapter : public ::testing::Test
{
protected:
    SpyProcessor* spy = new SpyProcessor();
    JuceVSTWrapper* wrapper =
        new JuceVSTWrapper (recordingHost, std::unique_ptr<juce::AudioProcessor> (spy));
    vst2::AEffect* effect = wrapper->getAeffect();
    std::vector<float> channels[2] = {std::vector<float> (512), std::vector<float> (512)};
    float* outputs[2] = {channels[0].data(), channels[1].data()};

    void TearDown() override { effect->dispatcher (effect, vst2::effClose, 0, 0, nullptr, 0.0f); }

    vst2::VstIntPtr dispatch (vst2::VstInt32 opcode, vst2::VstIntPtr value = 0, float opt = 0.0f)
    {
        return effect->dispatcher (effect, opcode, 0, value, nullptr, opt);
    }
    void processBlock (int frames) { effect->processReplacing (effect, outputs, outputs, frames); }
};
} // namespace

TEST_F (Adapter, FirstBlockPreparesWithTheDefaults)
{
    processBlock (100);
    EXPECT_EQ (spy->prepared, (std::vector<SpyProcessor::Prepared>{{44100.0, 1024}}));
    processBlock (100);
    EXPECT_EQ (spy->prepared.size(), 1u);
}

TEST_F (Adapter, HostSettingsReachTheProcessorAtTheNextResume)
{
    dispatch (vst2::effSetSampleRate, 0, 0.0f);
    dispatch (vst2::effSetBlockSize, 256);
    dispatch (vst2::effMainsChanged, 1);
    EXPECT_EQ (spy->prepared.back(), (SpyProcessor::Prepared{44100.0, 256}));

    effect->dispatcher (effect, vst2::effSetBlockSizeAndSampleRate, 0, 128, nullptr, 48000.0f);
    processBlock (64);
    EXPECT_EQ (spy->prepared.size(), 1u); // still on: nothing reaches the processor yet

    dispatch (vst2::effMainsChanged, 0);
    EXPECT_EQ (spy->released, 1);
    processBlock (64); // the implicit resume takes the new values
    EXPECT_EQ (spy->prepared.back(), (SpyProcessor::Prepared{48000.0, 128}));
}

TEST_F (Adapter, ProcessorRunsUnderItsLockOnTheHostsOwnMemory)
{
    processBlock (300);
    EXPECT_EQ (spy->blocks, 1);
    EXPECT_FALSE (spy->lockWasFreeForOthers);
    EXPECT_EQ (spy->numChannels, 2);
    EXPECT_EQ (spy->numSamples, 300);
    EXPECT_EQ (spy->firstChannel, channels[0].data());

    effect->processReplacing (effect, nullptr, nullptr, 16); // a host without audio buffers
    EXPECT_EQ (spy->numChannels, 0);
}

TEST_F (Adapter, ProcessorsParameterChangeReachesTheHostAsAutomation)
{
    automations.clear();
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    spy->setParameterNotifyingHost (0, 0.75f);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    EXPECT_EQ (automations,
               (std::vector<std::tuple<int, int, float>>{{vst2::audioMasterAutomate, 0, 0.75f}}));
    EXPECT_EQ (effect->getParameter (effect, 0), 0.75f);
}

TEST (OutgoingEvents, GrowsWithHeadroomKeepsItsRecordsAndNeverShrinks)
{
    OutgoingEventArray list;
    EXPECT_EQ (list.getCapacity(), 0);

    list.ensureCapacity (64);
    EXPECT_EQ (list.getCapacity(), 96);
    vst2::VstEvent* const* slots = list.getEvents()->events;
    std::vector<vst2::VstEvent*> first (slots, slots + 96);

    list.ensureCapacity (96);
    EXPECT_EQ (list.getCapacity(), 96);
    list.ensureCapacity (97);
    EXPECT_EQ (list.getCapacity(), 129);
    list.ensureCapacity (40);
    EXPECT_EQ (list.getCapacity(), 129);

    slots = list.getEvents()->events;
    EXPECT_EQ (std::vector<vst2::VstEvent*> (slots, slots + 96), first);

    for (int i = 0; i < 129; ++i)
    {
        const auto* record = reinterpret_cast<const vst2::VstMidiEvent*> (slots[i]);
        EXPECT_EQ (record->type, vst2::kVstMidiType);
        EXPECT_EQ (record->byteSize, 24);
        EXPECT_EQ (record->deltaFrames, 0);
        EXPECT_EQ (record->midiData[0], 0);
    }
    EXPECT_EQ (std::set<vst2::VstEvent*> (slots, slots + 129).size(), 129u); // each its own record

    juce::MidiBuffer events;
    events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1), 7);
    list.fillFrom (events);
    EXPECT_EQ (list.size(), 1);
    list.fillFrom (juce::MidiBuffer());
    EXPECT_EQ (list.size(), 0);
}
