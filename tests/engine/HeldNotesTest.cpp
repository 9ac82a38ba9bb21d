// Releases follow their presses through route changes: no note or pedal is left on at an output
// channel because the routes changed while it was held. With routes that never change, routing is
// what it always was: each event by its row alone.

#include "MidiEvents.h"
#include "plugin/Switchyard.h"

#include <gtest/gtest.h>
#include <random>

namespace
{
using Route = std::pair<int, int>; // (input index, output index)

/** The two ways the routes change under a running processor: the editor rewrites the matrix
    under the callback lock, the host restores a saved state. */
enum class Change
{
    byEditor,
    byRestore
};

void PrintTo (Change change, std::ostream* os)
{
    *os << (change == Change::byEditor ? "by the editor" : "by a restore");
}

struct Router
{
    Switchyard processor;
    Change change;

    void setRoutes (const std::vector<Route>& routes)
    {
        if (change == Change::byEditor)
        {
            const juce::ScopedLock lock (processor.getCallbackLock());
            processor.clearAllRoutes();
            for (auto [in, out] : routes)
                processor.setRoute (1, in, out);
        }
        else
        {
            juce::MemoryBlock state (Switchyard::stateSize, true);
            for (auto [in, out] : routes)
                state[(size_t) routing::cell (in, out)] = 1;
            processor.setStateInformation (state.getData(), (int) state.getSize());
        }
    }

    MidiEvents route (const MidiEvents& input)
    {
        juce::AudioBuffer<float> audio (2, 0);
        auto buffer = toBuffer (input);
        processor.processBlock (audio, buffer);
        return fromBuffer (buffer);
    }
};

MidiEvent message (int status, int channel, int data1, int data2)
{
    return {{(juce::uint8) (status | (channel - 1)), (juce::uint8) data1, (juce::uint8) data2}, 0};
}

/** What the synthesisers on the sixteen output channels hold after hearing the events. */
struct Synths
{
    std::array<std::array<bool, 128>, 16> notes{};
    std::array<std::array<bool, 128>, 16> controllers{}; // pedals down

    void hear (const MidiEvents& events)
    {
        for (const auto& e : events)
        {
            const auto kind = e.bytes[0] & 0xf0, channel = e.bytes[0] & 0x0f;
            if (kind == 0x90 || kind == 0x80)
                notes[(size_t) channel][e.bytes[1]] = kind == 0x90 && e.bytes[2] != 0;
            else if (kind == 0xb0)
                controllers[(size_t) channel][e.bytes[1]] = e.bytes[2] >= 64;
        }
    }

    bool silent() const
    {
        for (const auto* table : {&notes, &controllers})
            for (const auto& channel : *table)
                for (auto on : channel)
                    if (on)
                        return false;
        return true;
    }
};

class ReleasesFollowPresses : public ::testing::TestWithParam<Change>
{
protected:
    Router router{{}, GetParam()};
};

struct HeldCase
{
    const char* name;
    MidiEvent press, release;
};
} // namespace

TEST_P (ReleasesFollowPresses, ReleaseGoesWhereItsPressWentAndWhereTheRoutesSendItNow)
{
    const HeldCase cases[] = {
        {"note-off", message (0x90, 1, 60, 100), message (0x80, 1, 60, 64)},
        {"note-on at velocity 0", message (0x90, 1, 60, 100), message (0x90, 1, 60, 0)},
        {"sustain", message (0xb0, 1, 64, 127), message (0xb0, 1, 64, 0)},
        {"sostenuto", message (0xb0, 1, 66, 64), message (0xb0, 1, 66, 63)},
        {"soft", message (0xb0, 1, 67, 100), message (0xb0, 1, 67, 10)},
    };
    const auto on = [] (MidiEvent e, int channel)
    {
        e.bytes[0] = (juce::uint8) ((e.bytes[0] & 0xf0) | (channel - 1));
        return e;
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        router.setRoutes ({{0, 3}});
        EXPECT_EQ (router.route ({c.press}), (MidiEvents{on (c.press, 4)}));

        router.setRoutes ({{0, 5}, {0, 1}});
        EXPECT_EQ (router.route ({c.release}),
                   (MidiEvents{on (c.release, 2), on (c.release, 4), on (c.release, 6)}));

        // Released: the next release follows the routes alone, and with none it goes nowhere.
        EXPECT_EQ (router.route ({c.release}), (MidiEvents{on (c.release, 2), on (c.release, 6)}));
        router.route ({c.press});
        router.setRoutes ({});
        EXPECT_EQ (router.route ({c.release}), (MidiEvents{on (c.release, 2), on (c.release, 6)}));
        EXPECT_TRUE (router.route ({c.release}).empty());
    }
}

