#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class QuennellFilterBase;

/** The list of a filter's host-visible parameters, and the conversions between the host's
    normalised values (0 to 1) and each parameter's raw value. */
class PluginParameterManager : public juce::ChangeBroadcaster
{
public:
    struct ParameterInfo
    {
        float* value; // the processor's own storage; not owned
        juce::String name;
        float minimum;
        float maximum;
    };

    explicit PluginParameterManager (QuennellFilterBase* ownerFilter);
    ~PluginParameterManager() override;

    /** Registers a parameter. Switchyard has none; filters with parameters call this. */
    void addParameter (float* value, const juce::String& name, float minimum, float maximum);

    int getNumParameters() const;
    float getParameter (int index) const;
    float getParameterValue (int index) const;
    juce::String getParameterName (int index) const;
    juce::String getParameterText (int index) const;
    void setParameter (int index, float newValue);
    void setParameterValue (int index, float rawValue);

    void writeParameterValues (juce::MemoryBlock& destData) const;
    void readParameterValues (const void* data, int sizeInBytes);

    static constexpr const char* unknownParameter = "Unknown Parameter";

private:
    const ParameterInfo* find (int index) const;
    static float normalise (const ParameterInfo& info, float rawValue);

    QuennellFilterBase* ownerFilter;
    juce::OwnedArray<ParameterInfo> parameters;

    JUCE_DECLARE_NON_COPYABLE (PluginParameterManager)
};
