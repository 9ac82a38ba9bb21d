#pragma once

#include "plugin/PluginParameterManager.h"

#include <juce_audio_processors/juce_audio_processors.h>

/** One program: a name and the raw values of all parameters when it was last left. */
struct FilterProgram
{
    juce::String name;
    juce::MemoryBlock parameterValues; // 4-byte little-endian floats in parameter order
};

/** The maker's layer between the toolkit's processor and a concrete plug-in: parameters through
    a PluginParameterManager, programs as named snapshots of the parameter values, and a default
    state format (the program list).

    The host still reaches parameters and programs through the toolkit's index-based calls, which
    JUCE 7 keeps as deprecated virtuals; this class is where they are overridden. */
class QuennellFilterBase : public juce::AudioProcessor, public juce::MessageListener
{
public:
    explicit QuennellFilterBase (const BusesProperties& buses);
    ~QuennellFilterBase() override;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    int getNumParameters() override;
    const juce::String getParameterName (int parameterIndex) override;
    float getParameter (int parameterIndex) override;
    const juce::String getParameterText (int parameterIndex) override;
    void setParameter (int parameterIndex, float newValue) override;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** Whether the open editor rests: nothing to animate, nothing in progress, so that the host's
        idle call can leave the message thread asleep. Asked on the host's thread, so it reads
        atomics only; a plug-in that cannot tell answers false. */
    virtual bool editorIsResting() const noexcept { return false; }

    /** Sets a parameter from the processor's side and tells the host (audioMasterAutomate). */
    void notifyHostOfParameter (int parameterIndex, float normalisedValue);

    static constexpr const char* unknownProgram = "Unknown Program";

protected:
    PluginParameterManager* parameterManager;
    juce::OwnedArray<FilterProgram> programs;
    int currentProgram = -1;

private:
    FilterProgram* findProgram (int index) const;
    void saveCurrentProgram();

    JUCE_DECLARE_NON_COPYABLE (QuennellFilterBase)
};
