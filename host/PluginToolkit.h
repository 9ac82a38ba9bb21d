#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <future>
#include <memory>
#include <type_traits>

/** The toolkit's life inside the plug-in. Every instance holds a reference, and so does `main`
    while it builds one: the first reference starts the toolkit and the last stops it, counted
    across the process under one lock, whichever host threads take and drop them. Nothing starts
    or stops while the library is being loaded or unloaded, and the library, once loaded, stays in
    the process: hosts may keep the process's window-system error handler, which leads through the
    plug-in's, and the toolkit's threads finish in its code.

    The message thread is a thread of the plug-in's own, started and stopped with the toolkit, so
    that it does not matter which host threads make instances and which drive their editors, and
    no host thread has to deliver the toolkit's messages. The platform's part starts and stops it
    and hands it the host threads' calls: on Windows each side answers meanwhile what the other
    sends its windows (the editor's window is a child of one of the host's), so a host may call
    the plug-in from its window procedure while it answers the editor's window. A process that
    ends with the toolkit running leaves it as it is. */
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
        once when called on the message thread, or when there is no toolkit. Once the process has
        begun to end with the toolkit running, the work is left undone and a default result
        answered: the message thread no longer runs anything. */
    template <typename Work> static auto callOnMessageThread (Work&& work) -> decltype (work());

    /** On the message thread: whether the editor's windows may be made or destroyed now. Not
        while a call arrived nested inside the message thread's own work (on Windows, a host that
        calls from its window procedure while it answers a message of the editor's windows), since
        the windows being made, moved or destroyed further up that thread would be pulled from
        under it. */
    static bool mayChangeWindowsNow();

    /** Whether a host's idle call may leave the message thread alone when the editor has nothing
        to do. Not on Windows: there the editor's windows share their input with the host's window
        on the host's thread, and with the idle calls no longer visiting the message thread, a
        click in the editor's menu under wine went unanswered. */
    static bool idleMayLeaveMessageThreadAlone();

private:
    enum class Delivery
    {
        ran,
        noToolkit,
        abandoned // the process is ending
    };

    /** The platform's part: runs the call on the message thread and waits for it. */
    static Delivery deliver (const std::function<void()>& call);

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

    // Shared with the message thread, which may still hold it when an abandoned wait returns.
    auto call = std::make_shared<std::packaged_task<Result()>> (std::forward<Work> (work));
    auto result = call->get_future();

    switch (deliver ([call] { (*call)(); }))
    {
    case Delivery::noToolkit:
        (*call)(); // nothing else can run it any more
        break;
    case Delivery::abandoned:
        if constexpr (std::is_void_v<Result>)
            return;
        else
            return Result{};
    case Delivery::ran:
        break;
    }

    return result.get();
}
