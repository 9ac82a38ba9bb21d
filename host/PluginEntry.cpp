// The library's entry point and its load and unload work.

#include "host/JuceVSTWrapper.h"

#include <juce_events/juce_events.h>

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace
{
// The toolkit's user-interface layer lives exactly as long as the library is loaded. The thread
// that loads the library becomes the toolkit's message thread.
__attribute__ ((constructor)) void libraryLoaded()
{
    juce::initialiseJuce_GUI();
}

__attribute__ ((destructor)) void libraryUnloaded()
{
    juce::shutdownJuce_GUI();
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
