#pragma once

#include "host/VstInterface.h"

#include <juce_core/juce_core.h>

#include <atomic>

/** The lower half of the host adapter: owns the record handed to the host and the host callback,
    keeps the host-set sample rate and block size, routes the record's five entry points to
    virtual functions and answers dispatcher opcodes 0 to 24.

    Every answer here is the neutral one; the layers above override what the plug-in supports.

    An instance lives until the outermost of the host's calls into it returns: a host may close it
    from inside a callback the plug-in makes (effClose within audioMasterUpdateDisplay, say), and
    the call that made the callback goes on with the instance intact, then deletes it. */
class AudioEffect
{
public:
    AudioEffect (vst2::audioMasterCallback audioMaster, int numPrograms, int numParams);
    virtual ~AudioEffect();

    vst2::AEffect* getAeffect() noexcept { return &cEffect; }

    virtual vst2::VstIntPtr dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                        vst2::VstIntPtr value, void* ptr, float opt);

    virtual void process (float** inputs, float** outputs, vst2::VstInt32 sampleFrames);
    virtual void processReplacing (float** inputs, float** outputs, vst2::VstInt32 sampleFrames);
    virtual void setParameter (vst2::VstInt32 index, float value);
    virtual float getParameter (vst2::VstInt32 index);

protected:
    virtual void open();
    virtual void close();
    virtual void setProgram (vst2::VstInt32 program);
    virtual vst2::VstInt32 getProgram();
    virtual void setProgramName (const char* name);
    virtual void getProgramName (char* name);
    virtual void getParameterLabel (vst2::VstInt32 index, char* label);
    virtual void getParameterDisplay (vst2::VstInt32 index, char* text);
    virtual void getParameterName (vst2::VstInt32 index, char* text);
    virtual void setSampleRate (float newSampleRate);
    virtual void setBlockSize (vst2::VstInt32 newBlockSize);
    virtual void suspend();
    virtual void resume();
    virtual vst2::VstInt32 getChunk (void** data, bool isPreset);
    virtual vst2::VstInt32 setChunk (void* data, vst2::VstInt32 byteSize, bool isPreset);

    /** Calls the host with this instance's record as the first argument. */
    vst2::VstIntPtr callHost (vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                              vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    /** Deletes the instance, once the host has closed it and its outermost call has returned. */
    virtual void destroy();

    /** Whether the host has closed this instance during a call still under way: then nothing more
        is asked of the host, and no more work begun. */
    bool isClosed() const noexcept { return (calls.load() & closedFlag) != 0; }

    /** Copies at most maxCharacters characters of the text, then a terminating zero. */
    static void copyText (char* destination, const juce::String& text, int maxCharacters);

    vst2::audioMasterCallback audioMaster;
    vst2::AEffect cEffect;
    float sampleRate;
    vst2::VstInt32 blockSize;
    const int programCount;
    const int parameterCount;

private:
    /** Counts one of the host's calls into the instance for as long as it lives; the last one out
        of a closed instance deletes it. */
    class CallInProgress;

    // The host's calls under way, counted in steps of oneCall, and the closed flag.
    static constexpr unsigned closedFlag = 1, oneCall = 2;
    std::atomic<unsigned> calls{0};

    static vst2::VstIntPtr VSTCALLBACK dispatchEntry (vst2::AEffect*, vst2::VstInt32 opcode,
                                                      vst2::VstInt32 index, vst2::VstIntPtr value,
                                                      void* ptr, float opt);
    static void VSTCALLBACK processEntry (vst2::AEffect*, float** inputs, float** outputs,
                                          vst2::VstInt32 sampleFrames);
    static void VSTCALLBACK processReplacingEntry (vst2::AEffect*, float** inputs, float** outputs,
                                                   vst2::VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterEntry (vst2::AEffect*, vst2::VstInt32 index, float value);
    static float VSTCALLBACK getParameterEntry (vst2::AEffect*, vst2::VstInt32 index);

    static AudioEffect* from (vst2::AEffect* effect) noexcept;

    JUCE_DECLARE_NON_COPYABLE (AudioEffect)
};
