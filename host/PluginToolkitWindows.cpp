#include "host/PluginToolkit.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <windows.h>

#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

namespace juce
{
// Defined by JUCE's Windows build: decides whether a modal component (an open menu) takes a
// message away from the window it is addressed to.
using CheckEventBlockedByModalComps = bool (*) (const MSG&);
extern CheckEventBlockedByModalComps isEventBlockedByModalComps;
} // namespace juce

namespace
{
/** The toolkit's message thread: starts the toolkit, delivers its messages, timers and window
    messages for as long as any instance lives, whichever threads the host calls from, then stops
    the toolkit.

    Host threads hand it their calls by sending a message to a window of its own, and wait in the
    send. The editor's window is a child of a window of the host's, so making, focusing, moving or
    destroying it has Windows send the host's window messages and wait for the host's thread to
    answer; a host answering one of those may call the plug-in from its window procedure. A send
    is answered meanwhile on both sides: the host's thread answers the messages its windows get
    while it waits for this thread, and this thread answers the host's calls while it waits for the
    host's thread, as one thread would that called itself back. A call that arrives this way,
    nested inside this thread's own work, from a host thread that is itself answering a message,
    must leave the windows that work is busy with alone: mayChangeWindowsNow() says so. A call from
    any other host thread that finds this thread busy is sent again once it is back in its loop.

    The thread is stopped without being waited for, since the thread that stops it may be one it
    is waiting on (a host closing its last instance from its window procedure), or itself: the next
    start waits for it to have finished instead. */
class MessageLoop
{
public:
    static constexpr UINT callMessage = WM_APP + 1;

    MessageLoop()
    {
        try
        {
            started.get_future().get();
        }
        catch (...)
        {
            thread.join();
            throw;
        }
    }

    /** Asks the thread to stop the toolkit and end, without waiting for it. */
    void requestStop()
    {
        juce::MessageManager::callAsync ([this] { quit = true; });
    }

    /** Waits for the thread to have ended; never on a thread it may be waiting on. */
    void join() { thread.join(); }

    /** A host thread's call, handed to this thread. */
    struct Call
    {
        const std::function<void()>& work;
        bool callerAnswersAMessage; // the caller may be what this thread is waiting on
        bool ran = false;
    };

    /** Runs the call on this thread, waiting for it in the send; answers whether it ran. */
    bool run (Call& call)
    {
        SendMessageW (callWindow, callMessage, 0, reinterpret_cast<LPARAM> (&call));
        return call.ran;
    }

    /** Whether the thread still takes calls. */
    bool takesCalls() const { return IsWindow (callWindow) != FALSE; }

    // Only touched on the message thread.
    static inline bool waitingInLoop = false; // in the loop's own wait: nothing of it is busy
    static inline int nestedCalls = 0;        // calls under way that arrived inside its work

private:
    void run()
    {
        juce::initialiseJuce_GUI(); // this thread becomes the message thread
        callWindow = makeCallWindow();

        if (callWindow == nullptr)
        {
            juce::shutdownJuce_GUI();
            started.set_exception (std::make_exception_ptr (
                std::runtime_error ("no window to take the host's calls with")));
            return;
        }

        started.set_value();

        while (! quit)
            dispatchNextMessage();

        DestroyWindow (callWindow);
        juce::shutdownJuce_GUI();
    }

    /** The toolkit's own dispatch, with the wait marked as the loop's own. */
    static void dispatchNextMessage()
    {
        MSG message;
        waitingInLoop = true;
        const auto got = GetMessageW (&message, nullptr, 0, 0);
        waitingInLoop = false;

        if (got <= 0)
            return;

        if (juce::isEventBlockedByModalComps == nullptr ||
            ! juce::isEventBlockedByModalComps (message))
        {
            TranslateMessage (&message);
            DispatchMessageW (&message);
        }
    }

    static HWND makeCallWindow()
    {
        static const wchar_t className[] = L"LampwickCalls";
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof (windowClass);
        windowClass.lpfnWndProc = takeCall;
        windowClass.hInstance = (HINSTANCE) juce::Process::getCurrentModuleInstanceHandle();
        windowClass.lpszClassName = className;
        RegisterClassExW (&windowClass); // fails harmlessly when already registered

        return CreateWindowExW (0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    }

    static LRESULT CALLBACK takeCall (HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != callMessage)
            return DefWindowProcW (window, message, wParam, lParam);

        auto& call = *reinterpret_cast<Call*> (lParam);
        const auto nested = ! waitingInLoop;

        // A host thread this thread is not waiting on comes back once it is back in its loop.
        if (nested && ! call.callerAnswersAMessage)
            return 0;

        waitingInLoop = false;
        nestedCalls += nested ? 1 : 0;
        call.ran = true;
        call.work();
        nestedCalls -= nested ? 1 : 0;
        waitingInLoop = ! nested;
        return 0;
    }

    bool quit = false; // only touched on the message thread
    HWND callWindow = nullptr;
    std::promise<void> started;
    std::thread thread{[this] { run(); }}; // last: runs once the rest is made
};

// Not objects with destructors: a process that ends with instances open has had the thread ended
// by Windows before the library's static objects go, and nothing is left to stop.
MessageLoop* messageLoop = nullptr;
MessageLoop* stoppedLoop = nullptr; // asked to stop, not yet waited for

/** Answers the messages other threads send this one's windows for a moment, in the wait between
    two tries of a call. */
void answerSentMessagesBriefly()
{
    constexpr DWORD moment = 1; // ms
    MsgWaitForMultipleObjects (0, nullptr, FALSE, moment, QS_SENDMESSAGE);
    MSG message;
    PeekMessageW (&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
} // namespace

PluginToolkit::Delivery PluginToolkit::deliver (const std::function<void()>& work)
{
    if (messageLoop == nullptr)
        return Delivery::noToolkit;

    MessageLoop::Call call{work, InSendMessage() != FALSE};

    while (! messageLoop->run (call))
    {
        if (! messageLoop->takesCalls())
            return Delivery::noToolkit;

        answerSentMessagesBriefly();
    }

    return Delivery::ran;
}

bool PluginToolkit::mayChangeWindowsNow()
{
    return MessageLoop::nestedCalls == 0;
}

bool PluginToolkit::idleMayLeaveMessageThreadAlone()
{
    return false;
}

/** The module is pinned: the toolkit's threads finish in its code after the toolkit has stopped,
    and the host may free the library at once. */
void PluginToolkit::start()
{
    static const char anchor = 0;
    HMODULE self = nullptr;
    GetModuleHandleExW (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                        reinterpret_cast<LPCWSTR> (&anchor), &self);

    // The toolkit is one per process: the last thread must have stopped it before the next starts.
    if (auto* stopped = std::exchange (stoppedLoop, nullptr))
    {
        stopped->join();
        delete stopped;
    }

    messageLoop = new MessageLoop();
}

void PluginToolkit::stop()
{
    auto* stopping = std::exchange (messageLoop, nullptr);
    stopping->requestStop();

    // Waited for here, unless this is the thread itself or one it may be waiting on (a host
    // answering one of its messages): then by the next start.
    if (juce::MessageManager::existsAndIsCurrentThread() || InSendMessage())
    {
        stoppedLoop = stopping;
        return;
    }

    stopping->join();
    delete stopping;
}

/** The load notification runs under the loader lock, where creating or waiting on windows and
    threads can deadlock the host: it only records which module the plug-in is. The toolkit
    starts with the first instance and stops with the last, outside the loader lock. */
extern "C" BOOL WINAPI DllMain (HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        juce::Process::setCurrentModuleInstanceHandle (module);

    return TRUE;
}
