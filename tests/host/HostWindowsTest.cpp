#include "host/HostWindows.h"
#include "InMemoryWindowTree.h"

#include <gtest/gtest.h>

namespace
{
using Handle = NativeWindowLayer::Handle;

constexpr int editorWidth = 600, editorHeight = 450;
constexpr int newWidth = 640, newHeight = 480;

struct HostWindow
{
    const char* className;
    int width, height;
};

/** The editor's window (index 0) inside the given host windows, innermost first; the last one
    is top-level. The frame thickness is 3, so a border of 6 is exactly a fixed frame. */
struct HostChain
{
    explicit HostChain (std::initializer_list<HostWindow> hostWindows)
    {
        windows.push_back (tree.add ("JuceWindow", {0, 0, editorWidth, editorHeight}));

        for (auto& w : hostWindows)
        {
            auto* window = tree.add (w.className, {0, 0, w.width, w.height});
            tree.setParent (windows.back(), window);
            windows.push_back (window);
        }
    }

    std::vector<InMemoryWindowTree::Resize>
    resizesAt (std::initializer_list<std::tuple<int, int, int>> expected) const
    {
        std::vector<InMemoryWindowTree::Resize> result;

        for (auto [index, width, height] : expected)
            result.push_back ({windows[(size_t) index], width, height});

        return result;
    }

    InMemoryWindowTree tree;
    std::vector<Handle> windows;
};

bool hostRefuses (int, int)
{
    return false;
}

struct WalkCase
{
    const char* name;
    std::initializer_list<HostWindow> hostWindows;
    std::initializer_list<std::tuple<int, int, int>> fitResizes; // window index, width, height
    int frameIndex;
};

// An editor of 600 x 450 grows to 640 x 480 inside these host windows.
const WalkCase walkCases[] = {
    {"editor window without parent", {}, {{0, 640, 480}}, 0},
    {"every window grows by its border up to the top-level window",
     {{"View", 600, 450}, {"Frame", 616, 489}},
     {{0, 640, 480}, {1, 640, 480}, {2, 656, 519}},
     2},
    {"a border of exactly 100 still grows",
     {{"View", 700, 550}},
     {{0, 640, 480}, {1, 740, 580}},
     1},
    {"stops below an MDI client area",
     {{"View", 600, 450}, {"MdiChild", 616, 489}, {"MDIClient", 1000, 800}, {"Main", 1016, 900}},
     {{0, 640, 480}, {1, 640, 480}, {2, 656, 519}},
     3},
    {"the MDI client name in any letter case",
     {{"View", 600, 450}, {"mdiCLIENT", 610, 460}, {"Main", 620, 470}},
     {{0, 640, 480}, {1, 640, 480}},
     2},
    {"a name longer than the class-name buffer is not the MDI client",
     {{"View", 600, 450}, {"MDIClient_with_a_very_long_class_name", 610, 460}},
     {{0, 640, 480}, {1, 640, 480}, {2, 650, 490}},
     2},
    {"stops after a window framed by exactly two fixed frames",
     {{"View", 600, 450}, {"Dialog", 606, 476}, {"Main", 900, 700}},
     {{0, 640, 480}, {1, 640, 480}, {2, 646, 506}},
     2},
    {"a wider border leaves a window more than 100 larger alone",
     {{"View", 600, 450}, {"Main", 701, 500}},
     {{0, 640, 480}, {1, 640, 480}},
     1},
    {"a taller border leaves a window more than 100 larger alone",
     {{"View", 600, 450}, {"Main", 610, 551}},
     {{0, 640, 480}, {1, 640, 480}},
     1},
    {"fitting tests the fixed frame first, the frame search the size limit first",
     {{"View", 600, 450}, {"Dialog", 606, 600}, {"Main", 900, 700}},
     {{0, 640, 480}, {1, 640, 480}, {2, 646, 630}},
     1},
};
} // namespace

