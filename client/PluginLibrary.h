#pragma once

#include "host/VstInterface.h"

#include <string>

/** A VST 2 plug-in library loaded as a host loads it, with the platform's loader (dlopen,
    LoadLibrary), and its entry point `main`. The library is let go when this goes. */
class PluginLibrary
{
public:
    using MainFunction = vst2::AEffect* (*) (vst2::audioMasterCallback);

    explicit PluginLibrary (const char* path);
    ~PluginLibrary();

    PluginLibrary (const PluginLibrary&) = delete;
    PluginLibrary& operator= (const PluginLibrary&) = delete;

    /** Whether the library loaded (it may still have no `main`). */
    bool loaded() const { return handle != nullptr; }

    /** `main`, or nullptr when the library did not load or has none. */
    MainFunction entry() const { return mainFunction; }

    /** Why the library did not load; empty when it did. */
    std::string error() const { return loadError; }

    /** Whether the library at path is in the process now, without loading it. */
    static bool isLoaded (const char* path);

private:
    void* handle = nullptr;
    MainFunction mainFunction = nullptr;
    std::string loadError;
};
