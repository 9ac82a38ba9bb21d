#include "MidiEvents.h"
#include "plugin/Switchyard.h"

#include <gtest/gtest.h>

namespace
{
MidiEvents route (Switchyard& router, const MidiEvents& input)
{
    juce::AudioBuffer<float> audio (2, 0);
    auto buffer = toBuffer (input);
    router.processBlock (audio, buffer);
    return fromBuffer (buffer);
}

MidiEvent noteOn (int channel, int note, int velocity, int position)
{
    return {{(juce::uint8) (0x90 | (channel - 1)), (juce::uint8) note, (juce::uint8) velocity},
            position};
}

struct RoutingCase
{
    const char* name;
    std::vector<std::pair<int, int>> routes; // (input index, output index)
    MidiEvents input;
    MidiEvents expected;
};

void PrintTo (const RoutingCase& c, std::ostream* os)
{
    *os << c.name;
}

class Routing : public ::testing::TestWithParam<RoutingCase>
{
};

TEST_P (Routing, ProducesTheExpectedEvents)
{
    Switchyard router;
    for (auto [in, out] : GetParam().routes)
        router.setRoute (1, in, out);

    EXPECT_EQ (route (router, GetParam().input), GetParam().expected);
}

// Every kind of channel message is routed alike, and its data bytes pass untouched.
const MidiEvents everyChannelMessageOnChannel2{
    {{0x81, 60, 0}, 0},  {{0x91, 60, 100}, 1}, {{0xa1, 60, 30}, 2}, {{0xb1, 7, 90}, 3},
    {{0xb1, 123, 0}, 3}, {{0xc1, 5}, 4},       {{0xd1, 64}, 5},     {{0xe1, 0x00, 0x40}, 6},
};
const MidiEvents everyChannelMessageOnChannel16{
    {{0x8f, 60, 0}, 0},  {{0x9f, 60, 100}, 1}, {{0xaf, 60, 30}, 2}, {{0xbf, 7, 90}, 3},
    {{0xbf, 123, 0}, 3}, {{0xcf, 5}, 4},       {{0xdf, 64}, 5},     {{0xef, 0x00, 0x40}, 6},
};

INSTANTIATE_TEST_SUITE_P (
    Switchyard, Routing,
    ::testing::Values (RoutingCase{"EmptyBlock", {{0, 0}}, {}, {}},
                       RoutingCase{
                           "NewProcessorRoutesNothing",
                           {},
                           {noteOn (1, 60, 100, 0), noteOn (10, 36, 127, 5), {{0xb3, 1, 2}, 9}},
                           {}},
                       RoutingCase{"DiagonalCellPassesItsChannelOnly",
                                   {{0, 0}},
                                   {noteOn (1, 60, 100, 0), noteOn (2, 61, 100, 0),
                                    noteOn (16, 62, 1, 3), noteOn (1, 63, 1, 4)},
                                   {noteOn (1, 60, 100, 0), noteOn (1, 63, 1, 4)}},
                       RoutingCase{"FanOutKeepsPositionAndAscendsByChannel",
                                   {{0, 9}, {0, 3}},
                                   {noteOn (1, 64, 99, 17)},
                                   {noteOn (4, 64, 99, 17), noteOn (10, 64, 99, 17)}},
                       RoutingCase{"EqualPositionsKeepInputOrder",
                                   {{0, 1}, {0, 2}, {1, 5}, {1, 6}},
                                   {noteOn (1, 60, 1, 8), noteOn (2, 70, 2, 8)},
                                   {noteOn (2, 60, 1, 8), noteOn (3, 60, 1, 8),
                                    noteOn (6, 70, 2, 8), noteOn (7, 70, 2, 8)}},
                       RoutingCase{"EveryChannelMessageKindAlike",
                                   {{1, 15}},
                                   everyChannelMessageOnChannel2,
                                   everyChannelMessageOnChannel16},
                       RoutingCase{"SystemMessagesPassOnceInTheirPlace",
                                   {{0, 1}, {0, 2}},
                                   {{{0xf8}, 0},
                                    noteOn (1, 60, 1, 0),
                                    {{0xfa}, 2},
                                    {{0xf2, 0x10, 0x20}, 3},
                                    noteOn (3, 60, 1, 3),
                                    {{0xfc}, 4}},
                                   {{{0xf8}, 0},
                                    noteOn (2, 60, 1, 0),
                                    noteOn (3, 60, 1, 0),
                                    {{0xfa}, 2},
                                    {{0xf2, 0x10, 0x20}, 3},
                                    {{0xfc}, 4}}},
                       RoutingCase{"SystemExclusivePassesWhole",
                                   {},
                                   {{{0xf0, 0x7d, 0x01, 0x02, 0xf7}, 11}},
                                   {{{0xf0, 0x7d, 0x01, 0x02, 0xf7}, 11}}}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (SwitchyardRouting, CellValueIsAnyNonzeroByte)
{
    Switchyard router;
    router.setRoute (7, 2, 5);

    EXPECT_EQ (router.getRoute (2, 5), 7);
    EXPECT_EQ (route (router, {noteOn (3, 60, 100, 2)}), (MidiEvents{noteOn (6, 60, 100, 2)}));
}

TEST (SwitchyardRouting, IndicesOutsideTheMatrixAreIgnored)
{
    Switchyard router;
    router.setRoute (1, 16, 0);
    router.setRoute (1, -1, 0);
    router.setRoute (1, 0, 16);
    router.setRoute (1, 0, -1);

    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ (router.getRoute (r, c), 0) << r << "," << c;

    router.setRoute (1, 15, 15);
    EXPECT_EQ (router.getRoute (16, 0), 0);
    EXPECT_EQ (router.getRoute (0, -1), 0);
    EXPECT_EQ (router.getRoute (15, 16), 0);
    EXPECT_EQ (router.getRoute (15, 15), 1);
}

TEST (SwitchyardRouting, ClearAllRoutesSwitchesEveryCellOff)
{
    Switchyard router;
    for (int r = 0; r < 16; ++r)
        router.setRoute (1, r, 15 - r);

    router.clearAllRoutes();

    EXPECT_TRUE (route (router, {noteOn (1, 60, 1, 0), noteOn (16, 60, 1, 0)}).empty());
}

TEST (SwitchyardRouting, LargeBlockStaysOrderedAcrossRepeatedBlocks)
{
    // Many blocks through one processor: the buffers trade storage each time, and every block
    // must still come back complete and in position order.
    Switchyard router;
    router.setRoute (1, 0, 0);
    router.setRoute (1, 0, 15);

    for (int block = 0; block < 3; ++block)
    {
        MidiEvents input, expected;
        for (int i = 0; i < 500 + block * 100; ++i)
        {
            input.push_back (noteOn (1, i % 128, 1, i / 3));
            expected.push_back (noteOn (1, i % 128, 1, i / 3));
            expected.push_back (noteOn (16, i % 128, 1, i / 3));
        }
        ASSERT_EQ (route (router, input), expected) << "block " << block;
    }
}

} // namespace
