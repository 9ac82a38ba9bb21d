#include "host/X11WindowLayer.h"
#include "host/HostWindows.h"

#include <atomic>
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

/* The X11 window layer against real windows on an X server (run under tests/run-under-xvfb).
   The test plays the host: it makes its windows on a connection of its own, as a host would, and
   reads back through that connection what the layer did. */
namespace
{
using Handle = NativeWindowLayer::Handle;

Handle handleOf (::Window window)
{
    return reinterpret_cast<Handle> ((juce::pointer_sized_uint) window);
}

class X11WindowLayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        display = XOpenDisplay (nullptr);
        ASSERT_NE (display, nullptr) << "no X server: run this under tests/run-under-xvfb";
        ASSERT_TRUE (layer.isConnected());
    }

    void TearDown() override
    {
        if (display != nullptr)
        {
            for (auto w : created)
                XDestroyWindow (display, w);

            XCloseDisplay (display);
        }
    }

    ::Window makeWindow (::Window parent, juce::Rectangle<int> bounds, const char* className,
                         bool mapped = true, bool overrideRedirect = false)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = overrideRedirect ? True : False;
        const auto w = XCreateWindow (display, parent != 0 ? parent : DefaultRootWindow (display),
                                      bounds.getX(), bounds.getY(), (unsigned) bounds.getWidth(),
                                      (unsigned) bounds.getHeight(), 0, CopyFromParent, InputOutput,
                                      CopyFromParent, CWOverrideRedirect, &attributes);
        XClassHint hint{const_cast<char*> ("host"), const_cast<char*> (className)};
        XSetClassHint (display, w, &hint);

        if (mapped)
            XMapWindow (display, w);

        XSync (display, False);
        created.insert (created.begin(), w);
        return w;
    }

    ::Window parentOf (::Window w)
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree (display, w, &root, &parent, &children, &count);
        XFree (children);
        return parent;
    }

    ::Window topChildOf (::Window w)
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree (display, w, &root, &parent, &children, &count);
        const auto top = count > 0 ? children[count - 1] : 0;
        XFree (children);
        return top;
    }

    /** Whether a lies above b among the root window's children. */
    bool isAbove (::Window a, ::Window b)
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count);
        const std::vector<::Window> order (children, children + count); // bottom first
        XFree (children);
        return std::find (order.begin(), order.end(), a) > std::find (order.begin(), order.end(), b);
    }

    juce::Rectangle<int> sizeOf (::Window w)
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes (display, w, &attributes);
        return {0, 0, attributes.width, attributes.height};
    }

    /** Waits, briefly, until the window manager has taken a top-level window in. */
    bool waitUntilManaged (::Window w)
    {
        const auto wmState = XInternAtom (display, "WM_STATE", False);

        for (int i = 0; i < 200; ++i)
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty (display, w, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                                &count, &remaining, &data);
            XFree (data);

            if (type != None)
                return true;

            juce::Thread::sleep (10);
        }

        return false;
    }

    ::Display* display = nullptr;
    std::vector<::Window> created;
    X11WindowLayer& layer = X11WindowLayer::getInstance();
};
} // namespace

