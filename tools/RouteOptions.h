#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** The command line of lampwick-route, checked. Every problem becomes a message for the user. */
struct RouteOptions
{
    static constexpr int stateSize = 256;
    static constexpr int numChannels = 16;

    juce::String inputFile, outputFile, demoFile, stateFile, saveStateFile;
    juce::String pluginFile;
    std::array<juce::uint8, stateSize> routes{};
    bool hasRoutes = false;
    int sampleRate = 44100;
    int blockSize = 512;
    bool printEvents = false;
    bool showHelp = false;

    /** Fills the options from the arguments; answers an error message, or an empty text. */
    juce::String parse (const juce::StringArray& arguments);

    static juce::String usage();
};
