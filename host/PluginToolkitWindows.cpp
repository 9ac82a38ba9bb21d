#include "host/PluginToolkit.h"

#include <windows.h>

/** On Windows the host's user-interface thread, which calls `main` and so becomes the toolkit's
    message thread, delivers the toolkit's messages and timers through its own message loop. */
class PluginToolkit::MessageLoop
{
};

PluginToolkit::PluginToolkit() = default;
PluginToolkit::~PluginToolkit() = default;

/** The load notification runs under the loader lock, where creating or waiting on windows and
    threads can deadlock the host: it only records which module the plug-in is. The toolkit
    starts with the first instance and stops with the last, outside the loader lock. */
extern "C" BOOL WINAPI DllMain (HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        juce::Process::setCurrentModuleInstanceHandle (module);

    return TRUE;
}
