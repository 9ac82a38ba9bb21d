#include "host/PluginToolkit.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <windows.h>

/** On Windows the host's user-interface thread, which takes the first reference and so becomes
    the toolkit's message thread, delivers the toolkit's messages and timers through its own
    message loop. The module is pinned: the toolkit's timer thread finishes in its code after the
    toolkit has stopped, and the host may free the library at once. */
void PluginToolkit::start()
{
    static const char anchor = 0;
    HMODULE self = nullptr;
    GetModuleHandleExW (GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                        reinterpret_cast<LPCWSTR> (&anchor), &self);
    juce::initialiseJuce_GUI();
}

void PluginToolkit::stop()
{
    juce::shutdownJuce_GUI();
}

bool PluginToolkit::messageThreadIsTheHosts()
{
    return true;
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
