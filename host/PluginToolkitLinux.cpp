#include "host/PluginToolkit.h"

#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace juce
{
// Defined by JUCE's Linux build: waits for and delivers the next message or window-system event.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

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

/** The toolkit's message thread: starts the toolkit, delivers its messages, timers and X events
    for as long as any instance lives, whichever threads the host calls from and whether or not an
    editor is open, then stops the toolkit and joins the threads it made.

    It is told to stop through a descriptor of its own, which outlives the thread: the toolkit's
    own queue closes its descriptors as the toolkit stops, and a host thread still writing to them
    would race with that. */
class MessageLoop
{
public:
    MessageLoop() { started.get_future().wait(); }

    ~MessageLoop()
    {
        const std::uint64_t once = 1;
        [[maybe_unused]] const auto written = ::write (stopRequest, &once, sizeof (once));
        thread.join();
        ::close (stopRequest);
    }

private:
    void run()
    {
        juce::Thread::setCurrentThreadName ("Lampwick GUI");
        juce::initialiseJuce_GUI(); // this thread becomes the message thread
        ToolkitXErrors::keepToThePlugin();
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
            juce::dispatchNextMessageOnSystemQueue (false);

        juce::LinuxEventLoop::unregisterFdCallback (stopRequest);
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
    std::promise<void> started;
    std::thread thread{[this] { run(); }}; // last: runs once the rest is made
};

std::unique_ptr<MessageLoop> messageLoop;
} // namespace

/** Bound to pthread_detach for the toolkit's code by the linker (--wrap): see ToolkitThreads. */
extern "C" int __wrap_pthread_detach (pthread_t thread)
{
    ToolkitThreads::adopt (thread);
    return 0;
}

PluginToolkit::Completion::Completion() : event (new juce::WaitableEvent (true)) {}

PluginToolkit::Completion::~Completion()
{
    delete static_cast<juce::WaitableEvent*> (event);
}

void PluginToolkit::Completion::signal()
{
    static_cast<juce::WaitableEvent*> (event)->signal();
}

void PluginToolkit::Completion::wait()
{
    static_cast<juce::WaitableEvent*> (event)->wait();
}

void PluginToolkit::start()
{
    messageLoop = std::make_unique<MessageLoop>();
}

void PluginToolkit::stop()
{
    messageLoop.reset();
}
