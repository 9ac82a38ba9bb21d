#include "host/PluginToolkit.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <windows.h>

#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

namespace juce
{
// Defined by JUCE's Windows build: waits for and delivers the next message of this thread.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
/** Waits for the object, answering meanwhile the messages that other threads send this one's
    windows: the editor's window is a child of the host's, and making, moving, focusing or
    destroying it sends the host's windows messages that the host's thread must answer before
    the message thread goes on. Posted messages stay queued for the host's own loop. */
void waitAnswering (HANDLE object)
{
    while (MsgWaitForMultipleObjects (1, &object, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0)
    {
        MSG message;
        PeekMessageW (&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

/** The toolkit's message thread: starts the toolkit, delivers its messages, timers and window
    messages for as long as any instance lives, whichever threads the host calls from, then stops
    the toolkit. */
class MessageLoop
{
public:
    MessageLoop() { started.get_future().wait(); }

    ~MessageLoop()
    {
        juce::MessageManager::callAsync ([this] { quit = true; });
        thread.join();
    }

private:
    void run()
    {
        juce::initialiseJuce_GUI(); // this thread becomes the message thread
        started.set_value();

        while (! quit)
            juce::dispatchNextMessageOnSystemQueue (false);

        juce::shutdownJuce_GUI();
    }

    bool quit = false; // only touched on the message thread
    std::promise<void> started;
    std::thread thread{[this] { run(); }}; // last: runs once the rest is made
};

std::unique_ptr<MessageLoop> messageLoop;
} // namespace

PluginToolkit::Completion::Completion() : event (CreateEventW (nullptr, TRUE, FALSE, nullptr))
{
    if (event == nullptr)
        throw std::runtime_error ("no event to wait for the message thread with");
}

PluginToolkit::Completion::~Completion()
{
    CloseHandle (event);
}

void PluginToolkit::Completion::signal()
{
    SetEvent (event);
}

void PluginToolkit::Completion::wait()
{
    waitAnswering (event);
}

/** The module is pinned: the toolkit's threads finish in its code after the toolkit has stopped,
    and the host may free the library at once. */
void PluginToolkit::start()
{
    static const char anchor = 0;
    HMODULE self = nullptr;
    GetModuleHandleExW (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                        reinterpret_cast<LPCWSTR> (&anchor), &self);
    messageLoop = std::make_unique<MessageLoop>();
}

void PluginToolkit::stop()
{
    messageLoop.reset();
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
