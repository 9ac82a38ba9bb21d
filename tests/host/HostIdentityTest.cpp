// What a host reads from the plug-in: the record, the dispatcher's answers, the identity texts and
// the capability table, all through the built Lampwick.so.

#include "PluginHost.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

namespace
{
class HostIdentity : public ::testing::Test
{
protected:
    BuiltPlugin library;
    TestHost host{library};

    void SetUp() override { ASSERT_NE (host.effect, nullptr) << library.error(); }
};

bool allZero (const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*> (data);
    return std::all_of (bytes, bytes + size, [] (unsigned char b) { return b == 0; });
}
} // namespace

TEST_F (HostIdentity, RecordCarriesTheFixedValuesAndZeroElsewhere)
{
    const auto& e = *host.effect;
    EXPECT_EQ (e.magic, 0x56737450);    // "VstP"
    EXPECT_EQ (e.uniqueID, 0x51535944); // "QSYD", first character most significant
    EXPECT_EQ (e.version, 1);
    EXPECT_EQ (e.flags, 0x131);
    EXPECT_EQ (e.numPrograms, 0);
    EXPECT_EQ (e.numParams, 0);
    EXPECT_EQ (e.numInputs, 2);
    EXPECT_EQ (e.numOutputs, 2);
    EXPECT_EQ (e.ioRatio, 1.0f);
    EXPECT_NE (e.object, nullptr);
    EXPECT_EQ (e.user, nullptr);
    EXPECT_NE (e.dispatcher, nullptr);
    EXPECT_NE (e.process, nullptr);
    EXPECT_NE (e.processReplacing, nullptr);
    EXPECT_NE (e.setParameter, nullptr);
    EXPECT_NE (e.getParameter, nullptr);
    EXPECT_EQ (e.processDoubleReplacing, nullptr);
    EXPECT_EQ (e.initialDelay, 0);
    EXPECT_EQ (e.realQualities, 0);
    EXPECT_EQ (e.offQualities, 0);
    EXPECT_EQ (e.resvd1, 0);
    EXPECT_EQ (e.resvd2, 0);
    EXPECT_TRUE (allZero (e.future, sizeof (e.future)));
}

TEST_F (HostIdentity, MainAsksForTheHostVersionFirstThenWantsMidi)
{
    const auto calls = host.recordedCalls();
    ASSERT_GE (calls.size(), 2u);
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterVersion);
    EXPECT_FALSE (calls[0].hadRecord);
    EXPECT_EQ (calls[1].opcode, vst2::audioMasterWantMidi);
    EXPECT_EQ (calls[1].value, 1);
    EXPECT_TRUE (calls[1].hadRecord);
}

TEST (HostEntry, HostWithoutVersionGetsNoPlugIn)
{
    BuiltPlugin library;
    TestHost host (library, 0);
    EXPECT_EQ (host.effect, nullptr);
    const auto calls = host.recordedCalls();
    ASSERT_EQ (calls.size(), 1u); // the version query, and nothing was built
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterVersion);

    EXPECT_EQ (library.entry() (nullptr), nullptr);
}

