// 32-bit Windows hosts may call a plug-in on a stack aligned to only 4 bytes (the platform's
// convention), while GCC's code assumes 16 wherever it keeps SSE values on the stack. This file is
// compiled as such a host (-mpreferred-stack-boundary=2) and calls every entry the processing
// path uses with the stack at each of the four 4-byte offsets from a 16-byte boundary.
//
// Misaligned SSE accesses fault on a processor but not under every emulator, so the test also
// looks at the alignment itself: the plug-in calls back into the host from deep in the processing
// path, and a plug-in that realigns its stack makes those calls from the same offset whatever the
// host's offset was.

#include "PluginHost.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <set>

namespace
{
std::set<unsigned> offsetsSeen, offsetsOfPluginCalls;
std::vector<vst2::VstMidiEvent> received;

/** Where the caller's call left the stack, relative to a 16-byte boundary. */
__attribute__ ((noinline)) unsigned stackOffset()
{
    return (unsigned) ((std::uintptr_t) __builtin_frame_address (0) % 16);
}

vst2::VstIntPtr VSTCALLBACK hostCallback (vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32,
                                          vst2::VstIntPtr, void* ptr, float)
{
    if (opcode == vst2::audioMasterProcessEvents && ptr != nullptr)
    {
        offsetsOfPluginCalls.insert (stackOffset());
        const auto* list = static_cast<const vst2::VstEvents*> (ptr);
        for (int i = 0; i < list->numEvents; ++i)
            received.push_back (*reinterpret_cast<const vst2::VstMidiEvent*> (list->events[i]));
    }
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

/** Calls f with the stack pointer moved down by padding bytes first. */
template <typename Function>
__attribute__ ((noinline)) auto withStackPadding (unsigned padding, Function f)
{
    auto* volatile pad = static_cast<char*> (alloca (padding));
    pad[0] = 0;
    offsetsSeen.insert (stackOffset());
    return f();
}
} // namespace

TEST (StackAlignment, EntriesWorkOnAStackAlignedToFourBytes)
{
    BuiltPlugin library;
    ASSERT_NE (library.entry(), nullptr) << library.error();

    for (unsigned padding = 4; padding <= 16; padding += 4)
    {
        SCOPED_TRACE (padding);
        received.clear();

        auto* effect = withStackPadding (padding, [&] { return library.entry() (hostCallback); });
        ASSERT_NE (effect, nullptr);
        const auto dispatch = [&] (vst2::VstInt32 opcode, vst2::VstIntPtr value, void* ptr)
        {
            return withStackPadding (
                padding, [&] { return effect->dispatcher (effect, opcode, 0, value, ptr, 0.0f); });
        };

        auto routes = stateWith ({{0, 3}, {0, 9}});
        dispatch (vst2::effOpen, 0, nullptr);
        dispatch (vst2::effSetChunk, (vst2::VstIntPtr) routes.size(), routes.data());
        dispatch (vst2::effMainsChanged, 1, nullptr);

        vst2::ERect* rect = nullptr;
        dispatch (vst2::effEditGetRect, 0, &rect); // builds the whole editor, off screen
        ASSERT_NE (rect, nullptr);
        EXPECT_EQ (rect->right, 600);

        auto note = midiEvent ({0x90, 60, 100}, 17);
        vst2::VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<vst2::VstEvent*> (&note);
        dispatch (vst2::effProcessEvents, 0, &list);

        std::vector<float> left (64, 0.5f), right (64, 0.5f);
        float* channels[] = {left.data(), right.data()};
        withStackPadding (padding,
                          [&] { effect->processReplacing (effect, channels, channels, 64); });

        ASSERT_EQ (received.size(), 2u);
        EXPECT_EQ ((unsigned char) received[0].midiData[0], 0x93);
        EXPECT_EQ ((unsigned char) received[1].midiData[0], 0x99);
        EXPECT_EQ (received[1].deltaFrames, 17);
        EXPECT_EQ (left[63], 0.5f);

        void* chunk = nullptr;
        EXPECT_EQ (dispatch (vst2::effGetChunk, 0, &chunk), 256);
        ASSERT_NE (chunk, nullptr);
        EXPECT_EQ (std::memcmp (chunk, routes.data(), 256), 0);

        dispatch (vst2::effClose, 0, nullptr);
    }

    // The host really called in at every offset, the 4-byte-only ones among them; the plug-in
    // answered from one offset only.
    EXPECT_EQ (offsetsSeen.size(), 4u);
    EXPECT_EQ (offsetsOfPluginCalls.size(), 1u);
}
