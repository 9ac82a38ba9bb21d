// The editor as a Linux host shows it: the built Lampwick.so opened through the dispatcher inside
// an X window of the test's own, driven by real mouse input (XTest) with effEditIdle between the
// steps, and the routing read back through effGetChunk. Runs on a private X server.

#include "PluginHost.h"
#include "editor/CanvasGeometry.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <utility>

// Last: Xlib defines macros that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{
// The editor's fixed layout, in its own coordinates.
using canvas::geometry::editorHeight;
using canvas::geometry::editorWidth;

juce::Point<int> leftConnector (int k)
{
    const auto centre = canvas::geometry::connectorCentre (true, k);
    return {centre.x, centre.y};
}

juce::Point<int> rightConnector (int k)
{
    const auto centre = canvas::geometry::connectorCentre (false, k);
    return {centre.x, centre.y};
}

int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}

class EditorInHostWindow : public ::testing::Test
{
protected:
    Display* display = nullptr;
    Window hostWindow = 0;
    BuiltPlugin library;
    std::unique_ptr<TestHost> host;

    void SetUp() override
    {
        XSetErrorHandler (ignoreXError);
        display = XOpenDisplay (nullptr);
        ASSERT_NE (display, nullptr) << "needs an X server: run under tests/run-under-xvfb";
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        ASSERT_TRUE (XTestQueryExtension (display, &eventBase, &errorBase, &major, &minor));

        makeHost();
        hostWindow = makeHostWindow (0, 0);
    }

    void makeHost()
    {
        host = std::make_unique<TestHost> (library);
        ASSERT_NE (host->effect, nullptr) << library.error();
        host->dispatch (vst2::effOpen);
    }

    /** A top-level window of the editor's size at (x, y), mapped; where the window manager puts
        it, or left where it is. */
    Window makeHostWindow (int x, int y, bool managed = true)
    {
        const auto screen = DefaultScreen (display);
        const auto window = XCreateSimpleWindow (
            display, RootWindow (display, screen), x, y, editorWidth, editorHeight, 0,
            BlackPixel (display, screen), WhitePixel (display, screen));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = managed ? False : True;
        XChangeWindowAttributes (display, window, CWOverrideRedirect, &attributes);
        XStoreName (display, window, "Test host");
        XSelectInput (display, window, StructureNotifyMask);
        XMapWindow (display, window);

        XEvent event{};
        do
            XWindowEvent (display, window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        return window;
    }

    void TearDown() override
    {
        host.reset();
        if (display != nullptr)
        {
            if (hostWindow != 0)
                XDestroyWindow (display, hostWindow);
            XCloseDisplay (display);
        }
    }

    /** Lets the plug-in see what has happened: effEditIdle, as a host's idle loop calls it. */
    void idleFor (std::chrono::milliseconds duration)
    {
        XSync (display, False);
        constexpr std::chrono::milliseconds step (5);
        for (std::chrono::milliseconds waited (0); waited <= duration; waited += step)
        {
            host->dispatch (vst2::effEditIdle);
            std::this_thread::sleep_for (step);
        }
    }

    std::vector<Window> childrenOf (Window window)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        if (XQueryTree (display, window, &root, &parent, &children, &count) != 0 && children)
        {
            result.assign (children, children + count);
            XFree (children);
        }
        return result;
    }

