#pragma once

#include "host/AudioEffectX.h"
#include "host/OutgoingEventArray.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** Binds the VST 2 adapter to the plug-in's processor: identity and state for the dispatcher,
    the host's MIDI into the processor and the routed MIDI back to the host, once per block. */
class JuceVSTWrapper : public AudioEffectX, private juce::AudioProcessorListener
{
public:
    JuceVSTWrapper (vst2::audioMasterCallback audioMaster,
                    std::unique_ptr<juce::AudioProcessor> processorToOwn);
    ~JuceVSTWrapper() override;

    void process (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void processReplacing (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void setParameter (vst2::VstInt32 index, float value) override;
    float getParameter (vst2::VstInt32 index) override;

protected:
    // Dispatcher opcodes 0 to 24
    void setProgram (vst2::VstInt32 program) override;
    vst2::VstInt32 getProgram() override;
    void setProgramName (const char* name) override;
    void getProgramName (char* name) override;
    void getParameterDisplay (vst2::VstInt32 index, char* text) override;
    void getParameterName (vst2::VstInt32 index, char* text) override;
    void suspend() override;
    void resume() override;
    vst2::VstInt32 getChunk (void** data, bool isPreset) override;
    vst2::VstInt32 setChunk (void* data, vst2::VstInt32 byteSize, bool isPreset) override;

    // Dispatcher opcodes 25 to 76
    vst2::VstInt32 processEvents (vst2::VstEvents* events) override;
    bool getProgramNameIndexed (vst2::VstInt32 category, vst2::VstInt32 index, char* text) override;
    vst2::VstInt32 getPlugCategory() override;
    bool getEffectName (char* name) override;
    bool getVendorString (char* text) override;
    bool getProductString (char* text) override;
    vst2::VstInt32 getVendorVersion() override;
    vst2::VstInt32 canDo (const char* text) override;

private:
    void processBlock (float** outputs, vst2::VstInt32 sampleFrames);
    void sendRoutedEvents();

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override;

    std::unique_ptr<juce::AudioProcessor> processor;
    juce::MidiBuffer midiEvents;
    juce::MidiBuffer oneEvent; // scratch for appending in order
    int lastEventPosition = 0; // the latest position in midiEvents while it is not empty
    OutgoingEventArray outgoingEvents;
    bool prepared = false;
    juce::MemoryBlock stateBlock;
    juce::uint32 stateBlockTime = 0; // when the chunk was handed out; 0 when there is none

    JUCE_DECLARE_NON_COPYABLE (JuceVSTWrapper)
};
