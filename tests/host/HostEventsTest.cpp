// The processing path as a host drives it: events in through effProcessEvents, a processing call,
// routed events back through audioMasterProcessEvents within the same call.

#include "PluginHost.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

class HostEvents : public ::testing::Test
{
protected:
    BuiltPlugin library;
    TestHost host{library};

    void SetUp() override
    {
        ASSERT_NE (host.effect, nullptr) << library.error();
        host.resume();
    }

    /** What came back, as (status, data1, position) for three-byte messages. */
    std::vector<std::tuple<int, int, int>> received()
    {
        std::vector<std::tuple<int, int, int>> result;
        for (const auto& e : host.takeSentEvents())
            result.emplace_back ((std::uint8_t) e.record.midiData[0],
                                 (std::uint8_t) e.record.midiData[1], e.record.deltaFrames);
        return result;
    }

    size_t numSends() const { return host.callsWith (vst2::audioMasterProcessEvents).size(); }
};
} // namespace

TEST_F (HostEvents, NoteIsCopiedToEveryRoutedChannelAtItsPosition)
{
    host.setRoutes ({{0, 3}, {0, 9}});
    host.sendEvents ({midiEvent ({0x90, 60, 100}, 17)});
    host.processReplacing (256);

    const auto calls = host.callsWith (vst2::audioMasterProcessEvents);
    ASSERT_EQ (calls.size(), 1u);
    ASSERT_EQ (calls[0].events.size(), 2u);

    const int expectedStatus[] = {0x93, 0x99};
    for (size_t i = 0; i < 2; ++i)
    {
        const auto& r = calls[0].events[i].record;
        EXPECT_EQ (calls[0].events[i].bytes (3),
                   (Bytes{(std::uint8_t) expectedStatus[i], 60, 100}));
        EXPECT_EQ (r.deltaFrames, 17);
        EXPECT_EQ (r.type, vst2::kVstMidiType);
        EXPECT_EQ (r.byteSize, 24);
        EXPECT_EQ (r.flags, 0);
        EXPECT_EQ (r.noteLength, 0);
        EXPECT_EQ (r.noteOffset, 0);
        EXPECT_EQ (r.detune, 0);
        EXPECT_EQ (r.noteOffVelocity, 0);
    }
}

// Every byte of a record is written each time: nothing of an earlier, longer message, nor what the
// host wrote into the records it was given, reaches the host again.
TEST_F (HostEvents, RecordsCarryNothingFromEarlierEvents)
{
    host.setRoutes ({{0, 0}});
    host.scribblesOnEvents = true;
    const Bytes blocks[] = {
        {0x90, 0x3c, 0x64}, {0xc0, 0x05}, {0xf0, 0x01, 0x02, 0x03}, {0x90, 0x3d, 0x64}};

    for (const auto& bytes : blocks)
    {
        auto event = midiEvent ({0, 0, 0, 0}, 5);
        std::memcpy (event.midiData, bytes.data(), bytes.size());
        host.sendEvents ({event});
        host.processReplacing (64);

        const auto sent = host.takeSentEvents();
        ASSERT_EQ (sent.size(), 1u);
        auto expected = bytes;
        expected.resize (4, 0);
        EXPECT_EQ (sent[0].bytes (4), expected);

        vst2::VstMidiEvent clean{};
        std::memcpy (clean.midiData, expected.data(), 4);
        clean.type = vst2::kVstMidiType;
        clean.byteSize = 24;
        clean.deltaFrames = 5;
        EXPECT_EQ (std::memcmp (&sent[0].record, &clean, sizeof (clean)), 0);
    }
}

// The host restores another routing while a key and the sustain pedal are down: both are let go
// where they were pressed.
TEST_F (HostEvents, ReleasesFollowTheirPressesThroughARestore)
{
    host.setRoutes ({{0, 3}});
    host.sendEvents ({midiEvent ({0x90, 60, 100}, 0), midiEvent ({0xb0, 64, 127}, 1)});
    host.processReplacing (64);
    host.setRoutes ({{0, 7}});
    host.sendEvents ({midiEvent ({0x80, 60, 0}, 2), midiEvent ({0xb0, 64, 0}, 3)});
    host.processReplacing (64);

    using E = std::tuple<int, int, int>;
    EXPECT_EQ (received(), (std::vector<E>{{0x93, 60, 0},
                                           {0xb3, 64, 1},
                                           {0x83, 60, 2},
                                           {0x87, 60, 2},
                                           {0xb3, 64, 3},
                                           {0xb7, 64, 3}}));
}

