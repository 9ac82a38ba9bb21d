// The plug-in loaded as Windows hosts load it.

#include "client/PluginLibrary.h"

#include <windows.h>

PluginLibrary::PluginLibrary (const char* path)
{
    auto* module = LoadLibraryA (path);
    handle = module;

    if (module == nullptr)
    {
        loadError = "LoadLibrary failed with error " + std::to_string (GetLastError());
        return;
    }

    // GetProcAddress answers every function as the same type; `main` has the host's signature.
    mainFunction = reinterpret_cast<MainFunction> (
        reinterpret_cast<void (*)()> (GetProcAddress (module, "main")));

    if (mainFunction == nullptr)
        loadError = "it has no entry point 'main'";
}

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        FreeLibrary (static_cast<HMODULE> (handle));
}

bool PluginLibrary::isLoaded (const char* path)
{
    return GetModuleHandleA (path) != nullptr;
}
