// Our VST 2 header against Debian's independent header of the same interface: a host built with
// either must see the same bytes at the same places.

#include "host/VstInterface.h"

#include <cstddef>
#include <gtest/gtest.h>
// Named by its full path: cross compilers for Windows do not search /usr/include. It defines its
// own calling-convention macro.
#undef VSTCALLBACK
#include "/usr/include/pluginterfaces/fst/fst.h"

#define EXPECT_SAME_FIELD(ours, theirs, ourField, theirField)                                      \
    EXPECT_EQ (offsetof (ours, ourField), offsetof (theirs, theirField)) << #ourField;             \
    EXPECT_EQ (sizeof (ours::ourField), sizeof (theirs::theirField)) << #ourField

TEST (VstAbi, EffectRecordMatchesTheIndependentHeader)
{
    using Ours = vst2::AEffect;
    using Theirs = ::AEffect;

    EXPECT_SAME_FIELD (Ours, Theirs, magic, magic);
    EXPECT_SAME_FIELD (Ours, Theirs, dispatcher, dispatcher);
    EXPECT_SAME_FIELD (Ours, Theirs, process, process);
    EXPECT_SAME_FIELD (Ours, Theirs, setParameter, setParameter);
    EXPECT_SAME_FIELD (Ours, Theirs, getParameter, getParameter);
    EXPECT_SAME_FIELD (Ours, Theirs, numPrograms, numPrograms);
    EXPECT_SAME_FIELD (Ours, Theirs, numParams, numParams);
    EXPECT_SAME_FIELD (Ours, Theirs, numInputs, numInputs);
    EXPECT_SAME_FIELD (Ours, Theirs, numOutputs, numOutputs);
    EXPECT_SAME_FIELD (Ours, Theirs, resvd1, resvd1);
    EXPECT_SAME_FIELD (Ours, Theirs, resvd2, resvd2);
    EXPECT_SAME_FIELD (Ours, Theirs, initialDelay, initialDelay);
    EXPECT_SAME_FIELD (Ours, Theirs, ioRatio, float1);
    EXPECT_SAME_FIELD (Ours, Theirs, object, object);
    EXPECT_SAME_FIELD (Ours, Theirs, user, user);
    EXPECT_SAME_FIELD (Ours, Theirs, uniqueID, uniqueID);
    EXPECT_SAME_FIELD (Ours, Theirs, version, version);
    EXPECT_SAME_FIELD (Ours, Theirs, processReplacing, processReplacing);
    EXPECT_SAME_FIELD (Ours, Theirs, processDoubleReplacing, processDoubleReplacing);

    // The independent header widens `flags` to a pointer-sized slot; on a little-endian machine
    // our 32-bit flags occupy its low half, and the padding up to resvd1 is zero.
    EXPECT_EQ (offsetof (Ours, flags), offsetof (Theirs, flags));
    EXPECT_EQ (offsetof (Ours, resvd1), offsetof (Theirs, flags) + sizeof (Theirs::flags));

    // Where it keeps 8 unnamed bytes, the published record has the two quality fields.
    EXPECT_EQ (offsetof (Ours, realQualities), offsetof (Theirs, _pad2));
    EXPECT_EQ (offsetof (Ours, ioRatio), offsetof (Theirs, _pad2) + sizeof (Theirs::_pad2));

    // It stops before the reserved `future` area, which our record carries (zeroed) at the end.
    EXPECT_EQ (offsetof (Ours, future), sizeof (Theirs));
    EXPECT_EQ (sizeof (Ours), sizeof (Theirs) + sizeof (Ours::future));
}

TEST (VstAbi, EventRecordsMatchTheIndependentHeader)
{
    EXPECT_SAME_FIELD (vst2::VstMidiEvent, ::VstMidiEvent, type, type);
    EXPECT_SAME_FIELD (vst2::VstMidiEvent, ::VstMidiEvent, byteSize, byteSize);
    EXPECT_SAME_FIELD (vst2::VstMidiEvent, ::VstMidiEvent, deltaFrames, deltaFrames);
    EXPECT_SAME_FIELD (vst2::VstMidiEvent, ::VstMidiEvent, flags, flags);
    EXPECT_SAME_FIELD (vst2::VstMidiEvent, ::VstMidiEvent, midiData, midiData);
    EXPECT_EQ (offsetof (vst2::VstMidiEvent, noteLength), offsetof (::VstMidiEvent, noteLength));
    EXPECT_EQ (sizeof (vst2::VstMidiEvent), sizeof (::VstMidiEvent));

    EXPECT_SAME_FIELD (vst2::VstEvent, ::VstEvent, type, type);
    EXPECT_SAME_FIELD (vst2::VstEvent, ::VstEvent, byteSize, byteSize);
    EXPECT_SAME_FIELD (vst2::VstEvent, ::VstEvent, deltaFrames, deltaFrames);
    EXPECT_SAME_FIELD (vst2::VstEvent, ::VstEvent, flags, flags);

    EXPECT_SAME_FIELD (vst2::VstEvents, ::VstEvents, numEvents, numEvents);
    EXPECT_EQ (offsetof (vst2::VstEvents, events), offsetof (::VstEvents, events));

    EXPECT_SAME_FIELD (vst2::ERect, ::ERect, top, top);
    EXPECT_SAME_FIELD (vst2::ERect, ::ERect, left, left);
    EXPECT_SAME_FIELD (vst2::ERect, ::ERect, bottom, bottom);
    EXPECT_SAME_FIELD (vst2::ERect, ::ERect, right, right);
    EXPECT_EQ (sizeof (vst2::ERect), sizeof (::ERect));
}

