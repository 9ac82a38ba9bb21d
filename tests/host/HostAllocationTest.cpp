// The processing path allocates nothing once it has warmed up: counted across the whole process,
// the plug-in library included, while a host drives it block after block.

#include "AllocationCounter.h"
#include "HostPath.h"

#include <gtest/gtest.h>

TEST (HostAllocations, SteadyStateProcessingAllocatesNothing)
{
    HostPath host;
    ASSERT_TRUE (host.isReady());

    // 64 events fanned out to 4 channels: 256 routed events a block, more than the 96 slots that
    // resume prepares, so the warm-up also covers the growth of every buffer on the path.
    host.setFanOut (4);
    host.setInput (64);
    for (int i = 0; i < 3; ++i)
        host.runBlock();

    const auto before = allocationCount();
    const auto receivedBefore = host.receivedEvents;
    for (int i = 0; i < 1000; ++i)
        host.runBlock();

    EXPECT_EQ (allocationCount() - before, 0u);
    EXPECT_EQ (host.receivedEvents - receivedBefore, 1000 * 256); // the blocks really routed

    // The counter does see the plug-in's own allocations: saving the state fills a new block.
    const auto beforeSave = allocationCount();
    EXPECT_EQ (host.saveState(), 256);
    EXPECT_GT (allocationCount() - beforeSave, 0u);
}
