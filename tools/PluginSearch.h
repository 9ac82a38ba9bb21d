#pragma once

#include <juce_core/juce_core.h>

/** Where lampwick-route looks for the plug-in when no --plugin is given: the user's own VST
    folder first, then the machine's, as a package puts it there. */
namespace PluginSearch
{
constexpr const char* fileName = "Lampwick.so";

inline juce::Array<juce::File> folders (const juce::File& home)
{
    return {home.getChildFile (".vst"), juce::File ("/usr/local/lib/vst"),
            juce::File ("/usr/lib/vst")};
}

/** The plug-in in the first of the folders that has one; none when none has. */
inline juce::File find (const juce::Array<juce::File>& searched)
{
    for (const auto& folder : searched)
        if (const auto file = folder.getChildFile (fileName); file.existsAsFile())
            return file;

    return {};
}

/** "/home/me/.vst, /usr/local/lib/vst or /usr/lib/vst", for a message. */
inline juce::String describe (const juce::Array<juce::File>& searched)
{
    juce::String text;
    for (int i = 0; i < searched.size(); ++i)
        text << (i == 0 ? "" : i == searched.size() - 1 ? " or " : ", ")
             << searched.getReference (i).getFullPathName();

    return text;
}
} // namespace PluginSearch