// However the host orders its list, the events come out by position, in arrival order within one
// position, and taking in a list ten times longer costs about ten times as much, not a hundred.
// Events in falling order of position come out in order; how the cost grows with their number
// is measured in bench/ (BM_HostPath, reversed).
TEST_F (HostEvents, EventsInAnyOrderComeOutInPositionOrder)
{
    host.setRoutes ({{0, 0}});
    constexpr int n = 1000;
    std::vector<vst2::VstMidiEvent> list;
    for (int i = 0; i < n; ++i) // two at each position, in falling order of position
        list.push_back (midiEvent ({0x90, (std::uint8_t) (i % 128), 100}, (n - 1 - i) / 2));

    host.sendEvents (list);
    host.processReplacing (64);
    const auto sent = host.takeSentEvents();
    ASSERT_EQ (sent.size(), list.size());
    for (size_t k = 0; k < sent.size(); ++k)
    {
        // Position p holds events n-1-p and n-2-p, in that order of arrival.
        const auto arrival = list.size() - 1 - (k ^ 1);
        EXPECT_EQ (sent[k].record.deltaFrames, list[arrival].deltaFrames) << k;
        EXPECT_EQ (sent[k].record.midiData[1], list[arrival].midiData[1]) << k;
    }
}

TEST_F (HostEvents, HostIsNotCalledWhenABlockYieldsNothing)
{
    host.processReplacing (64);                         // nothing in
    host.sendEvents ({midiEvent ({0x92, 60, 100}, 0)}); // channel 3: no route
    host.process (64);
    EXPECT_EQ (numSends(), 0u);
}

TEST_F (HostEvents, EventsOfSeveralCallsAreMergedByPositionInArrivalOrder)
{
    host.setRoutes ({{0, 0}, {1, 1}});
    host.sendEvents ({midiEvent ({0x90, 1, 1}, 40), midiEvent ({0x90, 2, 1}, 10)});
    host.sendEvents ({midiEvent ({0x91, 3, 1}, 10), midiEvent ({0x91, 4, 1}, 0)});
    host.sendEvents ({midiEvent ({0x91, 5, 1}, 40), midiEvent ({0x91, 6, 1}, 41)});
    host.processReplacing (64);

    using E = std::tuple<int, int, int>;
    EXPECT_EQ (received(), (std::vector<E>{{0x91, 4, 0},
                                           {0x90, 2, 10},
                                           {0x91, 3, 10},
                                           {0x90, 1, 40},
                                           {0x91, 5, 40},
                                           {0x91, 6, 41}}));
    EXPECT_EQ (numSends(), 1u);
}

TEST_F (HostEvents, NonMidiEventsAndDataBytesAreDropped)
{
    host.setRoutes ({{0, 1}});
    host.sendEvents ({
        midiEvent ({0xf0, 0x7e, 0x7f, 0xf7}, 0,
                   vst2::kVstSysExType),                      // would pass as a system message
        midiEvent ({0x45, 0x10, 0x20}, 1),                    // a data byte: no message
        midiEvent ({0x90, 61, 80}, 2), midiEvent ({0xf8}, 3), // clock: a system message passes once
    });
    host.processReplacing (64);

    using E = std::tuple<int, int, int>;
    const auto events = received();
    ASSERT_EQ (events.size(), 2u);
    EXPECT_EQ (events[0], (E{0x91, 61, 2}));
    EXPECT_EQ (std::get<0> (events[1]), 0xf8);
    EXPECT_EQ (std::get<2> (events[1]), 3);
}

TEST_F (HostEvents, PositionsAreKeptExactlyEvenBeyondTheBlock)
{
    host.setRoutes ({{4, 4}});
    host.sendEvents ({midiEvent ({0x84, 70, 0}, 5000), midiEvent ({0x94, 70, 9}, 63)});
    host.processReplacing (64);

    using E = std::tuple<int, int, int>;
    EXPECT_EQ (received(), (std::vector<E>{{0x94, 70, 63}, {0x84, 70, 5000}}));
}