TEST (VstAbi, NumbersMatchTheIndependentHeader)
{
    EXPECT_EQ (vst2::kEffectMagic, kEffectMagic);
    EXPECT_EQ (vst2::kVstMidiType, kVstMidiType);
    EXPECT_EQ (vst2::kVstSysExType, kVstSysExType);
    EXPECT_EQ (vst2::kPlugCategSynth, kPlugCategSynth);

    const std::pair<int, int> flags[] = {
        {vst2::effFlagsHasEditor, effFlagsHasEditor},
        {vst2::effFlagsCanReplacing, effFlagsCanReplacing},
        {vst2::effFlagsProgramChunks, effFlagsProgramChunks},
        {vst2::effFlagsIsSynth, effFlagsIsSynth},
        {vst2::effFlagsNoSoundInStop, effFlagsNoSoundInStop},
    };
    for (auto [ours, theirs] : flags)
        EXPECT_EQ (ours, theirs);

    // Idle is among those it marks as unknown.
    const std::pair<int, int> hostOpcodes[] = {
        {vst2::audioMasterAutomate, audioMasterAutomate},
        {vst2::audioMasterVersion, audioMasterVersion},
        {vst2::audioMasterWantMidi, audioMasterWantMidi},
        {vst2::audioMasterProcessEvents, audioMasterProcessEvents},
        {vst2::audioMasterSizeWindow, audioMasterSizeWindow},
        {vst2::audioMasterCanDo, audioMasterCanDo},
    };
    for (auto [ours, theirs] : hostOpcodes)
        EXPECT_EQ (ours, theirs);

    // Every number the independent header gives; the ones it marks as unknown are not compared.
    const std::pair<int, int> pluginOpcodes[] = {
        {vst2::effOpen, effOpen},
        {vst2::effClose, effClose},
        {vst2::effSetProgram, effSetProgram},
        {vst2::effGetProgram, effGetProgram},
        {vst2::effSetProgramName, effSetProgramName},
        {vst2::effGetProgramName, effGetProgramName},
        {vst2::effGetParamLabel, effGetParamLabel},
        {vst2::effGetParamDisplay, effGetParamDisplay},
        {vst2::effGetParamName, effGetParamName},
        {vst2::effSetSampleRate, effSetSampleRate},
        {vst2::effSetBlockSize, effSetBlockSize},
        {vst2::effMainsChanged, effMainsChanged},
        {vst2::effEditGetRect, effEditGetRect},
        {vst2::effEditOpen, effEditOpen},
        {vst2::effEditClose, effEditClose},
        {vst2::effEditIdle, effEditIdle},
        {vst2::effGetChunk, effGetChunk},
        {vst2::effSetChunk, effSetChunk},
        {vst2::effProcessEvents, effProcessEvents},
        {vst2::effCanBeAutomated, effCanBeAutomated},
        {vst2::effString2Parameter, effString2Parameter},
        {vst2::effGetProgramNameIndexed, effGetProgramNameIndexed},
        {vst2::effGetInputProperties, effGetInputProperties},
        {vst2::effGetOutputProperties, effGetOutputProperties},
        {vst2::effGetPlugCategory, effGetPlugCategory},
        {vst2::effSetSpeakerArrangement, effSetSpeakerArrangement},
        {vst2::effGetEffectName, effGetEffectName},
        {vst2::effGetVendorString, effGetVendorString},
        {vst2::effGetProductString, effGetProductString},
        {vst2::effGetVendorVersion, effGetVendorVersion},
        {vst2::effVendorSpecific, effVendorSpecific},
        {vst2::effCanDo, effCanDo},
        {vst2::effGetVstVersion, effGetVstVersion},
        {vst2::effGetCurrentMidiProgram, effGetCurrentMidiProgram},
        {vst2::effGetSpeakerArrangement, effGetSpeakerArrangement},
        {vst2::effShellGetNextPlugin, effShellGetNextPlugin},
        {vst2::effStartProcess, effStartProcess},
        {vst2::effStopProcess, effStopProcess},
        {vst2::effSetTotalSampleToProcess, effSetTotalSampleToProcess},
    };
    for (auto [ours, theirs] : pluginOpcodes)
        EXPECT_EQ (ours, theirs);
}
