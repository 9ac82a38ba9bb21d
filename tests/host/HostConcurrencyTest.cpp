// The plug-in as hosts use it from several threads at once: one thread processes blocks while
// others save and restore the routing, each copying what effGetChunk handed out at its own pace.

#include "PluginHost.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace
{
constexpr int rounds = 2000;

const std::vector<std::uint8_t> oneRoute = stateWith ({{0, 3}});
const std::vector<std::uint8_t> twoRoutes = stateWith ({{0, 5}, {0, 6}});

/** The output channels of each block the host received, one list per block. */
std::vector<std::vector<int>> channelsPerBlock (const TestHost& host)
{
    std::vector<std::vector<int>> blocks;
    for (const auto& call : host.callsWith (vst2::audioMasterProcessEvents))
    {
        blocks.emplace_back();
        for (const auto& e : call.events)
            blocks.back().push_back (((std::uint8_t) e.record.midiData[0] & 0x0f) + 1);
    }
    return blocks;
}
} // namespace

TEST (HostConcurrency, HandedOutChunksStayWhileOtherThreadsSaveRestoreAndProcess)
{
    BuiltPlugin library;
    TestHost host (library);
    ASSERT_NE (host.effect, nullptr) << library.error();
    host.dispatch (vst2::effOpen);
    host.resume();
    host.setRoutes ({{0, 3}});

    std::atomic<int> tornCopies{0};
    const auto saveAndCopy = [&]
    {
        for (int i = 0; i < rounds; ++i)
        {
            void* data = nullptr;
            const auto size = host.dispatch (vst2::effGetChunk, i % 2, 0, &data);
            std::this_thread::yield(); // let the others get in between answer and copy
            const auto* bytes = static_cast<const std::uint8_t*> (data);
            const std::vector<std::uint8_t> copy (bytes, bytes + size);
            if (copy != oneRoute && copy != twoRoutes)
                ++tornCopies;
        }
    };
    const auto restore = [&]
    {
        for (int i = 0; i < rounds; ++i)
        {
            auto state = i % 2 == 0 ? twoRoutes : oneRoute;
            host.dispatch (vst2::effSetChunk, 0, (vst2::VstIntPtr) state.size(), state.data());
        }
    };
    const auto process = [&]
    {
        for (int i = 0; i < rounds; ++i)
        {
            host.sendEvents ({midiEvent ({0x90, 60, 100}, 0)});
            host.processReplacing (64);
        }
    };

    std::thread threads[] = {std::thread (saveAndCopy), std::thread (saveAndCopy),
                             std::thread (restore), std::thread (restore)};
    process();
    for (auto& t : threads)
        t.join();

    EXPECT_EQ (tornCopies, 0);

    // Each block was routed wholly by one routing or the other.
    const auto blocks = channelsPerBlock (host);
    EXPECT_EQ (blocks.size(), (size_t) rounds);
    for (const auto& channels : blocks)
        EXPECT_TRUE (channels == std::vector<int>{4} || channels == (std::vector<int>{6, 7}))
            << channels.size() << " events";
}
