#include "host/AudioEffectX.h"

#include "host/PluginIdentity.h"

vst2::VstIntPtr AudioEffectX::dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                          vst2::VstIntPtr value, void* ptr, float opt)
{
    auto* text = static_cast<char*> (ptr);

    switch (opcode)
    {
    case vst2::effProcessEvents:
        return processEvents (static_cast<vst2::VstEvents*> (ptr));
    case vst2::effCanBeAutomated:
    case vst2::effGetNumProgramCategories:
    case vst2::effConnectInput:
    case vst2::effConnectOutput:
        return 1;
    case vst2::effGetProgramNameIndexed:
        return text != nullptr && getProgramNameIndexed ((vst2::VstInt32) value, index, text) ? 1
                                                                                              : 0;
    case vst2::effGetPlugCategory:
        return getPlugCategory();
    case vst2::effSetBlockSizeAndSampleRate:
        return setBlockSizeAndSampleRate ((vst2::VstInt32) value, opt) ? 1 : 0;
    case vst2::effGetEffectName:
        return text != nullptr && getEffectName (text) ? 1 : 0;
    case vst2::effGetVendorString:
        return text != nullptr && getVendorString (text) ? 1 : 0;
    case vst2::effGetProductString:
        return text != nullptr && getProductString (text) ? 1 : 0;
    case vst2::effGetVendorVersion:
        return getVendorVersion();
    case vst2::effCanDo:
        return canDo (text);
    case vst2::effGetVstVersion:
        return PluginIdentity::vstVersion;
    case vst2::effGetCurrentMidiProgram:
        return -1;
    case vst2::effGetSpeakerArrangement:
        // value and ptr each point at the host's pointer to an arrangement: there is none.
        if (auto* input = reinterpret_cast<void**> (value))
            *input = nullptr;
        if (auto* output = static_cast<void**> (ptr))
            *output = nullptr;
        return 0;
    case vst2::effSetTotalSampleToProcess:
        return value;
    default:
        return opcode < vst2::effProcessEvents
                   ? AudioEffect::dispatcher (opcode, index, value, ptr, opt)
                   : 0;
    }
}

vst2::VstInt32 AudioEffectX::processEvents (vst2::VstEvents*)
{
    return 1;
}

bool AudioEffectX::getProgramNameIndexed (vst2::VstInt32, vst2::VstInt32, char*)
{
    return false;
}

bool AudioEffectX::setBlockSizeAndSampleRate (vst2::VstInt32 newBlockSize, float newSampleRate)
{
    blockSize = newBlockSize;
    sampleRate = newSampleRate;
    return true;
}

vst2::VstInt32 AudioEffectX::getPlugCategory()
{
    return vst2::kPlugCategUnknown;
}

bool AudioEffectX::getEffectName (char*)
{
    return false;
}

bool AudioEffectX::getVendorString (char*)
{
    return false;
}

bool AudioEffectX::getProductString (char*)
{
    return false;
}

vst2::VstInt32 AudioEffectX::getVendorVersion()
{
    return 0;
}

vst2::VstInt32 AudioEffectX::canDo (const char*)
{
    return 0;
}

void AudioEffectX::wantEvents()
{
    callHost (vst2::audioMasterWantMidi, 0, 1);
}

void AudioEffectX::sendVstEventsToHost (vst2::VstEvents* events)
{
    callHost (vst2::audioMasterProcessEvents, 0, 0, events);
}

void AudioEffectX::automateParameter (vst2::VstInt32 index, float value)
{
    callHost (vst2::audioMasterAutomate, index, 0, nullptr, value);
}
