// The library as a whole: several instances at once, and repeated loading.

#include "PluginHost.h"

#include <gtest/gtest.h>

namespace
{
/** One note on channel 1 through the instance; the channels it came back on. */
std::vector<int> routeOneNote (TestHost& host)
{
    host.sendEvents ({midiEvent ({0x90, 60, 100}, 0)});
    host.processReplacing (64);

    std::vector<int> channels;
    for (const auto& e : host.takeSentEvents())
        channels.push_back (((std::uint8_t) e.record.midiData[0] & 0x0f) + 1);
    return channels;
}
} // namespace

TEST (HostLibrary, InstancesInOneProcessAreIndependent)
{
    BuiltPlugin library;
    TestHost a (library), b (library);
    ASSERT_NE (a.effect, nullptr) << library.error();
    ASSERT_NE (b.effect, nullptr);
    a.resume();
    b.resume();
    EXPECT_NE (a.effect, b.effect);

    a.setRoutes ({{0, 3}});
    b.setRoutes ({{0, 5}, {0, 6}});
    EXPECT_EQ (routeOneNote (a), (std::vector<int>{4}));
    EXPECT_EQ (routeOneNote (b), (std::vector<int>{6, 7}));
    EXPECT_NE (a.getChunk(), b.getChunk());

    // Events given to one never come out of the other.
    a.sendEvents ({midiEvent ({0x90, 1, 1}, 0)});
    b.processReplacing (64);
    EXPECT_TRUE (b.takeSentEvents().empty());

    a.close();
    EXPECT_EQ (routeOneNote (b), (std::vector<int>{6, 7}));
}

TEST (HostLibrary, LoadsAndUnloadsRepeatedly)
{
    // Each cycle loads the library again: the toolkit starts and stops with its instances, and
    // the library itself stays in the process once loaded. Leaks show up under the sanitizer
    // build's leak checker.
    for (int cycle = 0; cycle < 10; ++cycle)
    {
        {
            BuiltPlugin library;
            ASSERT_NE (library.entry(), nullptr) << library.error();
            ASSERT_TRUE (PluginLibrary::isLoaded (LAMPWICK_PATH));
            TestHost first (library), second (library);
            ASSERT_NE (first.effect, nullptr);
            ASSERT_NE (second.effect, nullptr);
            first.resume();
            second.resume();
            first.setRoutes ({{0, (cycle % 16)}});
            EXPECT_EQ (routeOneNote (first), (std::vector<int>{cycle % 16 + 1}))
                << "cycle " << cycle;
            EXPECT_TRUE (routeOneNote (second).empty());
            first.getChunk();
        }
        EXPECT_TRUE (PluginLibrary::isLoaded (LAMPWICK_PATH)) << "cycle " << cycle;
    }
}
