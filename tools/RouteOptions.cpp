#include "RouteOptions.h"

#include "plugin/RoutesText.h"
#include "tools/PluginSearch.h"

namespace
{
bool parseWholeNumber (const juce::String& text, int minimum, int maximum, int& value)
{
    if (text.isEmpty() || ! text.containsOnly ("0123456789") || text.length() > 9)
        return false;

    value = text.getIntValue();
    return value >= minimum && value <= maximum;
}

} // namespace

juce::String RouteOptions::parse (const juce::StringArray& arguments)
{
    juce::StringArray files;

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        const auto takesValue = argument == "--route" || argument == "--state" ||
                                argument == "--rate" || argument == "--block" ||
                                argument == "--plugin" || argument == "--make-demo" ||
                                argument == "--save-state" || argument == "--print-state";

        if (takesValue && i + 1 >= arguments.size())
            return argument + " needs a value";

        const auto value = takesValue ? arguments[++i] : juce::String();

        if (argument == "--route")
        {
            if (auto problem = RoutesText::read (value, routes); problem.isNotEmpty())
                return problem;
            hasRoutes = true;
        }
        else if (argument == "--state")
            stateFile = value;
        else if (argument == "--save-state")
            saveStateFile = value;
        else if (argument == "--plugin")
            pluginFile = value;
        else if (argument == "--make-demo")
            demoFile = value;
        else if (argument == "--print-state")
            printStateFile = value;
        else if (argument == "--rate")
        {
            if (! parseWholeNumber (value, 1000, 768000, sampleRate))
                return "--rate '" + value + "' must be a whole number of Hz from 1000 to 768000";
        }
        else if (argument == "--block")
        {
            if (! parseWholeNumber (value, 1, 65536, blockSize))
                return "--block '" + value + "' must be a whole number of samples from 1 to 65536";
        }
        else if (argument == "--print")
            printEvents = true;
        else if (argument == "--help" || argument == "-h")
            showHelp = true;
        else if (argument.startsWith ("-"))
            return "unknown option '" + argument + "'";
        else
            files.add (argument);
    }

    if (showHelp)
        return {};

    if (hasRoutes && stateFile.isNotEmpty())
        return "give either --route or --state, not both";

    if (demoFile.isNotEmpty())
        return files.isEmpty() ? juce::String() : "--make-demo takes no other files";

    if (printStateFile.isNotEmpty())
        return files.isEmpty() ? juce::String() : "--print-state takes no other files";

    if (files.size() != 2)
        return "give one MIDI file to read and one to write";

    inputFile = files[0];
    outputFile = files[1];

    if (pluginFile.isEmpty())
    {
        const auto searched =
            PluginSearch::folders (juce::File::getSpecialLocation (juce::File::userHomeDirectory));
        pluginFile = PluginSearch::find (searched).getFullPathName();

        if (pluginFile.isEmpty())
            return juce::String ("no ") + PluginSearch::fileName + " in " +
                   PluginSearch::describe (searched) +
                   ": install the plug-in (scripts/run does) or give --plugin PATH";
    }

    return {};
}

juce::String RouteOptions::usage()
{
    return "usage: lampwick-route [options] INPUT.mid OUTPUT.mid\n"
           "       lampwick-route --make-demo FILE.mid\n"
           "       lampwick-route --print-state FILE\n"
           "\n"
           "Routes the MIDI of INPUT.mid through the Lampwick plug-in, block by block as a host\n"
           "plays it, and writes what comes out to OUTPUT.mid.\n"
           "\n"
           "  --route IN:OUT[,OUT...]  switch on routes from input channel IN (1-16) to each OUT;\n"
           "                           repeat, or separate routes with spaces, for more\n"
           "  --state FILE             restore a saved 256-byte routing state instead\n"
           "  --save-state FILE        write the routing state the plug-in ends with\n"
           "  --rate HZ                sample rate (default 44100)\n"
           "  --block N                block size in samples (default 512)\n"
           "  --plugin PATH            the plug-in to load (default: Lampwick.so from ~/.vst,\n"
           "                           else /usr/local/lib/vst, else /usr/lib/vst)\n"
           "  --print                  list the events before and after routing\n"
           "  --make-demo FILE.mid     write a small multi-channel demo file and stop\n"
           "  --print-state FILE       print the routes of a saved 256-byte state as --route "
           "takes\n"
           "                           them (1:4,10 2:2), or none, and stop\n";
}
