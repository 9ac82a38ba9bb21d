#include "MessagePump.h"
#include "MidiEvents.h"
#include "plugin/RoutingMatrix.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>

// The VST3 and LV2 plug-ins, loaded as hosts load them, through the toolkit's own hosting code.

namespace
{
constexpr int stateSize = 256;
constexpr int blockSize = 512;
constexpr double sampleRate = 44100.0;

using Matrix = std::array<juce::uint8, stateSize>;

/** A routing: each pair switches on input channel -> output channel (1 to 16). */
juce::MemoryBlock routing (std::initializer_list<std::pair<int, int>> routes)
{
    Matrix cells{};
    for (auto [in, out] : routes)
        cells[(size_t) routing::cell (in - 1, out - 1)] = 1;
    return {cells.data(), cells.size()};
}

/** VST3 hosts keep the component's state stream: the toolkit's host writes it base64-encoded
    into its own XML. */
juce::MemoryBlock vst3WithPluginState (const juce::MemoryBlock&, const juce::MemoryBlock& plugin)
{
    juce::XmlElement state ("VST3PluginState");
    state.createNewChildElement ("IComponent")->addTextElement (plugin.toBase64Encoding());
    juce::MemoryBlock saved;
    juce::AudioProcessor::copyXmlToBinary (state, saved);
    return saved;
}

juce::MemoryBlock vst3PluginState (const juce::MemoryBlock& saved)
{
    juce::MemoryBlock plugin;
    if (auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize()))
        plugin.fromBase64Encoding (xml->getChildElementAllSubText ("IComponent", {}));
    return plugin;
}

#if JUCE_PLUGINHOST_LV2
/** LV2 hosts keep the plug-in's state properties in Turtle; the toolkit's plug-in saves its
    state as one base64 string property. */
constexpr const char* lv2StateKey = "StateString>";

juce::MemoryBlock lv2WithPluginState (const juce::MemoryBlock& fresh,
                                      const juce::MemoryBlock& plugin)
{
    const auto text = fresh.toString();
    const auto open = text.indexOf (text.indexOf (lv2StateKey), "\"");
    const auto close = text.indexOf (open + 1, "\"");
    const auto changed =
        text.substring (0, open + 1) + plugin.toBase64Encoding() + text.substring (close);
    return {changed.toRawUTF8(), changed.getNumBytesAsUTF8()};
}

juce::MemoryBlock lv2PluginState (const juce::MemoryBlock& saved)
{
    const auto text = saved.toString();
    const auto open = text.indexOf (text.indexOf (lv2StateKey), "\"");
    juce::MemoryBlock plugin;
    plugin.fromBase64Encoding (text.substring (open + 1, text.indexOf (open + 1, "\"")));
    return plugin;
}
#endif

struct Format
{
    const char* name;
    std::function<std::unique_ptr<juce::AudioPluginFormat>()> create;
    juce::String identifier;
    // The host's saved project entry holding the given plug-in state (made from a fresh entry),
    // and the plug-in state inside an entry.
    std::function<juce::MemoryBlock (const juce::MemoryBlock&, const juce::MemoryBlock&)>
        withPluginState;
    std::function<juce::MemoryBlock (const juce::MemoryBlock&)> pluginState;
    bool carriesClock; // VST3 has no event for timing clock or the other system real-time messages
};

void PrintTo (const Format& f, std::ostream* os)
{
    *os << f.name;
}

class PluginFormat : public ::testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
#if JUCE_PLUGINHOST_LV2
        // LV2 hosts find bundles in ~/.lv2: a home of the test's own holds the built one alone,
        // and no installed copy with the same URI.
        home = std::make_unique<juce::TemporaryFile>();
        const auto lv2 = home->getFile().getChildFile (".lv2");
        ASSERT_TRUE (lv2.createDirectory());
        ASSERT_TRUE (juce::File (LAMPWICK_LV2_BUNDLE)
                         .createSymbolicLink (lv2.getChildFile ("Lampwick.lv2"), false));
        setenv ("HOME", home->getFile().getFullPathName().toRawUTF8(), 1);