TEST_P (ReleasesFollowPresses, AKeyPressedTwiceIsReleasedWhereverEitherPressWent)
{
    router.setRoutes ({{2, 3}});
    EXPECT_EQ (router.route ({message (0x90, 3, 60, 100)}),
               (MidiEvents{message (0x90, 4, 60, 100)}));
    router.setRoutes ({{2, 7}});
    EXPECT_EQ (router.route ({message (0x90, 3, 60, 90)}), (MidiEvents{message (0x90, 8, 60, 90)}));
    router.setRoutes ({{2, 0}});

    EXPECT_EQ (
        router.route ({message (0x80, 3, 60, 0)}),
        (MidiEvents{message (0x80, 1, 60, 0), message (0x80, 4, 60, 0), message (0x80, 8, 60, 0)}));

    // Another key, and the same key on another input channel, were never held there.
    EXPECT_EQ (router.route ({message (0x80, 3, 61, 0), message (0x80, 4, 60, 0)}),
               (MidiEvents{message (0x80, 1, 61, 0)}));
}

TEST_P (ReleasesFollowPresses, NothingIsLeftOnAfterAnyRunOfPressesReleasesAndRouteChanges)
{
    std::mt19937 random (GetParam() == Change::byEditor ? 1 : 2);
    const auto pick = [&] (int n) { return (int) (random() % (unsigned) n); };
    const int pedals[] = {64, 66, 67};
    Synths synths;

    for (int step = 0; step < 20000; ++step)
    {
        if (pick (50) == 0)
        {
            std::vector<Route> routes;
            for (int i = pick (24); --i >= 0;)
                routes.emplace_back (pick (4), pick (16));
            router.setRoutes (routes);
            continue;
        }

        const auto channel = 1 + pick (4);
        MidiEvents block;
        for (int i = pick (4); --i >= 0;)
        {
            const auto note = 48 + pick (8);
            switch (pick (5))
            {
            case 0:
                block.push_back (message (0x90, channel, note, 1 + pick (127)));
                break;
            case 1:
                block.push_back (message (0x80, channel, note, pick (128)));
                break;
            case 2:
                block.push_back (message (0x90, channel, note, 0));
                break;
            case 3:
                block.push_back (message (0xb0, channel, pedals[pick (3)], pick (128)));
                break;
            default:
                block.push_back (message (0xe0, channel, 0, pick (128)));
                break;
            }
        }
        synths.hear (router.route (block));
    }

    // Every key and pedal of every input channel let go, whatever the routes are by now.
    MidiEvents letGo;
    for (int channel = 1; channel <= 4; ++channel)
    {
        for (int note = 48; note < 56; ++note)
            letGo.push_back (message (0x80, channel, note, 0));
        for (auto pedal : pedals)
            letGo.push_back (message (0xb0, channel, pedal, 0));
    }
    synths.hear (router.route (letGo));

    EXPECT_TRUE (synths.silent());
}

INSTANTIATE_TEST_SUITE_P (Switchyard, ReleasesFollowPresses,
                          ::testing::Values (Change::byEditor, Change::byRestore),
                          [] (const auto& info)
                          { return info.param == Change::byEditor ? "ByEditor" : "ByRestore"; });

// With routes that never change, every event is routed by its row alone, byte for byte.
TEST (HeldNotesWithFixedRoutes, RoutingIsByTheRowAlone)
{
    std::mt19937 random (3);
    const auto pick = [&] (int n) { return (int) (random() % (unsigned) n); };
    Router router{{}, Change::byRestore};
    std::vector<Route> routes;
    for (int i = 0; i < 40; ++i)
        routes.emplace_back (pick (16), pick (16));
    router.setRoutes (routes);

    for (int block = 0; block < 500; ++block)
    {
        MidiEvents input, expected;
        for (int i = pick (32); --i >= 0;)
        {
            const int kinds[] = {0x80, 0x90, 0xb0, 0xc0, 0xe0};
            auto e = message (kinds[pick (5)], 1 + pick (16), pick (4) == 0 ? 64 : pick (128),
                              pick (2) == 0 ? 0 : pick (128));
            e.position = i;
            if ((e.bytes[0] & 0xf0) == 0xc0)
                e.bytes.pop_back();
            input.insert (input.begin(), e);
        }
        for (const auto& e : input)
            for (int out = 0; out < 16; ++out)
                if (std::find (routes.begin(), routes.end(), Route (e.bytes[0] & 0x0f, out)) !=
                    routes.end())
                {
                    auto copy = e;
                    copy.bytes[0] = (juce::uint8) ((e.bytes[0] & 0xf0) | out);
                    expected.push_back (copy);
                }

        ASSERT_EQ (router.route (input), expected) << "block " << block;
    }
}