TEST (HostWindows, FittingAndFrameSearchWalkTheHostWindows)
{
    for (auto& c : walkCases)
    {
        SCOPED_TRACE (c.name);

        HostChain fitting (c.hostWindows);
        HostWindows::fitToEditor (fitting.tree, fitting.windows[0], newWidth, newHeight,
                                  hostRefuses);
        EXPECT_EQ (fitting.tree.resizes, fitting.resizesAt (c.fitResizes));
        EXPECT_TRUE (fitting.tree.raised.empty());

        HostChain raising (c.hostWindows);
        EXPECT_EQ (HostWindows::findFrame (raising.tree, raising.windows[0]),
                   raising.windows[(size_t) c.frameIndex]);

        HostWindows::bringFrameToFront (raising.tree, raising.windows[0]);
        EXPECT_EQ (raising.tree.raised,
                   std::vector<Handle>{raising.windows[(size_t) c.frameIndex]});
        EXPECT_TRUE (raising.tree.resizes.empty());

        // A frame on top already is not raised again.
        raising.tree.raised.clear();
        raising.tree.windowOnTop = raising.windows[(size_t) c.frameIndex];
        HostWindows::bringFrameToFront (raising.tree, raising.windows[0]);
        EXPECT_TRUE (raising.tree.raised.empty());
    }
}

TEST (HostWindows, HostThatResizesOnRequestIsAskedAndItsWindowsLeftAlone)
{
    HostChain chain ({{"View", 600, 450}, {"Frame", 616, 489}});
    std::vector<std::pair<int, int>> requests;

    HostWindows::fitToEditor (chain.tree, chain.windows[0], newWidth, newHeight,
                              [&] (int w, int h)
                              {
                                  requests.push_back ({w, h});
                                  return true;
                              });

    EXPECT_EQ (requests, (std::vector<std::pair<int, int>>{{newWidth, newHeight}}));
    EXPECT_TRUE (chain.tree.resizes.empty());
}

TEST (HostWindows, HostIsAskedEvenWithoutANativeWindowButNothingIsResized)
{
    HostChain chain ({{"View", 600, 450}});
    int requests = 0;

    HostWindows::fitToEditor (chain.tree, nullptr, newWidth, newHeight,
                              [&] (int, int)
                              {
                                  ++requests;
                                  return false;
                              });
    HostWindows::bringFrameToFront (chain.tree, nullptr);

    EXPECT_EQ (requests, 1);
    EXPECT_TRUE (chain.tree.resizes.empty());
    EXPECT_TRUE (chain.tree.raised.empty());
    EXPECT_EQ (HostWindows::findFrame (chain.tree, nullptr), nullptr);
}

TEST (HostWindows, WalksEndAtAWindowWhoseParentHasGone)
{
    HostChain chain ({{"View", 600, 450}, {"Frame", 616, 489}});
    chain.tree.remove (chain.windows[2]);

    HostWindows::fitToEditor (chain.tree, chain.windows[0], newWidth, newHeight, hostRefuses);

    EXPECT_EQ (chain.tree.resizes, chain.resizesAt ({{0, 640, 480}, {1, 640, 480}}));
    EXPECT_EQ (HostWindows::findFrame (chain.tree, chain.windows[0]), chain.windows[1]);
}

TEST (HostWindows, EmbeddingMakesThePopUpAChildOfTheHostWindowKeepingOtherStyleBits)
{
    constexpr juce::uint32 visible = 0x10000000u, clipChildren = 0x02000000u;

    InMemoryWindowTree tree;
    auto* host = tree.add ("HostView", {0, 0, 600, 450});
    auto* editor = tree.add ("JuceWindow", {0, 0, 600, 450}, nullptr,
                             NativeWindowLayer::popupStyle | visible | clipChildren);

    HostWindows::embed (tree, editor, host);

    EXPECT_EQ (tree.getParent (editor), host);
    EXPECT_EQ (tree.getStyle (editor), NativeWindowLayer::childStyle | visible | clipChildren);
}
