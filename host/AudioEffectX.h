#pragma once

#include "host/AudioEffect.h"

/** The upper half of the host adapter: answers dispatcher opcodes 25 to 76 (everything above
    answers 0) and wraps the calls the plug-in makes to the host. */
class AudioEffectX : public AudioEffect
{
public:
    using AudioEffect::AudioEffect;

    vst2::VstIntPtr dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                void* ptr, float opt) override;

protected:
    virtual vst2::VstInt32 processEvents (vst2::VstEvents* events);
    virtual bool getProgramNameIndexed (vst2::VstInt32 category, vst2::VstInt32 index, char* text);
    virtual bool setBlockSizeAndSampleRate (vst2::VstInt32 newBlockSize, float newSampleRate);
    virtual vst2::VstInt32 getPlugCategory();
    virtual bool getEffectName (char* name);
    virtual bool getVendorString (char* text);
    virtual bool getProductString (char* text);
    virtual vst2::VstInt32 getVendorVersion();
    virtual vst2::VstInt32 canDo (const char* text);

    /** audioMasterWantMidi: the plug-in wants the host's MIDI events. */
    void wantEvents();
    /** audioMasterProcessEvents: hands the host events that it takes during the call. */
    void sendVstEventsToHost (vst2::VstEvents* events);
    /** audioMasterAutomate: a parameter changed on the plug-in's side. */
    void automateParameter (vst2::VstInt32 index, float value);
};
