#pragma once

#include <juce_events/juce_events.h>

#include <future>
#include <memory>

/** The toolkit's life inside the plug-in. Every instance holds a reference, and so does `main`
    while it builds one: the first reference starts the toolkit and the last stops it, counted
    across the process under one lock, whichever host threads take and drop them. Nothing starts
    or stops while the library is being loaded or unloaded, and the library, once loaded, stays in
    the process: hosts may keep the process's window-system error handler, which leads through the
    plug-in's, and the toolkit's threads finish in its code.

    The message thread is a thread of the plug-in's own, started and stopped with the toolkit, so
    that it does not matter which host threads make instances and which drive their editors, and
    no host thread has to deliver the toolkit's messages. The platform's part starts and stops it
    and waits for it: on Windows a host thread waiting for it answers meanwhile what it sends the
    host's windows (the editor's window is a child of one of them). */
class PluginToolkit
{
public:
    /** Keeps the toolkit running for as long as it lives. */
    class Reference
    {
    public:
        Reference();
        ~Reference();

        Reference (const Reference&) = delete;
        Reference& operator= (const Reference&) = delete;
    };

    /** Runs work on the message thread and answers its result, waiting for it there; runs it at
        once when called on the message thread. The call's state is shared on the heap by the
        waiting thread and the message thread, so neither touches what the other has let go. */
    template <typename Work> static auto callOnMessageThread (Work&& work) -> decltype (work());

private:
    /** Set once a call has run on the message thread; waited for by the thread that asked. */
    class Completion
    {
    public:
        Completion();
        ~Completion();
        Completion (const Completion&) = delete;
        Completion& operator= (const Completion&) = delete;

        void signal();
        void wait();

    private:
        void* event; // the platform's
    };

    // The platform's part: start the toolkit and its message thread, and stop them.
    static void start();
    static void stop();
};

template <typename Work> auto PluginToolkit::callOnMessageThread (Work&& work) -> decltype (work())
{
    using Result = decltype (work());
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

    if (messageManager == nullptr || messageManager->isThisTheMessageThread())
        return work();

    auto call = std::make_shared<std::packaged_task<Result()>> (std::forward<Work> (work));
    auto done = std::make_shared<Completion>();
    auto result = call->get_future();

    if (juce::MessageManager::callAsync (
            [call, done]
            {
                (*call)();
                done->signal();
            }))
        done->wait();
    else
        (*call)(); // the toolkit is gone: nothing else can run it any more

    return result.get();
}
