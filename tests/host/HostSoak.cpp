// A hostile host, for a given time: instances made and closed in rounds, each driven at once from
// an editor thread (the editor in an X window of the soak's own, with real mouse input), a
// processing thread and a thread that saves and restores the routing, by random but legal calls,
// some of them made from inside the plug-in's own calls to the host. The seed comes first in the
// output, so that any failure, the soak's or a sanitizer's, replays the same choices with --seed
// (the threads' timing aside).
//   host_soak [--seed N] [--seconds S]      on an X server: tests/run-under-xvfb host_soak ...

#include "PluginHost.h"
#include "editor/CanvasGeometry.h"
#include "plugin/RoutingMatrix.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>

// Last: Xlib defines macros that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace
{
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using canvas::geometry::editorHeight;
using canvas::geometry::editorWidth;
constexpr size_t stateSize = routing::numCells;

std::uint32_t seed = 0;

[[noreturn]] void fail (const std::string& what)
{
    static std::mutex failing;
    failing.lock(); // for good: the first failure speaks and ends the process, its threads with it
    std::printf ("soak: %s\nsoak: FAILED seed=%u\n", what.c_str(), seed);
    std::fflush (stdout);
    std::_Exit (EXIT_FAILURE);
}

void check (bool holds, const char* what)
{
    if (! holds)
        fail (what);
}

/** How often the soak has done one kind of thing, printed at its end. */
struct Count
{
    const char* what;
    std::atomic<long> times{0};
};
// The calls into the plug-in, then what came of them.
Count opened{"effOpen"}, closed{"effClose"},
    mains{"effMainsChanged, effSetBlockSize, effSetSampleRate"}, events{"effProcessEvents"},
    processing{"process, processReplacing"}, getChunk{"effGetChunk"}, setChunk{"effSetChunk"},
    editGetRect{"effEditGetRect"}, editOpen{"effEditOpen"}, editClose{"effEditClose"},
    editIdle{"effEditIdle"};
Count nested{"of the calls above, made from inside a callback"},
    closedInside{"of the effClose calls, made from inside a callback"}, drags{"mouse drags"},
    windowsGone{"host windows destroyed under the editor"},
    updateDisplays{"audioMasterUpdateDisplay received"};
Count* const callCounts[] = {&opened,   &closed,      &mains,    &events,    &processing, &getChunk,
                             &setChunk, &editGetRect, &editOpen, &editClose, &editIdle};
Count* const otherCounts[] = {&nested, &closedInside, &drags, &windowsGone, &updateDisplays};

// Which host thread this is, its own choices, and how deep it is in callbacks of the plug-in's.
enum class Role
{
    plugIns,
    main,
    editor,
    processing,
    chunks
};
thread_local Role role = Role::plugIns;
thread_local std::mt19937* choices = nullptr;
thread_local int nesting = 0;

int below (int bound)
{
    return std::uniform_int_distribution<int> (0, bound - 1) (*choices);
}

bool chance (int percent)
{
    return below (100) < percent;
}

void tally (Count& count)
{
    ++count.times;
    if (nesting > 0)
        ++nested.times;
}

int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}

/** Mostly channel messages within the block, in any order; now and then an event type the plug-in
    does not know, a data byte where the status goes, a position beyond the block, or a long list
    such as a host that fell behind sends. */
std::vector<vst2::VstMidiEvent> randomEvents (int frames)
{
    const int count = chance (3) ? 100 + below (900) : below (8);
    std::vector<vst2::VstMidiEvent> list;
    for (int i = 0; i < count; ++i)
    {
        const vst2::VstInt32 unknownTypes[] = {2, 3, 4, 5, 99};
        const auto type = chance (5) ? unknownTypes[below (5)] : vst2::kVstMidiType;
        const auto status = (std::uint8_t) (chance (5) ? below (0x80) : 0x80 + below (0x80));
        const auto position = chance (3) ? frames + below (frames + 1) : below (frames + 1);
        list.push_back (midiEvent (
            {status, (std::uint8_t) below (0x80), (std::uint8_t) below (0x80)}, position, type));
    }
    if (chance (50))
        std::sort (list.begin(), list.end(),
                   [] (const auto& a, const auto& b) { return a.deltaFrames < b.deltaFrames; });
    return list;
}

/** One instance, from its making to its closing, and the host's threads that use it. */
class Round
{
public:
    Round (const PluginLibrary& library, Display* x, int roundNumber, Clock::time_point roundEnd)
        : host (library), display (x), number (roundNumber), end (roundEnd)
    {
    }