#endif

        format = GetParam().create();
        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, GetParam().identifier);
        ASSERT_EQ (found.size(), 1);
        description = *found[0];
    }

    void TearDown() override
    {
        format.reset();
        if (home != nullptr)
            home->getFile().deleteRecursively();
    }

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::String error;
        auto instance =
            format->createInstanceFromDescription (description, sampleRate, blockSize, error);
        EXPECT_NE (instance, nullptr) << error;
        if (instance != nullptr)
            instance->prepareToPlay (sampleRate, blockSize);
        return instance;
    }

    /** Saves the instance's state as the host keeps it in a project. */
    static juce::MemoryBlock save (juce::AudioPluginInstance& instance)
    {
        juce::MemoryBlock saved;
        instance.getStateInformation (saved);
        return saved;
    }

    void restore (juce::AudioPluginInstance& instance, const juce::MemoryBlock& plugin)
    {
        const auto entry = GetParam().withPluginState (save (instance), plugin);
        instance.setStateInformation (entry.getData(), (int) entry.getSize());
        pumpMessages();
    }

    static MidiEvents process (juce::AudioPluginInstance& instance, const MidiEvents& input)
    {
        juce::AudioBuffer<float> audio (2, blockSize);
        audio.clear();
        auto midi = toBuffer (input);
        instance.processBlock (audio, midi);
        return fromBuffer (midi);
    }

    MidiEvents carried (MidiEvents events) const
    {
        if (! GetParam().carriesClock)
            events.erase (std::remove_if (events.begin(), events.end(),
                                          [] (auto& e) { return e.bytes[0] == 0xf8; }),
                          events.end());
        return events;
    }

    std::unique_ptr<juce::TemporaryFile> home;
    std::unique_ptr<juce::AudioPluginFormat> format;
    juce::PluginDescription description;
};

TEST_P (PluginFormat, ShowsTheSameIdentityAndEditor)
{
    EXPECT_EQ (description.name, "Lampwick");
    EXPECT_EQ (description.manufacturerName, "Quennell music");
    EXPECT_TRUE (description.isInstrument);

    auto instance = load();
    ASSERT_NE (instance, nullptr);
    EXPECT_TRUE (instance->acceptsMidi());
    EXPECT_TRUE (instance->producesMidi());
    EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
    EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
    ASSERT_TRUE (instance->hasEditor());

    std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditor());
    ASSERT_NE (editor, nullptr);
    editor->addToDesktop (0);
    editor->setVisible (true);
    pumpMessages();
    EXPECT_EQ (editor->getWidth(), 600);
    EXPECT_EQ (editor->getHeight(), 450);
}

TEST_P (PluginFormat, RoutesABlockAndReleasesHeldNotesWhereTheyWent)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);
    EXPECT_EQ (process (*instance, {{{0x90, 60, 100}, 0}}), MidiEvents{}); // nothing routed yet

    // VST3 has no controller or pitch-bend events: hosts send them as changes of parameters
    // that the plug-in maps to MIDI, and the toolkit's host places those at the block's start.
    restore (*instance, routing ({{1, 4}, {1, 10}, {2, 2}}));
    EXPECT_EQ (process (*instance, {{{0xb0, 7, 90}, 0},
                                    {{0xe1, 0x00, 0x40}, 0},
                                    {{0x90, 60, 100}, 5},
                                    {{0xf8}, 20},
                                    {{0x92, 64, 100}, 30}}),
               carried ({{{0xb3, 7, 90}, 0},
                         {{0xb9, 7, 90}, 0},
                         {{0xe1, 0x00, 0x40}, 0},
                         {{0x93, 60, 100}, 5},
                         {{0x99, 60, 100}, 5},
                         {{0xf8}, 20}}));

    // The note was pressed on 4 and 10: it is released there and wherever channel 1 goes now.
    restore (*instance, routing ({{1, 6}}));
    EXPECT_EQ (process (*instance, {{{0x80, 60, 64}, 8}}),
               (MidiEvents{{{0x83, 60, 64}, 8}, {{0x85, 60, 64}, 8}, {{0x89, 60, 64}, 8}}));
}

TEST_P (PluginFormat, RestoresItsOwnSavedStateByteForByte)
{
    const auto routes = routing ({{1, 4}, {3, 3}, {16, 1}});
    auto first = load();
    ASSERT_NE (first, nullptr);
    restore (*first, routes);
    const auto saved = save (*first);
    const auto plugin = GetParam().pluginState (saved);
    ASSERT_GE (plugin.getSize(), (size_t) stateSize);
    EXPECT_EQ (juce::MemoryBlock (plugin.getData(), stateSize), routes);

    auto second = load();
    ASSERT_NE (second, nullptr);
    second->setStateInformation (saved.getData(), (int) saved.getSize());
    pumpMessages();
    EXPECT_EQ (save (*second), saved);
    EXPECT_EQ (process (*second, {{{0x92, 1, 2}, 0}, {{0x9f, 3, 4}, 1}}),
               (MidiEvents{{{0x92, 1, 2}, 0}, {{0x90, 3, 4}, 1}}));
}

INSTANTIATE_TEST_SUITE_P (
    Lampwick, PluginFormat,
    ::testing::Values (Format{"VST3", [] { return std::make_unique<juce::VST3PluginFormat>(); },
                              LAMPWICK_VST3_PATH, vst3WithPluginState, vst3PluginState, false}
#if JUCE_PLUGINHOST_LV2
                       ,
                       Format{"LV2", [] { return std::make_unique<juce::LV2PluginFormat>(); },
                              LAMPWICK_LV2_URI, lv2WithPluginState, lv2PluginState, true}
#endif
                       ),
    [] (const auto& info) { return std::string (info.param.name); });
} // namespace