TEST_F (X11WindowLayerTest, EmbedsAWindowAndReadsTheHostTreeBack)
{
    const auto frame = makeWindow (0, {100, 80, 640, 530}, "HostFrame");
    const auto view = makeWindow (frame, {20, 60, 600, 450}, "HostView");
    const auto editor = makeWindow (0, {0, 0, 600, 450}, "JuceWindow", false);
    ASSERT_TRUE (waitUntilManaged (frame));

    EXPECT_EQ (layer.getStyle (handleOf (editor)), NativeWindowLayer::popupStyle);
    HostWindows::embed (layer, handleOf (editor), handleOf (view));

    EXPECT_EQ (parentOf (editor), view);
    EXPECT_EQ (layer.getParent (handleOf (editor)), handleOf (view));
    EXPECT_EQ (layer.getStyle (handleOf (editor)), NativeWindowLayer::childStyle);
    EXPECT_EQ (layer.getParent (handleOf (view)), handleOf (frame));
    EXPECT_EQ (layer.getParent (handleOf (frame)), nullptr) << "a managed top-level window";

    char name[NativeWindowLayer::classNameBufferSize];
    EXPECT_EQ (layer.getClassName (handleOf (view), name, (int) sizeof (name)), 8);
    EXPECT_STREQ (name, "HostView");

    const auto viewRect = layer.getWindowRect (handleOf (view));
    const auto frameRect = layer.getWindowRect (handleOf (frame));
    EXPECT_EQ (viewRect.getPosition() - frameRect.getPosition(), juce::Point<int> (20, 60));
    EXPECT_EQ (viewRect.getWidth(), 600);
    EXPECT_EQ (viewRect.getHeight(), 450);
    EXPECT_EQ (layer.getWindowRect (handleOf (editor)).getPosition(), viewRect.getPosition());
}

TEST_F (X11WindowLayerTest, ClassNamesAreCutToTheBuffer)
{
    const auto w = makeWindow (0, {0, 0, 10, 10}, "AClassNameOfMoreThanThirtyOneCharacters", false);
    char name[NativeWindowLayer::classNameBufferSize];

    EXPECT_EQ (layer.getClassName (handleOf (w), name, (int) sizeof (name)), 31);
    EXPECT_STREQ (name, "AClassNameOfMoreThanThirtyOneCh");

    char small[4];
    EXPECT_EQ (layer.getClassName (handleOf (w), small, (int) sizeof (small)), 3);
    EXPECT_STREQ (small, "ACl");
}

TEST_F (X11WindowLayerTest, ResizesWithoutMovingAndRaisesAmongSiblings)
{
    const auto frame = makeWindow (0, {0, 0, 400, 300}, "HostFrame", true, true);
    const auto first = makeWindow (frame, {10, 20, 100, 100}, "First");
    const auto second = makeWindow (frame, {30, 40, 100, 100}, "Second");
    ASSERT_EQ (topChildOf (frame), second);

    const auto before = layer.getWindowRect (handleOf (first));
    layer.resizeWindow (handleOf (first), 150, 120);
    layer.raiseWindow (handleOf (first));

    EXPECT_EQ (sizeOf (first), juce::Rectangle<int> (150, 120));
    EXPECT_EQ (layer.getWindowRect (handleOf (first)), before.withSize (150, 120));
    EXPECT_EQ (topChildOf (frame), first);

    layer.resizeWindow (handleOf (second), 0, -5);
    EXPECT_EQ (sizeOf (second), juce::Rectangle<int> (1, 1)) << "X refuses empty sizes";
}

TEST_F (X11WindowLayerTest, AWindowThatHasGoneIsHarmless)
{
    const auto parent = makeWindow (0, {0, 0, 200, 200}, "Parent", false);
    const auto gone = makeWindow (0, {0, 0, 100, 100}, "Gone", false);
    XDestroyWindow (display, gone);
    created.erase (std::find (created.begin(), created.end(), gone));
    XSync (display, False);

    char name[NativeWindowLayer::classNameBufferSize] = "x";
    layer.setParent (handleOf (gone), handleOf (parent));
    layer.resizeWindow (handleOf (gone), 50, 50);
    layer.raiseWindow (handleOf (gone));
    layer.setParent (handleOf (parent), handleOf (gone));

    EXPECT_EQ (layer.getParent (handleOf (gone)), nullptr);
    EXPECT_EQ (layer.getStyle (handleOf (gone)), 0u);
    EXPECT_EQ (layer.getClassName (handleOf (gone), name, (int) sizeof (name)), 0);
    EXPECT_STREQ (name, "");
    EXPECT_TRUE (layer.getWindowRect (handleOf (gone)).isEmpty());
    EXPECT_EQ (parentOf (parent), DefaultRootWindow (display)) << "still where it was";
}