    void run()
    {
        check (host.effect != nullptr, "main answered no instance");
        host.guardsEachCall = chance (25); // as hosts that serialise each plug-in do
        host.duringCallback = [this] (vst2::VstInt32 opcode) { duringCallback (opcode); };
        tally (opened);
        host.dispatch (vst2::effOpen);

        processor = start (Role::processing, &Round::process);
        chunks = start (Role::chunks, &Round::saveAndRestore);
        start (Role::editor, &Round::edit).join();
        stopWorkers();

        // Hosts remove a plug-in with its editor open, and some destroy their window first.
        if (window != 0 && chance (30))
            destroyWindow();
        if (host.effect != nullptr)
        {
            tally (closed);
            host.close();
        }
        if (window != 0)
            destroyWindow();
    }

private:
    TestHost host;
    Display* display;
    const int number;
    const Clock::time_point end;
    std::atomic<bool> working{true};
    std::thread processor, chunks;

    // The editor thread's own.
    Window window = 0;
    bool editorOpen = false, closeFromInside = false;
    Clock::time_point openedAt;

    std::thread start (Role threadRole, void (Round::*steps)())
    {
        return std::thread (
            [this, threadRole, steps]
            {
                std::seed_seq sequence{seed, (std::uint32_t) number, (std::uint32_t) threadRole};
                std::mt19937 generator (sequence);
                role = threadRole;
                choices = &generator;
                (this->*steps)();
            });
    }

    /** Called on the editor thread, then on the main thread once the editor thread has ended. */
    void stopWorkers()
    {
        working = false;
        for (auto* thread : {&processor, &chunks})
            if (thread->joinable())
                thread->join();
    }

    vst2::VstIntPtr call (Count& kind, vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                          vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        if (host.effect == nullptr) // closed: a host calls it no more
            return 0;
        tally (kind);
        return host.dispatch (opcode, index, value, ptr, opt);
    }

    void duringCallback (vst2::VstInt32 opcode)
    {
        if (opcode == vst2::audioMasterUpdateDisplay)
            ++updateDisplays.times;
        check (role != Role::plugIns, "the plug-in called the host from a thread of its own");
        if (nesting >= 2)
            return;

        ++nesting;
        if (role == Role::editor)
            callBackFromTheEditorThread();
        else if (role == Role::processing && chance (30)) // the next block's events, say
        {
            tally (events);
            host.sendEvents (randomEvents (64));
        }
        --nesting;
    }

    /** What a host's UI thread may call from inside a callback; the instance's last call, once
        no other thread will call it again. */
    void callBackFromTheEditorThread()
    {
        for (int i = below (3); i >= 0 && host.effect != nullptr; --i)
        {
            const int which = below (4);
            if (which == 0)
            {
                call (editClose, vst2::effEditClose);
                editorOpen = false;
            }
            else if (which == 1 && window != 0 &&
                     call (editOpen, vst2::effEditOpen, 0, 0, (void*) window) == 1)
            {
                editorOpen = true;
                openedAt = Clock::now();
            }
            else if (which == 2)
                askRect (false);
            else if (which == 3)
                saveOrRestore (true);
        }

        if (closeFromInside && host.effect != nullptr)
        {
            tally (closed);
            tally (closedInside);
            host.close();
        }
    }

    void askRect (bool mustAnswer)
    {
        vst2::ERect* rect = nullptr;
        const auto answer = call (editGetRect, vst2::effEditGetRect, 0, 0, &rect);
        if (host.effect == nullptr || (rect == nullptr && ! mustAnswer))
            return;
        check (rect != nullptr && answer == (vst2::VstIntPtr) rect, "effEditGetRect gave no rect");
        if (rect->left != 0 || rect->top != 0 || rect->right != editorWidth ||
            rect->bottom != editorHeight)
            fail ("effEditGetRect gave the rect (" + std::to_string (rect->left) + ", " +
                  std::to_string (rect->top) + ") to (" + std::to_string (rect->right) + ", " +
                  std::to_string (rect->bottom) + "), not the editor's 600 x 450" +
                  (mustAnswer ? "" : " from inside a callback"));
    }