TEST_F (HostEvents, TwoByteMessagesGoBackWithTheirTwoBytes)
{
    host.setRoutes ({{2, 7}});
    host.sendEvents ({midiEvent ({0xc2, 5, 0x55, 0x66}, 3), midiEvent ({0xd2, 99, 0x55, 0x66}, 4)});
    host.processReplacing (64);

    const auto sent = host.takeSentEvents();
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_EQ (sent[0].bytes (2), (Bytes{0xc7, 5}));
    EXPECT_EQ (sent[1].bytes (2), (Bytes{0xd7, 99}));
}

TEST_F (HostEvents, SuspendAndResumeDropPendingEvents)
{
    host.setRoutes ({{0, 0}});

    host.sendEvents ({midiEvent ({0x90, 1, 1}, 0)});
    host.dispatch (vst2::effMainsChanged, 0, 0);
    host.dispatch (vst2::effMainsChanged, 0, 1);
    host.sendEvents ({midiEvent ({0x90, 2, 1}, 0)});
    host.dispatch (vst2::effMainsChanged, 0, 1); // a second resume drops again
    host.processReplacing (64);
    EXPECT_EQ (numSends(), 0u);

    host.sendEvents ({midiEvent ({0x90, 3, 1}, 0)});
    host.processReplacing (64);
    using E = std::tuple<int, int, int>;
    EXPECT_EQ (received(), (std::vector<E>{{0x90, 3, 0}}));
}

TEST (HostEventsBeforeResume, FirstProcessingCallResumesAndDropsEarlierEvents)
{
    BuiltPlugin library;
    TestHost host (library);
    ASSERT_NE (host.effect, nullptr) << library.error();
    host.setRoutes ({{0, 0}});
    const auto wantMidiBefore = host.callsWith (vst2::audioMasterWantMidi).size();

    host.sendEvents ({midiEvent ({0x90, 1, 1}, 0)});
    host.processReplacing (64);
    EXPECT_TRUE (host.takeSentEvents().empty());
    EXPECT_EQ (host.callsWith (vst2::audioMasterWantMidi).size(), wantMidiBefore + 1);

    host.sendEvents ({midiEvent ({0x90, 2, 1}, 0)});
    host.processReplacing (64);
    EXPECT_EQ (host.takeSentEvents().size(), 1u);
    EXPECT_EQ (host.callsWith (vst2::audioMasterWantMidi).size(), wantMidiBefore + 1);
}

TEST_F (HostEvents, AudioIsNeitherReadNorWrittenInEitherMode)
{
    host.setRoutes ({{0, 0}});
    for (int i = 0; i < 2; ++i)
    {
        host.sendEvents ({midiEvent ({0x90, 60, 100}, 0)});
        if (i == 0)
            host.processReplacing (TestHost::maxFrames);
        else
            host.process (TestHost::maxFrames);

        for (const auto& channel : host.audio)
            EXPECT_TRUE (std::all_of (channel.begin(), channel.end(),
                                      [] (float s) { return s == TestHost::sentinel; }));
    }
    EXPECT_EQ (numSends(), 2u);
}

TEST_F (HostEvents, LargeBlocksGrowTheOutgoingListAndKeepItsRecords)
{
    host.setRoutes ({{0, 0}});
    auto block = [this] (int count)
    {
        std::vector<vst2::VstMidiEvent> in;
        for (int i = 0; i < count; ++i)
            in.push_back (midiEvent ({0x90, (std::uint8_t) (i % 128), 1}, i));
        host.sendEvents (in);
        host.processReplacing (256);
        return host.takeSentEvents();
    };

    const auto small = block (10);
    const auto large = block (97);
    const auto later = block (40);
    ASSERT_EQ (small.size(), 10u);
    ASSERT_EQ (large.size(), 97u);
    ASSERT_EQ (later.size(), 40u);

    for (int i = 0; i < 97; ++i)
        EXPECT_EQ (large[(size_t) i].record.deltaFrames, i);

    // The records are allocated once and reused: growth keeps the earlier ones in their slots.
    for (size_t i = 0; i < small.size(); ++i)
        EXPECT_EQ (small[i].address, large[i].address);
    for (size_t i = 0; i < later.size(); ++i)
        EXPECT_EQ (later[i].address, large[i].address);
}
