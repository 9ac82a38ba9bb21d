#pragma once

#include <juce_events/juce_events.h>

/** One turn of the toolkit's own message loop: waits for the next message or window-system event and
    delivers it, or with returnIfNoPendingMessages returns false at once when none waits. JUCE keeps
    the call it is made of to itself, in namespace juce up to JUCE 7 and in juce::detail from
    JUCE 8; this is the one place that knows which. */
#if JUCE_MAJOR_VERSION >= 8
namespace juce::detail
#else
namespace juce
#endif
{
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace ToolkitMessageLoop
{
inline bool dispatchNext (bool returnIfNoPendingMessages)
{
#if JUCE_MAJOR_VERSION >= 8
    return juce::detail::dispatchNextMessageOnSystemQueue (returnIfNoPendingMessages);
#else
    return juce::dispatchNextMessageOnSystemQueue (returnIfNoPendingMessages);
#endif
}
} // namespace ToolkitMessageLoop
