#pragma once

#include "plugin/RoutesText.h"

#include <juce_core/juce_core.h>

/** The command line of lampwick-route, checked. Every problem becomes a message for the user. */
struct RouteOptions
{
    static constexpr int stateSize = routing::numCells;

    juce::String inputFile, outputFile, demoFile, stateFile, saveStateFile, printStateFile;
    juce::String pluginFile;
    RoutesText::Cells routes{};
    bool hasRoutes = false;
    int sampleRate = 44100;
    int blockSize = 512;
    bool printEvents = false;
    bool showHelp = false;

    /** Fills the options from the arguments; answers an error message, or an empty text. */
    juce::String parse (const juce::StringArray& arguments);

    static juce::String usage();
};