TEST_F (X11WindowLayerTest, FittingWalkGrowsTheRealHostWindows)
{
    const auto frame = makeWindow (0, {50, 50, 640, 530}, "HostFrame", true, true);
    const auto view = makeWindow (frame, {20, 60, 600, 450}, "HostView");
    const auto editor = makeWindow (view, {0, 0, 600, 450}, "JuceWindow");

    HostWindows::fitToEditor (layer, handleOf (editor), 700, 500, [] (int, int) { return false; });

    EXPECT_EQ (sizeOf (editor), juce::Rectangle<int> (700, 500));
    EXPECT_EQ (sizeOf (view), juce::Rectangle<int> (700, 500));
    EXPECT_EQ (sizeOf (frame), juce::Rectangle<int> (740, 580));
    EXPECT_EQ (layer.getWindowRect (handleOf (view)).getPosition() -
                   layer.getWindowRect (handleOf (frame)).getPosition(),
               juce::Point<int> (20, 60))
        << "resized, not moved";
}

TEST_F (X11WindowLayerTest, AJuceWindowBecomesAChildOfTheHostWindowAndRaisesItsFrame)
{
    const auto frame = makeWindow (0, {0, 0, 640, 530}, "HostFrame", true, true);
    const auto view = makeWindow (frame, {20, 60, 600, 450}, "HostView");
    const auto other = makeWindow (0, {10, 10, 100, 100}, "OtherApp", true, true);
    ASSERT_TRUE (isAbove (other, frame));

    juce::Component editor;
    editor.setOpaque (true);
    editor.setSize (600, 450);
    editor.addToDesktop (0);
    auto* peer = editor.getPeer();
    ASSERT_NE (peer, nullptr);

    HostWindows::embed (layer, peer->getNativeHandle(), handleOf (view));
    editor.setVisible (true);

    EXPECT_EQ (parentOf ((::Window) (juce::pointer_sized_uint) peer->getNativeHandle()), view);

    // The toolkit makes windows of its own (unmapped, on its own connection, in its own time),
    // which may come to lie on top of everything: what counts is the host's frame over the window
    // that covered it.
    HostWindows::bringFrameToFront (layer, peer->getNativeHandle());
    EXPECT_TRUE (isAbove (frame, other));
}

// The host's own X errors are its business: errors earned on another connection, in another
// thread, while the layer works, reach the host's handler and are not taken for the layer's.
TEST_F (X11WindowLayerTest, ErrorsOnAnotherConnectionAreNotTheLayers)
{
    static std::atomic<int> hostErrors{0};
    const auto previous = XSetErrorHandler (
        [] (::Display*, XErrorEvent*)
        {
            ++hostErrors;
            return 0;
        });
    const auto frame = makeWindow (0, {0, 0, 200, 200}, "HostFrame", true, true);
    const auto view = makeWindow (frame, {10, 10, 100, 100}, "HostView");

    constexpr int provoked = 2000;
    std::atomic<bool> layerWorking{false}, provoking{true};
    std::thread otherPartOfTheHost (
        [&]
        {
            auto* other = XOpenDisplay (nullptr);
            while (! layerWorking)
                std::this_thread::yield();
            for (int i = 0; i < provoked; ++i)
            {
                XWindowAttributes attributes{};
                XGetWindowAttributes (other, 0x1ffffff, &attributes); // no such window
            }
            XCloseDisplay (other);
            provoking = false;
        });

    int wrongAnswers = 0, calls = 0;
    char name[NativeWindowLayer::classNameBufferSize];
    for (layerWorking = true; provoking;)
    {
        wrongAnswers += layer.getParent (handleOf (view)) != handleOf (frame);
        wrongAnswers += layer.getClassName (handleOf (view), name, (int) sizeof (name)) != 8;
        layer.raiseWindow (handleOf (view));
        ++calls;
    }
    otherPartOfTheHost.join();
    XSetErrorHandler (previous);

    EXPECT_GT (calls, 0);
    EXPECT_EQ (wrongAnswers, 0);
    EXPECT_EQ (hostErrors, provoked);
}
