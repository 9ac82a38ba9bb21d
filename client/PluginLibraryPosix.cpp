// The plug-in loaded as Linux hosts load it.

#include "client/PluginLibrary.h"

#include <dlfcn.h>

PluginLibrary::PluginLibrary (const char* path)
{
    handle = dlopen (path, RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
    {
        loadError = dlerror();
        return;
    }

    mainFunction = reinterpret_cast<MainFunction> (dlsym (handle, "main"));

    if (mainFunction == nullptr)
        loadError = "it has no entry point 'main'";
}

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        dlclose (handle);
}

bool PluginLibrary::isLoaded (const char* path)
{
    void* loaded = dlopen (path, RTLD_NOW | RTLD_NOLOAD);
    if (loaded != nullptr)
        dlclose (loaded);
    return loaded != nullptr;
}
