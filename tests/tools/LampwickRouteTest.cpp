// The command-line host as a person uses it: bad input gets a clear message and a non-zero exit,
// and a good run routes the demo song.

#include "tools/PluginSearch.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdio>
#include <sys/wait.h>

namespace
{
struct Outcome
{
    bool exitedNormally = false;
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

/** Runs the tool with the arguments, and with the environment's assignments ("HOME=...") first. */
Outcome runTool (const juce::String& arguments, const juce::String& environment = {})
{
    const auto command =
        environment + " " + juce::String (LAMPWICK_ROUTE_PATH) + " " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen (command.toRawUTF8(), "r");
    if (pipe == nullptr)
        return outcome;

    char buffer[4096];
    size_t n;
    while ((n = fread (buffer, 1, sizeof (buffer), pipe)) > 0)
        outcome.output.append (buffer, n);

    const auto status = pclose (pipe);
    outcome.exitedNormally = WIFEXITED (status);
    outcome.exitCode = WEXITSTATUS (status);
    return outcome;
}

class LampwickRoute : public ::testing::Test
{
protected:
    juce::TemporaryFile folderName;
    juce::File folder = folderName.getFile();
    juce::String plugin = juce::String ("--plugin ") + LAMPWICK_PATH + " ";

    void SetUp() override
    {
        ASSERT_TRUE (folder.createDirectory());
        ASSERT_EQ (runTool ("--make-demo " + path ("demo.mid")).exitCode, 0);
    }

    void TearDown() override { folder.deleteRecursively(); }

    juce::String path (const char* name) const
    {
        return folder.getChildFile (name).getFullPathName().quoted();
    }

