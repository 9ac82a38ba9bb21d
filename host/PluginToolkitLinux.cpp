#include "host/PluginToolkit.h"

#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include "host/ToolkitMessageLoop.h"

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace
{
/** The threads the toolkit starts. It would detach them, and a detached thread cannot be waited
    for: it reports itself finished a few instructions before it is. The library is linked so
    that the toolkit's pthread_detach lands here instead, and the threads stay joinable until the
    toolkit stops. */
class ToolkitThreads
{
public:
    static void adopt (pthread_t thread)
    {
        const std::lock_guard<std::mutex> lock (threadsLock);
        threads.push_back (thread);
    }

    /** Joins every thread the toolkit has started and stopped. One that fails to end within
        the time given is left for the next stop, rather than hanging the host for ever. */
    static void joinAll()
    {
        std::vector<pthread_t> toJoin;
        {
            const std::lock_guard<std::mutex> lock (threadsLock);
            toJoin.swap (threads);
        }

        for (const auto thread : toJoin)
        {
            timespec deadline{};
            clock_gettime (CLOCK_REALTIME, &deadline);
            deadline.tv_sec += patienceSeconds;

            if (pthread_timedjoin_np (thread, nullptr, &deadline) != 0)
                adopt (thread);
        }
    }

private:
    static constexpr int patienceSeconds = 10;
    static inline std::mutex threadsLock;
    static inline std::vector<pthread_t> threads;
};

/** Keeps the X errors of the toolkit's own connection to the plug-in. Xlib has one error handler
    for the whole process: the host's, or Xlib's default one, which ends the process. A window
    that the host destroys under the editor earns the toolkit errors that are nobody else's
    business, so while the toolkit runs, the plug-in's handler drops the errors of the toolkit's
    connection and hands every other one to the handler it replaced. */
class ToolkitXErrors
{
public:
    /** On the message thread, once the toolkit runs: opens the toolkit's connection. */
    static void keepToThePlugin()
    {
        auto* display = juce::XWindowSystem::getInstance()->getDisplay();

        if (display == nullptr)
            return;

        toolkitDisplay = display;
        const auto previous = XSetErrorHandler (handle);
        hostHandler = previous != handle ? previous : nullptr;
        installed = true;
    }

    /** Once the toolkit has closed its connection: the host gets its handler back, unless it has
        put another one in the plug-in's place meanwhile. */
    static void giveBack()
    {
        toolkitDisplay = nullptr;

        if (! installed)
            return;

        installed = false;

        if (const auto current = XSetErrorHandler (hostHandler); current != handle)
            XSetErrorHandler (current);
    }

private:
    static int handle (::Display* display, XErrorEvent* error)
    {
        if (display == toolkitDisplay)
            return 0;

        const auto next = hostHandler.load();
        return next != nullptr ? next (display, error) : 0;
    }

    static inline std::atomic<::Display*> toolkitDisplay{nullptr};
    static inline std::atomic<XErrorHandler> hostHandler{nullptr};
    static inline bool installed = false; // only touched on the message thread
};

/** X events that wait in Xlib's queue, unseen. The toolkit reads its X connection when the
    connection has data; but a call that waits for the server's reply (a pointer position for a
    timer, a window property to tell whether a component shows) also reads whatever events have
    arrived meanwhile into Xlib's queue, where nothing looks for them until more data comes. A
    key pressed just then would wait for the next mouse move. After each delivery the message
    thread looks at the queue, without reading the connection; if events wait there, it sends one
    message to a window of its own that nobody handles, and its arrival has the toolkit read
    everything queued. */
class WaitingXEvents
{
public:
    /** On the message thread, once the toolkit runs. */
    static void watch()
    {
        display = juce::XWindowSystem::getInstance()->getDisplay();

        if (display != nullptr)
            window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, 0, 0);
    }

    /** On the message thread, after each delivery. */
    static void deliverSoon()
    {
        if (display == nullptr || window == 0 || XEventsQueued (display, QueuedAlready) == 0)
            return;

        XEvent nudge{};
        nudge.xclient.type = ClientMessage;
        nudge.xclient.window = window;
        nudge.xclient.message_type = XA_STRING;
        nudge.xclient.format = 8;
        XSendEvent (display, window, False, NoEventMask, &nudge);
        XFlush (display);
    }

    /** Before the toolkit closes its connection, which takes the window with it. */
    static void stopWatching()
    {
        display = nullptr;
        window = 0;
    }

private:
    static inline ::Display* display = nullptr; // only touched on the message thread
    static inline ::Window window = 0;
};

/** Set once the process has begun to end (exit, or a return from the host's main) with the
    toolkit running. */
std::atomic<bool> processEnding{false};

/** The toolkit's message thread: starts the toolkit, delivers its messages, timers and X events
    for as long as any instance lives, whichever threads the host calls from and whether or not an
    editor is open, then stops the toolkit and joins the threads it made.

    It is told to stop through a descriptor of its own, which outlives the thread: the toolkit's
    own queue closes its descriptors as the toolkit stops, and a host thread still writing to them
    would race with that.

    A process that ends with instances open runs its exit handlers, the toolkit's static objects'
    destructors among them, while this thread still runs. So at exit the thread is parked: it
    finishes what it is delivering and then does nothing more, holding on to the toolkit, its
    windows and its X connection until the process is gone. Stopping the toolkit there instead
    would use what the exit handlers have already destroyed. */