    /** Saves the routes or, when it may, restores a state of a few; now and then one too short
        (that leaves the routes alone), one too long, or none at all. */
    void saveOrRestore (bool mayRestore)
    {
        if (mayRestore && chance (50))
        {
            std::vector<std::uint8_t> state (chance (10) ? (size_t) below (2 * stateSize)
                                                         : stateSize);
            for (int i = below (8); i > 0 && ! state.empty(); --i)
                state[(size_t) below ((int) state.size())] = 1;
            call (setChunk, vst2::effSetChunk, below (2), (vst2::VstIntPtr) state.size(),
                  chance (3) ? nullptr : state.data());
            return;
        }

        tally (getChunk);
        const auto state = host.getChunk (below (2));
        if (host.effect == nullptr) // closed from inside a callback further up this thread
            return;
        check (state.size() == stateSize, "effGetChunk did not answer 256 bytes");
        check (std::all_of (state.begin(), state.end(), [] (auto on) { return on <= 1; }),
               "effGetChunk answered a byte that no state held");
    }

    /** Restores come in spells, as when a host loads or undoes: a restore between a route drawn
        in the editor and the next idle rightly keeps the plug-in from telling the host. */
    void saveAndRestore()
    {
        bool restoring = false;
        for (int i = 0; working; ++i)
        {
            if (i % 200 == 0)
                restoring = chance (30);
            saveOrRestore (restoring);
            std::this_thread::sleep_for (std::chrono::microseconds (below (1000)));
        }
    }

    void process()
    {
        bool on = false;
        int blockSize = 512;
        while (working)
        {
            if (! on || chance (1))
            {
                if (on)
                    call (mains, vst2::effMainsChanged, 0, 0);
                if (chance (50)) // only while suspended, as hosts do
                {
                    blockSize = 32 << below (9);
                    call (mains, vst2::effSetBlockSize, 0, blockSize);
                    call (mains, vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f * (1 + below (4)));
                }
                call (mains, vst2::effMainsChanged, 0, 1);
                on = true;
            }

            const int frames = chance (2) ? 0 : 1 + below (blockSize);
            if (chance (80))
            {
                tally (events);
                host.sendEvents (randomEvents (frames));
            }
            tally (processing);
            chance (80) ? host.processReplacing (frames) : host.process (frames);
            checkBlock (frames);
            std::this_thread::sleep_for (std::chrono::microseconds (below (200)));
        }
        if (on && chance (70)) // hosts stop processing before they remove a plug-in
            call (mains, vst2::effMainsChanged, 0, 0);
    }

    void checkBlock (int frames)
    {
        for (const auto& channel : host.audio)
            check (std::all_of (channel.begin(), channel.begin() + frames,
                                [] (float x) { return x == TestHost::sentinel; }),
                   "the plug-in touched the audio");

        int last = INT_MIN;
        for (const auto& sent : host.takeSentEvents())
        {
            check (sent.record.type == vst2::kVstMidiType &&
                       ((std::uint8_t) sent.record.midiData[0] & 0x80) != 0,
                   "the plug-in sent the host an event that is no MIDI message");
            check (sent.record.deltaFrames >= last, "a block's events came out of position order");
            last = sent.record.deltaFrames;
        }
    }

    void edit()
    {
        while (Clock::now() < end && host.effect != nullptr)
        {
            idle (milliseconds (33)); // about 30 a second, as hosts idle their editors
            // Now and then the host destroys its window under the open editor, which learns it
            // from its window only; a drag waits until the editor has shown itself.
            const bool settled = Clock::now() - openedAt > milliseconds (300);
            if (! editorOpen ? chance (20) : window == 0 && chance (10))
                openEditor();
            else if (editorOpen && chance (2))
                closeEditor();
            else if (editorOpen && window != 0 && chance (1))
                destroyWindow();
            else if (editorOpen && window != 0 && settled && chance (15))
                drag();
            if (chance (5))
                askRect (true);
        }
        if (host.effect == nullptr || chance (50))
            return;

        // The host removes the instance from inside its next callback, once nothing else calls
        // it: a route drawn in the quiet instance makes one, at the next idle.
        stopWorkers();
        closeFromInside = true;
        const auto started = Clock::now();
        while (host.effect != nullptr)
        {
            check (Clock::now() - started < std::chrono::seconds (20),
                   "routes drawn in the editor did not tell the host");
            if (! editorOpen || window == 0)
                openEditor();
            idle (milliseconds (300));
            drag();
        }
    }

    void idle (milliseconds then)
    {
        call (editIdle, vst2::effEditIdle);
        std::this_thread::sleep_for (then);
    }