    /** Note events of a MIDI file as (channel, note, on, seconds). */
    std::vector<std::tuple<int, int, bool, double>> notesOf (const char* name) const
    {
        juce::FileInputStream stream (folder.getChildFile (name));
        juce::MidiFile file;
        EXPECT_TRUE (file.readFrom (stream));
        file.convertTimestampTicksToSeconds();

        juce::MidiMessageSequence all;
        for (int t = 0; t < file.getNumTracks(); ++t)
            all.addSequence (*file.getTrack (t), 0.0);
        all.sort();

        std::vector<std::tuple<int, int, bool, double>> notes;
        for (const auto* e : all)
            if (e->message.isNoteOnOrOff())
                notes.emplace_back (e->message.getChannel(), e->message.getNoteNumber(),
                                    e->message.isNoteOn(),
                                    std::round (e->message.getTimeStamp() * 1000.0) / 1000.0);
        return notes;
    }
};
} // namespace

TEST_F (LampwickRoute, BadInputGetsAClearMessageAndNoCrash)
{
    folder.getChildFile ("text.mid").replaceWithText ("not a MIDI file at all");
    folder.getChildFile ("short.state").replaceWithData ("1234", 4);
    folder.getChildFile ("fake.so").replaceWithText ("not a library");

    const std::pair<juce::String, std::string> cases[] = {
        {plugin + path ("missing.mid") + " " + path ("out.mid"), "no such file"},
        {plugin + path ("text.mid") + " " + path ("out.mid"), "is not a Standard MIDI File"},
        {plugin + "--route 17:2 " + path ("demo.mid") + " " + path ("out.mid"), "channels 1 to 16"},
        {plugin + "--route 1:0 " + path ("demo.mid") + " " + path ("out.mid"), "channels 1 to 16"},
        {plugin + "--route 1: " + path ("demo.mid") + " " + path ("out.mid"), "channels 1 to 16"},
        {plugin + "--route x " + path ("demo.mid") + " " + path ("out.mid"), "channels 1 to 16"},
        {plugin + "--state " + path ("short.state") + " " + path ("demo.mid") + " " +
             path ("out.mid"),
         "exactly 256"},
        {plugin + "--state " + path ("none.state") + " " + path ("demo.mid") + " " +
             path ("out.mid"),
         "cannot read state file"},
        {plugin + "--rate 0 " + path ("demo.mid") + " " + path ("out.mid"), "--rate"},
        {plugin + "--block -4 " + path ("demo.mid") + " " + path ("out.mid"), "--block"},
        {"--plugin " + path ("nowhere.so") + " " + path ("demo.mid") + " " + path ("out.mid"),
         "cannot load plug-in"},
        {"--plugin " + path ("fake.so") + " " + path ("demo.mid") + " " + path ("out.mid"),
         "cannot load plug-in"},
        {plugin + path ("demo.mid") + " " +
             folder.getChildFile ("no/such/dir/out.mid").getFullPathName(),
         "cannot write"},
        {plugin + path ("demo.mid"), "one MIDI file to read and one to write"},
        {"--route", "needs a value"},
    };

    for (const auto& [arguments, message] : cases)
    {
        const auto outcome = runTool (arguments);
        EXPECT_TRUE (outcome.exitedNormally) << arguments;
        EXPECT_NE (outcome.exitCode, 0) << arguments;
        EXPECT_NE (outcome.output.find (message), std::string::npos) << arguments << "\n"
                                                                     << outcome.output;
    }
}

TEST_F (LampwickRoute, RoutesTheDemoSongAndKeepsItsTiming)
{
    const auto outcome =
        runTool (plugin + "--route 1:4,10 --route 2:2 --rate 48000 --block 100 --save-state " +
                 path ("saved.state") + " " + path ("demo.mid") + " " + path ("out.mid"));
    ASSERT_EQ (outcome.exitCode, 0) << outcome.output;
    EXPECT_NE (outcome.output.find (std::string ("Lampwick by Quennell music, from ") +
                                    LAMPWICK_PATH),
               std::string::npos)
        << outcome.output;

    // Expected: channel 1 copied to 4 and 10, channel 2 kept, channels 3 and 10 dropped.
    std::vector<std::tuple<int, int, bool, double>> expected;
    for (const auto& [channel, note, on, time] : notesOf ("demo.mid"))
    {
        if (channel == 1)
        {
            expected.emplace_back (4, note, on, time);
            expected.emplace_back (10, note, on, time);
        }
        else if (channel == 2)
            expected.emplace_back (2, note, on, time);
    }

    auto routed = notesOf ("out.mid");
    std::sort (routed.begin(), routed.end(),
               [] (auto& a, auto& b) { return std::get<3> (a) < std::get<3> (b); });
    std::stable_sort (expected.begin(), expected.end(),
                      [] (auto& a, auto& b) { return std::get<3> (a) < std::get<3> (b); });
    auto sameInstant = [] (auto v)
    {
        // Order within one instant is the plug-in's; compare each instant as a set.
        std::sort (v.begin(), v.end(),
                   [] (auto& a, auto& b)
                   { return std::tie (std::get<3> (a), a) < std::tie (std::get<3> (b), b); });
        return v;
    };
    EXPECT_EQ (sameInstant (routed), sameInstant (expected));
    EXPECT_EQ (expected.size(), 2u * 16u + 8u); // 8 notes on channel 1, 4 on channel 2

    // The saved state restores the same routing.
    const auto again = runTool (plugin + "--state " + path ("saved.state") + " " +
                                path ("demo.mid") + " " + path ("again.mid"));
    ASSERT_EQ (again.exitCode, 0) << again.output;
    EXPECT_EQ (notesOf ("again.mid"), notesOf ("out.mid"));

    // And reads back as the routes it was given.
    const auto printed = runTool ("--print-state " + path ("saved.state"));
    ASSERT_EQ (printed.exitCode, 0) << printed.output;
    EXPECT_EQ (printed.output, "1:4,10 2:2\n");
}

// Without --plugin, the plug-in is the one in the user's ~/.vst, else the machine's
// /usr/local/lib/vst, else /usr/lib/vst; the run says which one it loaded.
TEST_F (LampwickRoute, FindsThePlugInInTheUsersFolderFirstThenTheMachines)
{
    const auto home = folder.getChildFile ("home"), local = folder.getChildFile ("local"),
               system = folder.getChildFile ("system");
    const juce::Array<juce::File> searched{home, local, system};
    const std::pair<std::vector<juce::File>, juce::File> holdingAndFound[] = {
        {{}, {}},
        {{system}, system},
        {{local, system}, local},
        {{home, system}, home},
        {{home, local, system}, home}};
    for (const auto& [holding, found] : holdingAndFound)
    {
        for (const auto& f : searched)
            f.deleteRecursively();
        for (const auto& f : holding)
            ASSERT_TRUE (f.getChildFile (PluginSearch::fileName).create());
        EXPECT_EQ (PluginSearch::find (searched),
                   found == juce::File() ? found : found.getChildFile (PluginSearch::fileName))
            << holding.size();
    }
    EXPECT_EQ (PluginSearch::describe ({juce::File ("/a"), juce::File ("/b"), juce::File ("/c")}),
               "/a, /b or /c");

    ASSERT_TRUE (home.getChildFile (".vst").createDirectory());
    const auto installed = home.getChildFile (".vst").getChildFile (PluginSearch::fileName);
    ASSERT_TRUE (juce::File (LAMPWICK_PATH).createSymbolicLink (installed, true));
    const auto outcome = runTool ("--route 1:2 " + path ("demo.mid") + " " + path ("out.mid"),
                                  "HOME=" + home.getFullPathName().quoted());
    ASSERT_EQ (outcome.exitCode, 0) << outcome.output;
    EXPECT_NE (outcome.output.find ("from " + installed.getFullPathName().toStdString()),
               std::string::npos)
        << outcome.output;
}