class MessageLoop
{
public:
    MessageLoop() { started.get_future().wait(); }

    ~MessageLoop()
    {
        requestStop();
        thread.join();
        ::close (stopRequest);
    }

    /** Parks the thread, waiting a little for it to get there. */
    void park()
    {
        parkRequested = true;
        requestStop();
        parked.get_future().wait_for (std::chrono::seconds (parkPatienceSeconds));
    }

private:
    static constexpr int parkPatienceSeconds = 2;

    void requestStop()
    {
        const std::uint64_t once = 1;
        [[maybe_unused]] const auto written = ::write (stopRequest, &once, sizeof (once));
    }

    void run()
    {
        juce::Thread::setCurrentThreadName ("Lampwick GUI");
        juce::initialiseJuce_GUI(); // this thread becomes the message thread
        ToolkitXErrors::keepToThePlugin();
        WaitingXEvents::watch();
        auto quit = false;
        juce::LinuxEventLoop::registerFdCallback (stopRequest,
                                                  [&quit] (int request)
                                                  {
                                                      std::uint64_t count = 0;
                                                      quit = ::read (request, &count,
                                                                     sizeof (count)) > 0;
                                                  });
        started.set_value();

        while (! quit)
        {
            ToolkitMessageLoop::dispatchNext (false);
            WaitingXEvents::deliverSoon();
        }

        if (parkRequested)
        {
            parked.set_value();

            for (;;)
                ::pause();
        }

        juce::LinuxEventLoop::unregisterFdCallback (stopRequest);
        WaitingXEvents::stopWatching();
        juce::shutdownJuce_GUI();
        ToolkitXErrors::giveBack();
        ToolkitThreads::joinAll();
    }

    static int makeStopRequest()
    {
        const auto descriptor = eventfd (0, EFD_CLOEXEC);

        // Without it the thread could never be stopped: then there is no toolkit, and no instance.
        if (descriptor < 0)
            throw std::runtime_error ("no descriptor left to stop the message thread with");

        return descriptor;
    }

    const int stopRequest = makeStopRequest();
    std::atomic<bool> parkRequested{false};
    std::promise<void> started, parked;
    std::thread thread{[this] { run(); }}; // last: runs once the rest is made
};

// Not an object with a destructor: at exit the loop is parked, never stopped.
std::atomic<MessageLoop*> messageLoop{nullptr};

void parkAtExit()
{
    processEnding = true;

    if (auto* loop = messageLoop.load())
        loop->park();
}

// While the message thread runs, a host thread waiting for it looks up this often to see whether
// the process is ending, when it gives up waiting.
constexpr int waitStepMs = 50;
} // namespace

/** Bound to pthread_detach for the toolkit's code by the linker (--wrap): see ToolkitThreads. */
extern "C" int __wrap_pthread_detach (pthread_t thread)
{
    ToolkitThreads::adopt (thread);
    return 0;
}

PluginToolkit::Delivery PluginToolkit::deliver (const std::function<void()>& call)
{
    if (processEnding)
        return Delivery::abandoned;

    // A call the waiting thread has given up on must not start later: what it refers to is gone
    // with the waiting thread's frame. One that has started is waited for to the end.
    enum : int
    {
        queued,
        running,
        abandoned
    };

    struct State
    {
        std::atomic<int> stage{queued};
        juce::WaitableEvent done{true};
    };

    auto state = std::make_shared<State>();

    if (! juce::MessageManager::callAsync (
            [call, state]
            {
                auto expected = (int) queued;

                if (state->stage.compare_exchange_strong (expected, running))
                    call();

                state->done.signal();
            }))
        return Delivery::noToolkit;

    while (! state->done.wait (waitStepMs))
    {
        auto expected = (int) queued;

        if (processEnding && state->stage.compare_exchange_strong (expected, abandoned))
            return Delivery::abandoned;
    }

    return Delivery::ran;
}

bool PluginToolkit::mayChangeWindowsNow()
{
    return true; // X sends nothing that waits for the host: no call arrives nested
}

bool PluginToolkit::idleMayLeaveMessageThreadAlone()
{
    return true; // the message thread reads its own X connection
}

void PluginToolkit::start()
{
    if (processEnding)
        throw std::runtime_error ("the process is ending");

    messageLoop = new MessageLoop();

    // Registered once the toolkit has made its process-wide objects: exit runs its handlers and
    // destroys statics in the reverse order of their making, so the thread is parked before any
    // of them goes, even while it paints.
    static const bool parksAtExit = std::atexit (parkAtExit) == 0;

    if (! parksAtExit)
    {
        delete messageLoop.exchange (nullptr);
        throw std::runtime_error ("the message thread could not be parked at exit");
    }
}

void PluginToolkit::stop()
{
    // At exit the parked thread stays as it is.
    if (! processEnding)
        delete messageLoop.exchange (nullptr);
}
