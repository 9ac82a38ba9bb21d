// lampwick-route: routes a Standard MIDI File through the Lampwick plug-in, as a host plays it.

#include "DemoFile.h"
#include "HostedPlugin.h"
#include "RouteOptions.h"

#include <cstring>
#include <iostream>

namespace
{
constexpr int outputTicksPerQuarter = 960;
constexpr int outputMicrosecondsPerQuarter = 500000; // 120 beats per minute

int fail (const juce::String& message)
{
    std::cerr << "lampwick-route: " << message << std::endl;
    return 1;
}

juce::String writeMidiFile (const juce::MidiFile& midi, const juce::String& path)
{
    const juce::File file (path);
    file.deleteFile();
    juce::FileOutputStream stream (file);

    if (! stream.openedOk() || ! midi.writeTo (stream, 1))
        return "cannot write '" + path + "'";

    stream.flush();
    return stream.getStatus().wasOk() ? juce::String() : "cannot write '" + path + "'";
}

juce::String readMidiFile (const juce::String& path, juce::MidiFile& midi)
{
    const juce::File file (path);
    if (! file.existsAsFile())
        return "cannot read '" + path + "': no such file";

    juce::FileInputStream stream (file);
    if (! stream.openedOk())
        return "cannot read '" + path + "': " + stream.getStatus().getErrorMessage();

    int fileType = 0;
    if (! midi.readFrom (stream, true, &fileType))
        return "'" + path + "' is not a Standard MIDI File";

    if (midi.getTimeFormat() <= 0)
        return "'" + path + "' uses SMPTE time, which this tool does not play";

    return {};
}

juce::String readState (const juce::String& path, juce::MemoryBlock& state)
{
    const juce::File file (path);
    state.reset(); // loadFileAsData appends
    if (! file.existsAsFile() || ! file.loadFileAsData (state))
        return "cannot read state file '" + path + "'";

    if ((int) state.getSize() != RouteOptions::stateSize)
        return "state file '" + path + "' has " + juce::String ((int) state.getSize()) +
               " bytes; a routing state has exactly 256";

    return {};
}

juce::String channelList (const std::vector<HostedPlugin::TimedEvent>& events)
{
    std::array<bool, 17> used{};
    for (const auto& e : events)
        used[(size_t) juce::jmax (0, e.message.getChannel())] = true;

    juce::StringArray channels;
    for (int c = 1; c <= 16; ++c)
        if (used[(size_t) c])
            channels.add (juce::String (c));
    return channels.isEmpty() ? "none" : channels.joinIntoString (", ");
}

void print (const char* heading, const std::vector<HostedPlugin::TimedEvent>& events,
            int sampleRate)
{
    std::cout << heading << "\n";
    for (const auto& e : events)
        std::cout << "  " << juce::String ((double) e.sample / sampleRate, 3).paddedLeft (' ', 8)
                  << " s  sample " << juce::String (e.sample).paddedLeft (' ', 7) << "  "
                  << e.message.getDescription() << "\n";
}

int run (const RouteOptions& options)
{
    if (options.demoFile.isNotEmpty())
    {
        if (auto problem = writeMidiFile (DemoFile::create(), options.demoFile);
            problem.isNotEmpty())
            return fail (problem);
        std::cout << "Wrote the demo song to " << options.demoFile << std::endl;
        return 0;
    }

    if (options.printStateFile.isNotEmpty())
    {
        juce::MemoryBlock state;
        if (auto problem = readState (options.printStateFile, state); problem.isNotEmpty())
            return fail (problem);

        RoutesText::Cells routes{};
        std::memcpy (routes.data(), state.getData(), routes.size());
        const auto text = RoutesText::write (routes);
        std::cout << (text.isEmpty() ? "none" : text) << std::endl;
        return 0;
    }

    juce::MidiFile input;
    if (auto problem = readMidiFile (options.inputFile, input); problem.isNotEmpty())
        return fail (problem);

    juce::MemoryBlock state (options.routes.data(), options.routes.size());
    if (options.stateFile.isNotEmpty())
        if (auto problem = readState (options.stateFile, state); problem.isNotEmpty())
            return fail (problem);

    // One time line of the file's short messages, in samples. Meta events (tempo, names) and
    // system exclusive do not travel as VST 2 MIDI events.
    input.convertTimestampTicksToSeconds();
    juce::MidiMessageSequence merged;
    for (int t = 0; t < input.getNumTracks(); ++t)
        merged.addSequence (*input.getTrack (t), 0.0);
    merged.sort();

    std::vector<HostedPlugin::TimedEvent> events;
    int skipped = 0;
    for (const auto* holder : merged)
    {
        const auto& message = holder->message;
        if (message.isMetaEvent() || message.isSysEx() || message.getRawDataSize() > 4)
        {
            skipped += message.isMetaEvent() ? 0 : 1;
            continue;
        }
        events.push_back (
            {juce::roundToInt (message.getTimeStamp() * options.sampleRate), message});
    }

    HostedPlugin plugin;
    if (auto problem = plugin.load (options.pluginFile); problem.isNotEmpty())
        return fail (problem);

    if (! plugin.canDo ("receiveVstMidiEvents") || ! plugin.canDo ("sendVstMidiEvent"))
        return fail ("the plug-in '" + options.pluginFile + "' does not take and send MIDI");

    if (options.hasRoutes || options.stateFile.isNotEmpty())
        plugin.restoreState (state);

    const auto routed = plugin.play (events, options.sampleRate, options.blockSize);

    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::tempoMetaEvent (outputMicrosecondsPerQuarter), 0);
    const double ticksPerSecond = outputTicksPerQuarter * 1.0e6 / outputMicrosecondsPerQuarter;
    for (const auto& e : routed)
        track.addEvent (e.message,
                        std::round ((double) e.sample / options.sampleRate * ticksPerSecond));
    track.updateMatchedPairs();

    juce::MidiFile output;
    output.setTicksPerQuarterNote (outputTicksPerQuarter);
    output.addTrack (track);
    if (auto problem = writeMidiFile (output, options.outputFile); problem.isNotEmpty())
        return fail (problem);

    if (options.saveStateFile.isNotEmpty())
    {
        const auto saved = plugin.saveState();
        if (! juce::File (options.saveStateFile).replaceWithData (saved.getData(), saved.getSize()))
            return fail ("cannot write state file '" + options.saveStateFile + "'");
    }

    if (options.printEvents)
    {
        print ("Events in:", events, options.sampleRate);
        print ("Events out:", routed, options.sampleRate);
    }

    std::cout << "Plug-in: " << plugin.getName() << " by " << plugin.getVendor() << ", from "
              << options.pluginFile << "\n"
              << "In:  " << events.size() << " events on channels " << channelList (events)
              << " from " << options.inputFile;
    if (skipped > 0)
        std::cout << " (" << skipped << " system-exclusive events not sent)";
    std::cout << "\nOut: " << routed.size() << " events on channels " << channelList (routed)
              << " to " << options.outputFile << "\n"
              << "Played at " << options.sampleRate << " Hz in blocks of " << options.blockSize
              << " samples" << std::endl;
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    RouteOptions options;
    const auto problem = options.parse (juce::StringArray (argv + 1, argc - 1));

    if (options.showHelp)
    {
        std::cout << RouteOptions::usage();
        return 0;
    }

    if (problem.isNotEmpty())
    {
        std::cerr << "lampwick-route: " << problem << "\n\n" << RouteOptions::usage();
        return 2;
    }

    try
    {
        return run (options);
    }
    catch (const std::exception& e)
    {
        return fail (e.what());
    }
}