    XWindowAttributes attributesOf (Window window)
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes (display, window, &attributes);
        return attributes;
    }

    juce::Point<int> onScreen (Window window, juce::Point<int> local)
    {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates (display, window, DefaultRootWindow (display), local.x, local.y, &x,
                               &y, &child);
        return {x, y};
    }

    void moveTo (juce::Point<int> screen)
    {
        XTestFakeMotionEvent (display, -1, screen.x, screen.y, CurrentTime);
        idleFor (std::chrono::milliseconds (15));
    }

    void button (unsigned int which, bool down)
    {
        XTestFakeButtonEvent (display, which, down ? True : False, CurrentTime);
        idleFor (std::chrono::milliseconds (60));
    }

    void click (juce::Point<int> at)
    {
        moveTo (at);
        button (Button1, true);
        button (Button1, false);
    }

    /** A key, with Control (and Shift) held, as the keyboard sends it. */
    void key (KeySym sym, bool control = false, bool shift = false)
    {
        const auto send = [this] (KeySym s, bool down)
        {
            XTestFakeKeyEvent (display, XKeysymToKeycode (display, s), down ? True : False,
                               CurrentTime);
        };
        if (control)
            send (XK_Control_L, true);
        if (shift)
            send (XK_Shift_L, true);
        send (sym, true);
        send (sym, false);
        if (shift)
            send (XK_Shift_L, false);
        if (control)
            send (XK_Control_L, false);
        idleFor (std::chrono::milliseconds (100));
    }

    void drag (juce::Point<int> from, juce::Point<int> to)
    {
        moveTo (from);
        button (Button1, true);
        constexpr int steps = 12;
        for (int i = 1; i <= steps; ++i)
            moveTo (from + (to - from) * i / steps);
        button (Button1, false);
    }

    /** Runs the steps on a thread of their own, as hosts that call the editor opcodes from another
        thread than the one that called main do, while this thread waits without delivering
        anything. A plug-in that waits for this thread hangs the steps: the test then fails, and
        ends the process rather than CI. */
    void onAnotherThread (const std::function<void()>& steps)
    {
        auto done = std::async (std::launch::async, steps);

        if (done.wait_for (std::chrono::seconds (60)) != std::future_status::ready)
        {
            ADD_FAILURE() << "the editor's calls from another thread did not return";
            std::_Exit (EXIT_FAILURE);
        }

        done.get();
    }

    void dragAndBreakALink();

    /** The colour of one pixel as the screen shows it. */
    juce::Colour pixelAt (Window window, juce::Point<int> where)
    {
        auto* shot = XGetImage (display, window, where.x, where.y, 1, 1, AllPlanes, ZPixmap);
        if (shot == nullptr)
            return {};
        const auto pixel = XGetPixel (shot, 0, 0);
        XDestroyImage (shot);
        return juce::Colour ((juce::uint8) (pixel >> 16), (juce::uint8) (pixel >> 8),
                             (juce::uint8) pixel);
    }

    void saveScreenshot (Window window, const char* path)
    {
        const auto a = attributesOf (window);
        auto* shot = XGetImage (display, window, 0, 0, (unsigned) a.width, (unsigned) a.height,
                                AllPlanes, ZPixmap);
        ASSERT_NE (shot, nullptr);
        juce::Image image (juce::Image::RGB, a.width, a.height, false, juce::SoftwareImageType());
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
            {
                const auto pixel = XGetPixel (shot, x, y);
                image.setPixelAt (x, y,
                                  juce::Colour ((juce::uint8) ((pixel >> 16) & 0xff),
                                                (juce::uint8) ((pixel >> 8) & 0xff),
                                                (juce::uint8) (pixel & 0xff)));
            }
        XDestroyImage (shot);

        juce::File file (path);
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
    }
};
} // namespace

TEST_F (EditorInHostWindow, SizeQueryMakesAHiddenEditorAndOpenShowsOneInsideTheHostsWindow)
{
    host->setRoutes ({{2, 5}, {9, 0}});
    const auto before = host->getChunk();

    vst2::ERect* rect = nullptr;
    const auto answer = host->dispatch (vst2::effEditGetRect, 0, 0, &rect);
    ASSERT_NE (rect, nullptr);
    EXPECT_EQ (answer, (vst2::VstIntPtr) rect);
    EXPECT_EQ (std::vector<int> ({rect->top, rect->left, rect->bottom, rect->right}),
               std::vector<int> ({0, 0, editorHeight, editorWidth}));
    idleFor (std::chrono::milliseconds (50));
    EXPECT_TRUE (childrenOf (hostWindow).empty()); // made, not shown

    EXPECT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
    idleFor (std::chrono::milliseconds (100));
    const auto children = childrenOf (hostWindow);
    ASSERT_EQ (children.size(), 1u);
    const auto editorWindow = attributesOf (children[0]);
    EXPECT_EQ (editorWindow.map_state, IsViewable);
    EXPECT_EQ (juce::Rectangle<int> (editorWindow.x, editorWindow.y, editorWindow.width,
                                     editorWindow.height),
               juce::Rectangle<int> (0, 0, editorWidth, editorHeight));

    EXPECT_EQ (host->dispatch (vst2::effEditClose), 0);
    idleFor (std::chrono::milliseconds (50));
    EXPECT_TRUE (childrenOf (hostWindow).empty());
    EXPECT_EQ (host->getChunk(), before);
}

