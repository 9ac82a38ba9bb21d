#pragma once

#include <juce_events/juce_events.h>

/** The toolkit's life inside the plug-in. Every instance holds one: the first starts the toolkit
    and the last shuts it down, so it runs exactly while the host keeps any instance, and never
    starts or stops while the library is being loaded or unloaded.

    While it runs, the toolkit's messages and timers are serviced the platform's way: on Linux a
    thread of the plug-in's own is the toolkit's message thread, since Linux hosts share no event
    loop with their plug-ins; on Windows the host's own message loop does it. Host threads that
    touch the toolkit take its message-manager lock. */
class PluginToolkit
{
public:
    PluginToolkit();
    ~PluginToolkit();

private:
    class MessageLoop;

    const juce::ScopedJuceInitialiser_GUI toolkit;
    const juce::SharedResourcePointer<MessageLoop> messageLoop;

    JUCE_DECLARE_NON_COPYABLE (PluginToolkit)
};
