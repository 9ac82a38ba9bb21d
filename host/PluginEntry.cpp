// The library's entry point, and the toolkit's lifetime inside the library.

#include "host/JuceVSTWrapper.h"

#include <juce_events/juce_events.h>

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace
{
/** Starts the toolkit's user-interface layer once per process, on the thread that first calls
    `main` (the host's user-interface thread, which becomes the toolkit's message thread), and
    shuts it down when the library is unloaded.

    Not from an ELF constructor: those run before the toolkit's own static objects are
    initialised, which then forget the message queue and leak it at unload. A function-local
    static is built after them and, at unload, destroyed before them. */
void ensureToolkit()
{
    // The toolkit's list of objects to delete at shutdown is itself a function-local static,
    // made by the first such object (a glyph cache, once the editor paints). Made after the
    // toolkit, it would be destroyed before the toolkit's shutdown walks it: make it first.
    struct ShutdownListPrimer : juce::DeletedAtShutdown
    {
    };
    static const bool shutdownListMade = (delete new ShutdownListPrimer(), true);
    static const juce::ScopedJuceInitialiser_GUI toolkit;
    juce::ignoreUnused (shutdownListMade);
}
} // namespace

/** The host's `main (audioMasterCallback)`. A C++ function cannot be called main with this
    signature, so the symbol name is bound to it here; the linker's version script makes it the
    library's only export. */
extern "C" __attribute__ ((visibility ("default"))) vst2::AEffect* VSTCALLBACK
vstPluginMain (vst2::audioMasterCallback audioMaster) __asm__("main");

extern "C" vst2::AEffect* VSTCALLBACK vstPluginMain (vst2::audioMasterCallback audioMaster)
{
    try
    {
        ensureToolkit();
        juce::MessageManager::getInstance();

        // A host that does not answer the version query gets nothing.
        if (audioMaster == nullptr ||
            audioMaster (nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;

        std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());

        if (processor == nullptr)
            return nullptr;

        return (new JuceVSTWrapper (audioMaster, std::move (processor)))->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}