// A host window away from the screen's origin, the editor opened in it again and again: each time
// it sits at the window's origin and draws its face and its boxes there.
TEST_F (EditorInHostWindow, EditorReopenedInAWindowAwayFromTheOriginSitsAtItsOriginAndDraws)
{
    const auto window = makeHostWindow (200, 150);
    const juce::Point<int> face (editorWidth / 2, editorHeight / 2), box (50, editorHeight / 2);

    for (int opening = 0; opening < 8; ++opening)
    {
        SCOPED_TRACE (opening);
        ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) window), 1);
        idleFor (std::chrono::milliseconds (200));

        const auto children = childrenOf (window);
        ASSERT_EQ (children.size(), 1u);
        const auto editor = attributesOf (children[0]);
        EXPECT_EQ (juce::Rectangle<int> (editor.x, editor.y, editor.width, editor.height),
                   juce::Rectangle<int> (0, 0, editorWidth, editorHeight));
        EXPECT_EQ (pixelAt (window, face), juce::Colour (0xff777777));
        EXPECT_EQ (pixelAt (window, box), juce::Colour (0xffd3d3d3));

        EXPECT_EQ (host->dispatch (vst2::effEditClose), 0);
    }
    XDestroyWindow (display, window);
}

// The host called main on this thread; everything else comes from another one, as in Ardour.
TEST_F (EditorInHostWindow, DraggingALinkRoutesAndBreakLinksUnroutesFromAnotherThread)
{
    onAnotherThread ([this] { dragAndBreakALink(); });
}

void EditorInHostWindow::dragAndBreakALink()
{
    vst2::ERect* rect = nullptr;
    host->dispatch (vst2::effEditGetRect, 0, 0, &rect);
    ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
    idleFor (std::chrono::milliseconds (300));
    const auto children = childrenOf (hostWindow);
    ASSERT_EQ (children.size(), 1u);
    const auto editor = children[0];

    // Each gesture tells the host once, on its own thread, that the routes changed.
    const auto notifications = [this]
    { return host->callsWith (vst2::audioMasterUpdateDisplay).size(); };
    drag (onScreen (editor, leftConnector (0)), onScreen (editor, rightConnector (15)));
    idleFor (std::chrono::milliseconds (100));
    EXPECT_EQ (host->getChunk(), stateWith ({{0, 15}}));
    EXPECT_EQ (notifications(), 1u);
    saveScreenshot (editor, EDITOR_SCREENSHOT_PATH);

    // The right button on the connector opens its menu in a window of its own.
    const auto before = childrenOf (DefaultRootWindow (display));
    const std::set<Window> existing (before.begin(), before.end());
    moveTo (onScreen (editor, rightConnector (15)));
    button (Button3, true);
    button (Button3, false);
    idleFor (std::chrono::milliseconds (300));

    Window menu = 0;
    for (auto window : childrenOf (DefaultRootWindow (display)))
        if (existing.count (window) == 0 && attributesOf (window).map_state == IsViewable)
            menu = window;
    ASSERT_NE (menu, 0u) << "no menu appeared";

    // Its only item, "Break Links", fills it. The toolkit takes no click on a menu in the first
    // 250 ms after it opened it (that would be the release of the press that opened it).
    const auto menuArea = attributesOf (menu);
    moveTo (onScreen (menu, {menuArea.width / 2, menuArea.height / 2}));
    idleFor (std::chrono::milliseconds (400));
    button (Button1, true);
    button (Button1, false);
    idleFor (std::chrono::milliseconds (200));
    EXPECT_EQ (host->getChunk(), stateWith ({}));
    EXPECT_EQ (notifications(), 2u);

    // A restore by the host itself tells nobody.
    host->setRoutes ({{3, 4}});
    idleFor (std::chrono::milliseconds (300));
    EXPECT_EQ (notifications(), 2u);
    EXPECT_TRUE (host->callsFromPluginThreads().empty());

    // Closing the plug-in with its editor open takes the editor's window away too.
    host->close();
    XSync (display, False);
    EXPECT_TRUE (childrenOf (hostWindow).empty());
}