    void openEditor()
    {
        if (editorOpen)
            closeEditor();
        if (window == 0)
            makeWindow();
        askRect (true); // hosts size their window first
        const auto answer = call (editOpen, vst2::effEditOpen, 0, 0, (void*) window);
        check (host.effect == nullptr || answer == 1, "effEditOpen into a window made no editor");
        editorOpen = true;
        openedAt = Clock::now();
    }

    void closeEditor()
    {
        const auto answer = call (editClose, vst2::effEditClose);
        check (host.effect == nullptr || answer == 0, "effEditClose answered other than 0");
        editorOpen = false;
        if (window != 0 && chance (50))
            destroyWindow();
    }

    /** The host's window, left alone by the window manager at the screen's origin: the editor's
        coordinates are the screen's. */
    void makeWindow()
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        window = XCreateWindow (display, DefaultRootWindow (display), 0, 0, editorWidth,
                                editorHeight, 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect, &attributes);
        XMapRaised (display, window);
        XSync (display, False);
    }

    void destroyWindow()
    {
        if (editorOpen)
            ++windowsGone.times;
        XDestroyWindow (display, window);
        XSync (display, False);
        window = 0;
    }

    /** From a left connector to a right one, as a person draws a route, idling between steps. */
    void drag()
    {
        ++drags.times;
        const auto from = canvas::geometry::connectorCentre (true, below (routing::numChannels));
        const auto to = canvas::geometry::connectorCentre (false, below (routing::numChannels));
        const auto pointerTo = [this] (int x, int y)
        {
            XTestFakeMotionEvent (display, -1, x, y, CurrentTime);
            XSync (display, False);
            idle (milliseconds (15));
        };
        const auto button = [this] (bool down)
        {
            XTestFakeButtonEvent (display, Button1, down ? True : False, CurrentTime);
            XSync (display, False);
            idle (milliseconds (60));
        };

        pointerTo (from.x, from.y);
        button (true);
        constexpr int steps = 8;
        for (int i = 1; i <= steps; ++i)
            pointerTo (from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        button (false);
    }
};
} // namespace

int main (int argc, char** argv)
{
    seed = (std::uint32_t) std::chrono::system_clock::now().time_since_epoch().count();
    double seconds = 20;
    for (int i = 1; i < argc; i += 2)
    {
        const std::string option = argv[i];
        if (i + 1 < argc && option == "--seed")
            seed = (std::uint32_t) std::strtoul (argv[i + 1], nullptr, 10);
        else if (i + 1 < argc && option == "--seconds")
            seconds = std::strtod (argv[i + 1], nullptr);
        else
            return std::fprintf (stderr, "usage: %s [--seed N] [--seconds S]\n", argv[0]), 2;
    }
    // Before anything that could fail: a sanitizer's report ends the process by itself.
    std::printf ("soak: seed=%u seconds=%g\n", seed, seconds);
    std::fflush (stdout);

    // A deadlock between the host's threads and the plug-in's fails the soak with its seed, rather
    // than leaving it to the test runner's timeout.
    const auto length = milliseconds ((long) (seconds * 1000));
    const auto limit = Clock::now() + length + std::chrono::seconds (120);
    std::thread (
        [limit]
        {
            std::this_thread::sleep_until (limit);
            fail ("still running two minutes after its time: a hang");
        })
        .detach();

    XSetErrorHandler (ignoreXError); // the host's window may go before the editor's
    auto* display = XOpenDisplay (nullptr);
    check (display != nullptr, "no X server: run under tests/run-under-xvfb");
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    check (XTestQueryExtension (display, &eventBase, &errorBase, &major, &minor),
           "the X server has no XTest");

    BuiltPlugin library;
    if (library.entry() == nullptr)
        fail ("the plug-in did not load: " + library.error());

    std::mt19937 generator (seed);
    role = Role::main;
    choices = &generator;
    const auto end = Clock::now() + length;
    int rounds = 0;
    for (; Clock::now() < end; ++rounds)
        Round (library, display, rounds,
               std::min (end, Clock::now() + milliseconds (200 + below (2000))))
            .run();
    XCloseDisplay (display);

    long calls = 0;
    for (const auto* count : callCounts)
    {
        std::printf ("soak: %8ld %s\n", count->times.load(), count->what);
        calls += count->times;
    }
    for (const auto* count : otherCounts)
        std::printf ("soak: %8ld %s\n", count->times.load(), count->what);
    std::printf ("soak: %8d rounds\nsoak: passed seed=%u calls=%ld\n", rounds, seed, calls);
    return 0;
}
