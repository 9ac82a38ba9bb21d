#include "ChangeCounter.h"
#include "MessagePump.h"
#include "plugin/Switchyard.h"

#include <gtest/gtest.h>

namespace
{
std::vector<juce::uint8> stateBlock (std::initializer_list<std::pair<int, juce::uint8>> cells,
                                     size_t size = 256)
{
    std::vector<juce::uint8> block (size, 0);
    for (auto [index, value] : cells)
        block[(size_t) index] = value;
    return block;
}

std::vector<juce::uint8> save (Switchyard& router, juce::MemoryBlock block = {})
{
    router.getStateInformation (block);
    auto* bytes = static_cast<const juce::uint8*> (block.getData());
    return {bytes, bytes + block.getSize()};
}

TEST (SwitchyardState, SavesTheMatrixRowMajorWithoutHeader)
{
    Switchyard router;
    router.setRoute (1, 2, 5);
    EXPECT_EQ (save (router), stateBlock ({{37, 1}}));

    router.setRoute (7, 2, 5);
    router.setRoute (1, 15, 0);
    EXPECT_EQ (save (router), stateBlock ({{37, 7}, {240, 1}}));
}

TEST (SwitchyardState, SavingAppendsAfterWhatTheBlockHolds)
{
    Switchyard router;
    router.setRoute (1, 0, 0);
    const std::vector<juce::uint8> prefix (10, 0xee);

    const auto bytes = save (router, juce::MemoryBlock (prefix.data(), prefix.size()));

    ASSERT_EQ (bytes.size(), 266u);
    EXPECT_EQ (std::vector<juce::uint8> (bytes.begin(), bytes.begin() + 10), prefix);
    EXPECT_EQ (std::vector<juce::uint8> (bytes.begin() + 10, bytes.end()), stateBlock ({{0, 1}}));
}

TEST (SwitchyardState, RestoreTakesTheFirst256BytesAsTheyAreAndSendsOneMessage)
{
    Switchyard router;
    ChangeCounter changes (router);
    auto block = stateBlock ({{0, 1}, {37, 7}, {255, 0xff}}, 300);
    std::fill (block.begin() + 256, block.end(), (juce::uint8) 1);

    router.setStateInformation (block.data(), (int) block.size());
    pumpMessages();

    EXPECT_EQ (changes.count, 1);
    EXPECT_EQ (save (router), std::vector<juce::uint8> (block.begin(), block.begin() + 256));
    EXPECT_EQ (router.getRoute (2, 5), 7);
    EXPECT_EQ (router.getRoute (15, 15), 0xff);
}

TEST (SwitchyardState, RestoresBeforeDeliveryFoldIntoOneMessage)
{
    Switchyard router;
    ChangeCounter changes (router);
    const auto first = stateBlock ({{1, 1}});
    const auto second = stateBlock ({{2, 1}});

    router.setStateInformation (first.data(), 256);
    router.setStateInformation (second.data(), 256);
    pumpMessages();

    EXPECT_EQ (changes.count, 1);
    EXPECT_EQ (save (router), second);
}

TEST (SwitchyardState, DamagedBlocksLeaveTheRoutingAlone)
{
    Switchyard router;
    router.setRoute (1, 3, 4);
    const auto before = save (router);
    ChangeCounter changes (router);
    const auto full = stateBlock ({{0, 1}});

    router.setStateInformation (full.data(), 255);
    router.setStateInformation (full.data(), 0);
    router.setStateInformation (full.data(), -5);
    router.setStateInformation (nullptr, 256);
    pumpMessages();

    EXPECT_EQ (changes.count, 0);
    EXPECT_EQ (save (router), before);
}

TEST (SwitchyardState, RestoredRoutesRoute)
{
    Switchyard router;
    const auto block = stateBlock ({{routing::cell (2, 5), 1}});
    router.setStateInformation (block.data(), 256);

    juce::AudioBuffer<float> audio;
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (3, 60, (juce::uint8) 100), 4);
    router.processBlock (audio, midi);

    ASSERT_EQ (midi.getNumEvents(), 1);
    const auto routed = (*midi.begin()).getMessage();
    EXPECT_EQ (routed.getChannel(), 6);
    EXPECT_EQ (routed.getNoteNumber(), 60);
    EXPECT_EQ ((*midi.begin()).samplePosition, 4);
}
} // namespace