// Click, click links; Escape drops a link half drawn; and the editor's keys reach it in the host's
// window: copy, undo, paste and redo through the system's clipboard.
TEST_F (EditorInHostWindow, ClickingLinksAndTheEditorsKeysRouteUndoAndPaste)
{
    ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
    idleFor (std::chrono::milliseconds (300));
    const auto children = childrenOf (hostWindow);
    ASSERT_EQ (children.size(), 1u);
    const auto editor = children[0];
    const auto at = [&] (juce::Point<int> p) { return onScreen (editor, p); };

    click (at (leftConnector (0)));
    for (int i = 1; i <= 6; ++i) // the link follows the pointer, with no button held
        moveTo (at (leftConnector (0) + (rightConnector (15) - leftConnector (0)) * i / 6));
    click (at (rightConnector (15)));
    EXPECT_EQ (host->getChunk(), stateWith ({{0, 15}}));

    click (at (leftConnector (1)));
    moveTo (at ({300, 200}));
    key (XK_Escape);
    click (at (rightConnector (3)));
    click (at (leftConnector (2)));
    click (at ({300, 200})); // a click elsewhere drops it too
    click (at (rightConnector (4)));
    EXPECT_EQ (host->getChunk(), stateWith ({{0, 15}}));

    // Each key is waited for by what it does, with the pointer still: a key that waits in Xlib's
    // queue for the next mouse move fails here.
    const auto routesBecome = [this] (std::initializer_list<std::pair<int, int>> routes)
    {
        for (int tries = 0; tries < 50 && host->getChunk() != stateWith (routes); ++tries)
            idleFor (std::chrono::milliseconds (30));
        return host->getChunk() == stateWith (routes);
    };
    moveTo (at ({300, 200}));
    key (XK_c, true);
    key (XK_z, true);
    EXPECT_TRUE (routesBecome ({})) << "undo";
    key (XK_v, true);
    EXPECT_TRUE (routesBecome ({{0, 15}})) << "paste";
    key (XK_z, true);
    EXPECT_TRUE (routesBecome ({})) << "undo";
    key (XK_z, true, true);
    EXPECT_TRUE (routesBecome ({{0, 15}})) << "redo";
    idleFor (std::chrono::milliseconds (100));
    EXPECT_EQ (host->callsWith (vst2::audioMasterUpdateDisplay).size(), 5u);
    host->dispatch (vst2::effEditClose);
}

// A press in the editor raises the host's window above a window that covered part of it. Both are
// left to themselves by the window manager, which would otherwise decide the stacking.
TEST_F (EditorInHostWindow, PressInTheEditorRaisesTheHostsWindow)
{
    XSetWindowAttributes unmanaged{};
    unmanaged.override_redirect = True;
    const auto root = DefaultRootWindow (display);
    const auto makeWindow = [&] (int x, int width, int height)
    {
        const auto window = XCreateWindow (display, root, x, 0, (unsigned) width, (unsigned) height,
                                           0, CopyFromParent, InputOutput, CopyFromParent,
                                           CWOverrideRedirect, &unmanaged);
        XMapWindow (display, window);
        XSync (display, False);
        return window;
    };
    const auto frame = makeWindow (0, editorWidth, editorHeight);
    const auto other = makeWindow (editorWidth / 2, editorWidth, editorHeight / 2);
    const auto stackingIndex = [&] (Window window)
    {
        const auto order = childrenOf (root); // bottom first
        return std::find (order.begin(), order.end(), window) - order.begin();
    };
    const auto frameComesOnTop = [&]
    {
        for (int i = 0; i < 100 && stackingIndex (frame) < stackingIndex (other); ++i)
            idleFor (std::chrono::milliseconds (20));
        return stackingIndex (frame) > stackingIndex (other);
    };

    // Showing the editor may raise the frame too, whenever the toolkit gets to it: the other
    // window goes back on top until it stays there.
    ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) frame), 1);
    for (int i = 0; i < 10 && ! (i > 0 && stackingIndex (other) > stackingIndex (frame)); ++i)
    {
        XRaiseWindow (display, other);
        idleFor (std::chrono::milliseconds (200));
    }
    ASSERT_GT (stackingIndex (other), stackingIndex (frame));

    // A press in the editor brings the frame back above the other window.
    const juce::Point<int> face (editorWidth / 4, editorHeight * 3 / 4);
    moveTo (onScreen (frame, face));
    button (Button1, true);
    button (Button1, false);
    EXPECT_TRUE (frameComesOnTop());

    host->dispatch (vst2::effEditClose);
    XDestroyWindow (display, other);
    XDestroyWindow (display, frame);
}

