// Saving and restoring the routing through the chunk opcodes, as a host does with its project.

#include "PluginHost.h"

#include <gtest/gtest.h>

namespace
{
class HostState : public ::testing::Test
{
protected:
    BuiltPlugin library;
    TestHost host{library};

    void SetUp() override { ASSERT_NE (host.effect, nullptr) << library.error(); }
};
} // namespace

TEST_F (HostState, NewInstanceSavesAnEmptyMatrixForBankAndProgramAlike)
{
    EXPECT_EQ (host.getChunk (0), std::vector<std::uint8_t> (256, 0));
    EXPECT_EQ (host.getChunk (1), std::vector<std::uint8_t> (256, 0));
}

TEST_F (HostState, RestoredStateIsSavedAgainByteForByte)
{
    std::vector<std::uint8_t> state (256);
    for (size_t i = 0; i < state.size(); ++i)
        state[i] = (std::uint8_t) (i % 3 == 0 ? i : 0); // nonzero values other than 1 survive

    EXPECT_EQ (host.dispatch (vst2::effSetChunk, 1, (vst2::VstIntPtr) state.size(), state.data()),
               0);
    EXPECT_EQ (host.getChunk (0), state);
    EXPECT_EQ (host.getChunk (1), state);

    // Each save reads the current state again.
    host.setRoutes ({{2, 5}});
    EXPECT_EQ (host.getChunk (0), stateWith ({{2, 5}}));
}

TEST_F (HostState, DamagedOrMissingStateChangesNothingAndStillAnswersZero)
{
    host.setRoutes ({{0, 3}});
    const auto saved = host.getChunk();
    std::vector<std::uint8_t> shortBlock (255, 1);

    EXPECT_EQ (host.dispatch (vst2::effSetChunk, 0, (vst2::VstIntPtr) shortBlock.size(),
                              shortBlock.data()),
               0);
    EXPECT_EQ (host.dispatch (vst2::effSetChunk, 0, 0, shortBlock.data()), 0);
    EXPECT_EQ (host.dispatch (vst2::effSetChunk, 0, -5, shortBlock.data()), 0);
    EXPECT_EQ (host.dispatch (vst2::effSetChunk, 0, 256, nullptr), 0);
    EXPECT_EQ (host.getChunk(), saved);
}

TEST_F (HostState, SavedBytesStayValidUntilTheNextChunkCall)
{
    host.setRoutes ({{1, 1}, {15, 0}});
    void* data = nullptr;
    ASSERT_EQ (host.dispatch (vst2::effGetChunk, 0, 0, &data), 256);

    // Routing, other opcodes and a change of state in between leave the handed-out bytes alone.
    host.sendEvents ({midiEvent ({0x91, 60, 100}, 0)});
    host.processReplacing (64);
    host.text (vst2::effGetEffectName);

    const auto* bytes = static_cast<const std::uint8_t*> (data);
    EXPECT_EQ (std::vector<std::uint8_t> (bytes, bytes + 256), stateWith ({{1, 1}, {15, 0}}));
}

TEST_F (HostState, RestoredRoutingRoutesTheNextBlock)
{
    host.resume();
    host.setRoutes ({{0, 3}, {0, 9}});
    host.sendEvents ({midiEvent ({0x90, 64, 90}, 17)});
    host.processReplacing (128);

    const auto sent = host.takeSentEvents();
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_EQ (sent[0].bytes (3), (std::vector<std::uint8_t>{0x93, 64, 90}));
    EXPECT_EQ (sent[1].bytes (3), (std::vector<std::uint8_t>{0x99, 64, 90}));
}