TEST_F (HostIdentity, EveryOpcodeHasItsFixedAnswer)
{
    const std::map<int, vst2::VstIntPtr> answers = {
        {vst2::effIdentify, 0x4e764566}, // "NvEf"
        {vst2::effGetChunk, 256},        {vst2::effProcessEvents, 1},
        {vst2::effCanBeAutomated, 1},    {vst2::effGetNumProgramCategories, 1},
        {vst2::effConnectInput, 1},      {vst2::effConnectOutput, 1},
        {vst2::effGetPlugCategory, 2},   {vst2::effSetBlockSizeAndSampleRate, 1},
        {vst2::effGetEffectName, 1},     {vst2::effGetVendorString, 1},
        {vst2::effGetProductString, 1},  {vst2::effGetVendorVersion, 1000},
        {vst2::effGetVstVersion, 2300},  {vst2::effGetCurrentMidiProgram, -1},
    };

    for (int opcode = 0; opcode <= 200; ++opcode)
    {
        // The size query answers its rectangle's address and opening needs a host window: both
        // are tested in a real window (HostEditorWindowTest). Closing and idling answer 0 here.
        if (opcode == vst2::effClose || opcode == vst2::effEditGetRect ||
            opcode == vst2::effEditOpen)
            continue;

        // A zeroed buffer serves every opcode that reads or writes through ptr: an empty text,
        // an empty event list, room for a pointer or a name.
        alignas (8) char buffer[512] = {};
        const auto found = answers.find (opcode);
        const auto expected = found != answers.end() ? found->second : 0;
        EXPECT_EQ (host.dispatch (opcode, 0, 0, buffer, 0.0f), expected) << "opcode " << opcode;
    }

    EXPECT_EQ (host.dispatch (vst2::effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ (host.dispatch (vst2::effCanBeAutomated, 99), 1);
    EXPECT_EQ (host.dispatch (vst2::effGetProgram), 0);
}

TEST_F (HostIdentity, CloseAnswersOne)
{
    EXPECT_EQ (host.effect->dispatcher (host.effect, vst2::effClose, 0, 0, nullptr, 0.0f), 1);
    host.effect = nullptr; // gone: the host must not use it again
}

TEST_F (HostIdentity, IdentityTextsAreCopiedWithTheirTerminatingZero)
{
    EXPECT_EQ (host.text (vst2::effGetEffectName), "Lampwick");
    EXPECT_EQ (host.text (vst2::effGetProductString), "Lampwick");
    EXPECT_EQ (host.text (vst2::effGetVendorString), "Quennell music");
}

TEST_F (HostIdentity, ProgramAndParameterTextsFallBackAndAreCutAtTheirLimits)
{
    EXPECT_EQ (host.text (vst2::effGetProgramName), "Unknown Program");
    EXPECT_EQ (host.text (vst2::effGetParamLabel, 3), "");
    EXPECT_EQ (host.text (vst2::effGetParamDisplay, 0), "Unknown Parameter");
    EXPECT_EQ (host.text (vst2::effGetParamDisplay, 7), "Unknown Parameter");
    EXPECT_EQ (host.text (vst2::effGetParamName, 0), "Unknown "); // at most 8 characters

    // No programs: setting one changes nothing, and the indexed name leaves the buffer alone.
    host.dispatch (vst2::effSetProgram, 0, 0);
    EXPECT_EQ (host.dispatch (vst2::effGetProgram), 0);
    char buffer[32];
    std::memset (buffer, 'x', sizeof (buffer));
    EXPECT_EQ (host.dispatch (vst2::effGetProgramNameIndexed, 0, 0, buffer), 0);
    EXPECT_EQ (buffer[0], 'x');
}

TEST_F (HostIdentity, SpeakerArrangementQueryAnswersNoneInBothPointers)
{
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ (host.dispatch (vst2::effGetSpeakerArrangement, 0, (vst2::VstIntPtr) &input, &output),
               0);
    EXPECT_EQ (input, nullptr);
    EXPECT_EQ (output, nullptr);
}

TEST_F (HostIdentity, CapabilityKeysMatchExactly)
{
    const std::pair<const char*, int> table[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvents", 1},
        {"sendVstEvents", 1},
        {"sendVstMidiEvent", 1},
        {"receiveVstTimeInfo", 1},
        {"conformsToWindowRules", 1},
        {"receiveVstMidiEvent", 0}, // the singular is not a key
        {"ReceiveVstEvents", 0},
        {"sendvstevents", 0},
        {"sendVstEventsX", 0},
        {"sendVstEvent", 0},
        {"conformsToWindowRule", 0},
        {"sendVstTimeInfo", 0},
        {"sendVstMidiEvents", 0},
        {"bypass", 0},
        {"midiProgramNames", 0},
        {"1in1out", 0},
        {"2in2out", 0},
        {"8in8out", 0},
        {"plugAsChannelInsert", 0},
        {"plugAsSend", 0},
        {"mixDryWet", 0},
        {"noRealTime", 0},
        {"multipass", 0},
        {"metapass", 0},
        {"offline", 0},
        {"", 0},
    };

    for (auto [key, answer] : table)
    {
        std::string text (key); // the host's own copy
        EXPECT_EQ (host.dispatch (vst2::effCanDo, 0, 0, text.data()), answer) << key;
    }
    EXPECT_EQ (host.dispatch (vst2::effCanDo, 0, 0, nullptr), 0);
}