// The editor comes and goes on one thread while another processes blocks and a third saves and
// restores the routing: what each block routes, and what the editor shows, stay whole.
TEST_F (EditorInHostWindow, EditorComesAndGoesWhileOtherThreadsProcessAndRestore)
{
    host->resume();
    constexpr int rounds = 20;
    const auto one = stateWith ({{0, 3}}), two = stateWith ({{0, 5}, {0, 6}});
    std::atomic<bool> editing{true};

    std::thread restorer (
        [&]
        {
            for (int i = 0; editing; ++i)
            {
                auto state = i % 2 == 0 ? two : one;
                host->dispatch (vst2::effSetChunk, 0, (vst2::VstIntPtr) state.size(), state.data());
                host->getChunk();
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
            }
        });
    std::thread processor (
        [&]
        {
            while (editing)
            {
                host->sendEvents ({midiEvent ({0x90, 60, 100}, 0)});
                host->processReplacing (64);
                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }
        });

    onAnotherThread (
        [&]
        {
            for (int i = 0; i < rounds; ++i)
            {
                vst2::ERect* rect = nullptr;
                host->dispatch (vst2::effEditGetRect, 0, 0, &rect);
                EXPECT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
                idleFor (std::chrono::milliseconds (20));
                EXPECT_EQ (host->dispatch (vst2::effEditClose), 0);
            }
        });
    editing = false;
    restorer.join();
    processor.join();

    for (const auto& call : host->callsWith (vst2::audioMasterProcessEvents))
    {
        std::vector<int> channels;
        for (const auto& e : call.events)
            channels.push_back (((std::uint8_t) e.record.midiData[0] & 0x0f) + 1);
        EXPECT_TRUE (channels == std::vector<int>{4} || channels == (std::vector<int>{6, 7}));
    }
}

// Hosts that load a project on several threads start and end instances on each of them, while
// other instances keep their editors open and idle.
TEST_F (EditorInHostWindow, InstancesComeAndGoOnLoaderThreadsWhileEditorsIdle)
{
    TestHost second (library);
    ASSERT_NE (second.effect, nullptr);
    second.dispatch (vst2::effOpen);
    const auto secondWindow = makeHostWindow (editorWidth, 0);
    constexpr int loaders = 2, rounds = 25;
    std::atomic<int> loaded{0}, loadersDone{0};

    const auto load = [&]
    {
        for (int i = 0; i < rounds; ++i)
        {
            TestHost instance (library);
            if (instance.effect == nullptr)
                continue;
            instance.dispatch (vst2::effOpen);
            instance.setRoutes ({{i % 16, 15 - i % 16}});
            if (instance.getChunk() == stateWith ({{i % 16, 15 - i % 16}}))
                ++loaded;
            EXPECT_TRUE (instance.callsFromPluginThreads().empty());
        }
        ++loadersDone;
    };

    onAnotherThread (
        [&]
        {
            ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
            ASSERT_EQ (second.dispatch (vst2::effEditOpen, 0, 0, (void*) secondWindow), 1);
            std::thread threads[] = {std::thread (load), std::thread (load)};
            while (loadersDone < loaders)
            {
                host->dispatch (vst2::effEditIdle);
                second.dispatch (vst2::effEditIdle);
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
            for (auto& t : threads)
                t.join();
            EXPECT_EQ (second.dispatch (vst2::effEditClose), 0);
        });

    EXPECT_EQ (loaded, loaders * rounds);
    EXPECT_TRUE (host->callsFromPluginThreads().empty());
    EXPECT_TRUE (second.callsFromPluginThreads().empty());
    XDestroyWindow (display, secondWindow);
}

// A button held in the editor while a host that guards each instance with a lock its callback
// takes too idles and closes it: no hang, and the plug-in calls the host from no thread of its own.
TEST_F (EditorInHostWindow, ButtonHeldWhileAGuardingHostIdlesAndClosesTheEditor)
{
    host->guardsEachCall = true;

    onAnotherThread (
        [this]
        {
            ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
            idleFor (std::chrono::milliseconds (300));
            const auto editor = childrenOf (hostWindow).at (0);
            const auto from = onScreen (editor, leftConnector (2));
            const auto to = onScreen (editor, rightConnector (7));
            moveTo (from);
            button (Button1, true);
            for (int i = 1; i <= 12; ++i) // each step repaints the editor with the button held
                moveTo (from + (to - from) * i / 12);
            host->dispatch (vst2::effEditClose);
            button (Button1, false);
            host->close();
        });

    EXPECT_TRUE (host->callsFromPluginThreads().empty());
}

namespace
{
Display* hostDisplay = nullptr;
int hostsOwnErrors = 0, otherErrors = 0;

int countHostError (Display* errorDisplay, XErrorEvent*)
{
    ++(errorDisplay == hostDisplay ? hostsOwnErrors : otherErrors);
    return 0;
}
} // namespace

// The host destroys its window before it closes the editor. Xlib has one error handler for the
// whole process: the errors this earns the toolkit must not reach the host's handler, whether that
// is Xlib's default one, which ends the process, or the host's own.
TEST_F (EditorInHostWindow, HostsWindowDestroyedUnderTheEditorEndsNoHost)
{
    hostDisplay = display;
    for (const XErrorHandler handler : {XErrorHandler (nullptr), countHostError})
    {
        host.reset(); // the toolkit stops, and gives the host back its handler
        XSetErrorHandler (handler);
        makeHost();
        const auto window = makeHostWindow (100, 100);
        ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) window), 1);
        idleFor (std::chrono::milliseconds (300));

        XDestroyWindow (display, window);
        XSync (display, False);
        host->setRoutes ({{0, 1}}); // the editor redraws its links
        idleFor (std::chrono::milliseconds (600));
        EXPECT_EQ (host->dispatch (vst2::effEditClose), 0);
        host->close();
    }

    // The host's own errors still reach its handler.
    XDestroyWindow (display, 0x3ffffff);
    XSync (display, False);
    EXPECT_EQ (hostsOwnErrors, 1);
    EXPECT_EQ (otherErrors, 0);
    XSetErrorHandler (ignoreXError);
}

