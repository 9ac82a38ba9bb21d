#include "host/PluginToolkit.h"

namespace juce
{
// Defined by JUCE's Linux build: waits for and delivers the next message or window-system event.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

/** The toolkit's message thread: delivers messages, timers and X events for as long as any
    instance lives, whichever thread the host calls from, and whether or not an editor is open. */
class PluginToolkit::MessageLoop : private juce::Thread
{
public:
    MessageLoop() : juce::Thread ("Lampwick messages")
    {
        startThread();
        running.wait();
    }

    ~MessageLoop() override
    {
        signalThreadShouldExit();
        juce::MessageManager::callAsync ([] {}); // wakes the loop from its wait
        stopThread (-1);

        // The thread that lets the last instance go takes the toolkit back, to shut it down.
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    }

private:
    void run() override
    {
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        running.signal();

        while (! threadShouldExit())
            juce::dispatchNextMessageOnSystemQueue (false);
    }

    juce::WaitableEvent running;
};

PluginToolkit::PluginToolkit() = default;
PluginToolkit::~PluginToolkit() = default;
