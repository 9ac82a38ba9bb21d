#include "host/AudioEffect.h"

#include "host/PluginIdentity.h"

#include <cstring>

AudioEffect::AudioEffect (vst2::audioMasterCallback master, int numPrograms, int numParams)
    : audioMaster (master), sampleRate (PluginIdentity::defaultSampleRate),
      blockSize (PluginIdentity::defaultBlockSize), programCount (numPrograms),
      parameterCount (numParams)
{
    std::memset (&cEffect, 0, sizeof (cEffect));
    cEffect.magic = vst2::kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = PluginIdentity::version;
}

AudioEffect::~AudioEffect() = default;

vst2::VstIntPtr AudioEffect::dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                         vst2::VstIntPtr value, void* ptr, float opt)
{
    auto* text = static_cast<char*> (ptr);

    switch (opcode)
    {
    case vst2::effOpen:
        open();
        return 0;
    case vst2::effClose:
        close();
        return 1;
    case vst2::effSetProgram:
        if (value < programCount)
            setProgram ((vst2::VstInt32) value);
        return 0;
    case vst2::effGetProgram:
        return getProgram();
    case vst2::effSetProgramName:
        if (text != nullptr)
            setProgramName (text);
        return 0;
    case vst2::effGetProgramName:
        if (text != nullptr)
            getProgramName (text);
        return 0;
    case vst2::effGetParamLabel:
        if (text != nullptr)
            getParameterLabel (index, text);
        return 0;
    case vst2::effGetParamDisplay:
        if (text != nullptr)
            getParameterDisplay (index, text);
        return 0;
    case vst2::effGetParamName:
        if (text != nullptr)
            getParameterName (index, text);
        return 0;
    case vst2::effSetSampleRate:
        setSampleRate (opt);
        return 0;
    case vst2::effSetBlockSize:
        setBlockSize ((vst2::VstInt32) value);
        return 0;
    case vst2::effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case vst2::effIdentify:
        return PluginIdentity::identify;
    case vst2::effGetChunk:
        return ptr != nullptr ? getChunk (static_cast<void**> (ptr), index != 0) : 0;
    case vst2::effSetChunk:
        setChunk (ptr, (vst2::VstInt32) value, index != 0);
        return 0;
    default:
        return 0;
    }
}

void AudioEffect::process (float**, float**, vst2::VstInt32)
{
}

void AudioEffect::processReplacing (float**, float**, vst2::VstInt32)
{
}

void AudioEffect::setParameter (vst2::VstInt32, float)
{
}

float AudioEffect::getParameter (vst2::VstInt32)
{
    return 0.0f;
}

void AudioEffect::open()
{
}

void AudioEffect::destroy()
{
    delete this;
}

void AudioEffect::close()
{
}

void AudioEffect::setProgram (vst2::VstInt32)
{
}

vst2::VstInt32 AudioEffect::getProgram()
{
    return 0;
}

void AudioEffect::setProgramName (const char*)
{
}

void AudioEffect::getProgramName (char* name)
{
    *name = 0;
}

void AudioEffect::getParameterLabel (vst2::VstInt32, char* label)
{
    *label = 0;
}

void AudioEffect::getParameterDisplay (vst2::VstInt32, char* text)
{
    *text = 0;
}

void AudioEffect::getParameterName (vst2::VstInt32, char* text)
{
    *text = 0;
}

void AudioEffect::setSampleRate (float newSampleRate)
{
    sampleRate = newSampleRate;
}

void AudioEffect::setBlockSize (vst2::VstInt32 newBlockSize)
{
    blockSize = newBlockSize;
}

void AudioEffect::suspend()
{
}

void AudioEffect::resume()
{
}

vst2::VstInt32 AudioEffect::getChunk (void**, bool)
{
    return 0;
}

vst2::VstInt32 AudioEffect::setChunk (void*, vst2::VstInt32, bool)
{
    return 0;
}

vst2::VstIntPtr AudioEffect::callHost (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                       vst2::VstIntPtr value, void* ptr, float opt)
{
    return audioMaster != nullptr ? audioMaster (&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::copyText (char* destination, const juce::String& text, int maxCharacters)
{
    // Cuts on a character boundary, so a long name never ends in half a UTF-8 sequence.
    text.copyToUTF8 (destination, (size_t) maxCharacters + 1);
}

AudioEffect* AudioEffect::from (vst2::AEffect* effect) noexcept
{
    return effect != nullptr ? static_cast<AudioEffect*> (effect->object) : nullptr;
}

class AudioEffect::CallInProgress
{
public:
    explicit CallInProgress (AudioEffect& instance) : self (instance)
    {
        closedBefore = (self.calls.fetch_add (oneCall) & closedFlag) != 0;
    }

    ~CallInProgress()
    {
        if (self.calls.fetch_sub (oneCall) == (oneCall | closedFlag))
            self.destroy();
    }

    /** Marks the instance closed; answers whether it was open until now. */
    bool close() { return (self.calls.fetch_or (closedFlag) & closedFlag) == 0; }

    /** A call that arrives once the instance is closed (from inside a callback of a call still
        under way) finds nothing to do. */
    bool instanceWasClosed() const { return closedBefore; }

private:
    AudioEffect& self;
    bool closedBefore = false;

    JUCE_DECLARE_NON_COPYABLE (CallInProgress)
};

// The entry points are called from C: no exception may cross them. A failure answers like an
// unsupported call instead of taking the host down.

vst2::VstIntPtr VSTCALLBACK AudioEffect::dispatchEntry (vst2::AEffect* effect,
                                                        vst2::VstInt32 opcode, vst2::VstInt32 index,
                                                        vst2::VstIntPtr value, void* ptr, float opt)
{
    auto* self = from (effect);

    if (self == nullptr)
        return 0;

    CallInProgress call (*self);

    if (call.instanceWasClosed())
        return 0;

    try
    {
        if (opcode == vst2::effClose)
        {
            if (call.close())
                self->dispatcher (opcode, index, value, ptr, opt);

            return 1;
        }

        return self->dispatcher (opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

void VSTCALLBACK AudioEffect::processEntry (vst2::AEffect* effect, float** inputs, float** outputs,
                                            vst2::VstInt32 sampleFrames)
{
    if (auto* self = from (effect))
    {
        const CallInProgress call (*self);

        try
        {
            if (! call.instanceWasClosed())
                self->process (inputs, outputs, sampleFrames);
        }
        catch (...)
        {
        }
    }
}

void VSTCALLBACK AudioEffect::processReplacingEntry (vst2::AEffect* effect, float** inputs,
                                                     float** outputs, vst2::VstInt32 sampleFrames)
{
    if (auto* self = from (effect))
    {
        const CallInProgress call (*self);

        try
        {
            if (! call.instanceWasClosed())
                self->processReplacing (inputs, outputs, sampleFrames);
        }
        catch (...)
        {
        }
    }
}

void VSTCALLBACK AudioEffect::setParameterEntry (vst2::AEffect* effect, vst2::VstInt32 index,
                                                 float value)
{
    if (auto* self = from (effect))
    {
        const CallInProgress call (*self);

        if (! call.instanceWasClosed())
            self->setParameter (index, value);
    }
}

float VSTCALLBACK AudioEffect::getParameterEntry (vst2::AEffect* effect, vst2::VstInt32 index)
{
    if (auto* self = from (effect))
    {
        const CallInProgress call (*self);

        if (! call.instanceWasClosed())
            return self->getParameter (index);
    }

    return 0.0f;
}