namespace
{
// The instance a host's exit handler closes, and the handler: registered when the test program
// starts, before the plug-in is loaded, it runs after the plug-in's own; registered later, before.
vst2::AEffect* closedAtExit = nullptr;

void closeAtExit()
{
    if (auto* effect = std::exchange (closedAtExit, nullptr))
        effect->dispatcher (effect, vst2::effClose, 0, 0, nullptr, 0.0f);
}

[[maybe_unused]] const bool closesAfterThePlugIn = std::atexit (closeAtExit) == 0;
} // namespace

// A host that ends its process with an instance and its editor open, routes drawn and MIDI
// flowing: the process ends with its own status, however the host's exit handlers and its other
// threads meet the plug-in's. A process that hangs instead runs into the test's time-out.
TEST_F (EditorInHostWindow, HostThatExitsWithTheEditorOpenEndsPromptlyAndCleanly)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    enum class Then
    {
        nothing,
        idleOnAnotherThread,
        closeBeforeThePlugInsExitHandler,
        closeAfterThePlugInsExitHandler
    };

    for (const auto then :
         {Then::nothing, Then::idleOnAnotherThread, Then::closeBeforeThePlugInsExitHandler,
          Then::closeAfterThePlugInsExitHandler})
    {
        SCOPED_TRACE ((int) then);
        EXPECT_EXIT (
            {
                ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, (void*) hostWindow), 1);
                host->setRoutes ({{0, 3}, {1, 1}});
                host->resume();
                host->sendEvents ({midiEvent ({0x90, 60, 100}, 0)});
                host->processReplacing (256);
                idleFor (std::chrono::milliseconds (100));

                if (then == Then::idleOnAnotherThread)
                    std::thread (
                        [this]
                        {
                            for (;;)
                                host->dispatch (vst2::effEditIdle);
                        })
                        .detach();
                if (then == Then::closeBeforeThePlugInsExitHandler)
                    std::atexit (closeAtExit);
                if (then != Then::nothing && then != Then::idleOnAnotherThread)
                    closedAtExit = host->effect;

                std::exit (0);
            },
            ::testing::ExitedWithCode (0), "");
    }
}
