#pragma once

#include "plugin/QuennellFilterBase.h"

#include <vector>

/** A filter with parameters, keeping the base's default state format, so that the parameter and
    program machinery Switchyard does not use can be driven in tests. */
class TestFilter : public QuennellFilterBase
{
public:
    TestFilter() : QuennellFilterBase (BusesProperties()) {}

    // Raw values live in the filter, as in any processor; the manager points at them.
    float gain = 0.0f, cutoff = 100.0f;

    void addTestParameters()
    {
        parameterManager->addParameter (&gain, "Gain", -10.0f, 10.0f);
        parameterManager->addParameter (&cutoff, "Cutoff", 100.0f, 1100.0f);
    }

    PluginParameterManager& manager() { return *parameterManager; }
    void setCurrentProgramIndex (int index) { currentProgram = index; }

    const juce::String getName() const override { return "Test"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    void handleMessage (const juce::Message&) override {}
};

/** The default state format, written by hand: a count, then name, size and float values. */
class DefaultStateWriter
{
public:
    explicit DefaultStateWriter (int count) { int32 (count); }

    DefaultStateWriter& program (const char* name, std::vector<float> values)
    {
        block.append (name, std::strlen (name) + 1);
        int32 ((int) (values.size() * 4));
        for (float v : values)
        {
            juce::uint32 bits;
            std::memcpy (&bits, &v, 4);
            int32 ((int) bits);
        }
        return *this;
    }

    DefaultStateWriter& raw (std::vector<juce::uint8> bytes)
    {
        block.append (bytes.data(), bytes.size());
        return *this;
    }

    juce::MemoryBlock block;

private:
    void int32 (int value)
    {
        const auto le = juce::ByteOrder::swapIfBigEndian ((juce::uint32) value);
        block.append (&le, 4);
    }
};
