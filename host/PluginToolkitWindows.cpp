#include "host/PluginToolkit.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <windows.h>

#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

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
    nested inside this thread's own work, must leave the windows that work is busy with alone:
    mayChangeWindowsNow() says so. */
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

    ~MessageLoop()
    {
        juce::MessageManager::callAsync ([this] { quit = true; });
        thread.join();
    }

    /** Runs the call on this thread, waiting for it in the send. */
    void run (const std::function<void()>& call)
    {
        SendMessageW (callWindow, callMessage, 0, reinterpret_cast<LPARAM> (&call));
    }

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

        const auto nested = ! waitingInLoop;
        waitingInLoop = false;
        nestedCalls += nested ? 1 : 0;
        (*reinterpret_cast<const std::function<void()>*> (lParam))();
        nestedCalls -= nested ? 1 : 0;
        waitingInLoop = ! nested;
        return 0;
    }

    bool quit = false; // only touched on the message thread
    HWND callWindow = nullptr;
    std::promise<void> started;
    std::thread thread{[this] { run(); }}; // last: runs once the rest is made
};

// Not an object with a destructor: a process that ends with instances open has had this thread
// ended by Windows before the library's static objects go, and nothing is left to stop.
MessageLoop* messageLoop = nullptr;
} // namespace

PluginToolkit::Delivery PluginToolkit::deliver (const std::function<void()>& call)
{
    if (messageLoop == nullptr)
        return Delivery::noToolkit;

    messageLoop->run (call);
    return Delivery::ran;
}

bool PluginToolkit::mayChangeWindowsNow()
{
    return MessageLoop::nestedCalls == 0;
}

/** The module is pinned: the toolkit's threads finish in its code after the toolkit has stopped,
    and the host may free the library at once. */
void PluginToolkit::start()
{
    static const char anchor = 0;
    HMODULE self = nullptr;
    GetModuleHandleExW (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                        reinterpret_cast<LPCWSTR> (&anchor), &self);
    messageLoop = new MessageLoop();
}

void PluginToolkit::stop()
{
    delete messageLoop;
    messageLoop = nullptr;
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
