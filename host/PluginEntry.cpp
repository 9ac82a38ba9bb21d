// The library's entry point.

#include "host/JuceVSTWrapper.h"
#include "host/PluginToolkit.h"

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace
{
/** One instance as the host gets it: the adapter, with the toolkit kept running for as long as
    the adapter lives (the reference is the first base: made first, let go last, on the thread
    that deletes the instance, once the adapter has done its part on the message thread). */
class PluginInstance : private PluginToolkit::Reference, public JuceVSTWrapper
{
public:
    using JuceVSTWrapper::JuceVSTWrapper;
};
} // namespace

/** The host's `main (audioMasterCallback)`. A C++ function cannot be called main with this
    signature: the linker exports this one under that name, as the library's only export. */
extern "C" vst2::AEffect* VSTCALLBACK vstPluginMain (vst2::audioMasterCallback audioMaster)
{
    try
    {
        const PluginToolkit::Reference toolkit; // up while the instance is built, if one is

        // A host that does not answer the version query gets nothing.
        if (audioMaster == nullptr ||
            audioMaster (nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;

        std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());

        if (processor == nullptr)
            return nullptr;

        return (new PluginInstance (audioMaster, std::move (processor)))->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}
