#pragma once

#include "plugin/HeldNotes.h"
#include "plugin/MidiBufferLayout.h"
#include "plugin/QuennellFilterBase.h"
#include "plugin/RouteHistory.h"
#include "plugin/RoutingMatrix.h"

#include <array>
#include <atomic>

/** The plug-in's processor: a 16 x 16 routing matrix (input channel x output channel) applied to
    the MIDI of every block. Every channel event on input channel r is copied, at its own sample
    position, to each output channel that row r switches on; the matrix is the whole saved state. */
class Switchyard : public QuennellFilterBase, public juce::ChangeBroadcaster
{
public:
    static constexpr int numChannels = routing::numChannels;
    static constexpr int stateSize = routing::numCells;
    static constexpr const char* pluginName = "Lampwick";

    Switchyard();
    ~Switchyard() override;

    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& audio, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    const juce::String getName() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    double getTailLengthSeconds() const override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    void handleMessage (const juce::Message&) override;

    /** Matrix access. The caller holds the callback lock while the audio thread may be routing. */
    void clearAllRoutes();
    void setRoute (juce::uint8 value, int inputChannel, int outputChannel);
    juce::uint8 getRoute (int inputChannel, int outputChannel) const;

    /** How many states have been restored; the caller holds the callback lock. An editor compares
        it with the count it last showed, to tell a restore whose change message is still on its
        way from its own older edits. */
    juce::uint32 getRestoreCount() const;

    /** Which channels have carried events since the last take, while an editor shows them:
        input channel c as bit c, output channel c as bit 16 + c. The processing path sets the
        bits without locks or allocation; any thread may take them. */
    void setActivityShown (bool shown);
    juce::uint32 takeActivity();
    static constexpr int outputActivityShift = 16;

    /** The open editor says when it rests (no light lit); the host's idle calls then do nothing. */
    void setEditorResting (bool resting);
    bool editorIsResting() const noexcept override;

    /** The editor's undo and redo, kept while editors come and go; message thread only. */
    RouteHistory& getRouteHistory() noexcept { return routeHistory; }

private:
    void updateRowOutputs (int inputChannel);

    std::array<juce::uint8, stateSize> routingMatrix{};
    juce::uint32 restoreCount = 0;

    // The output channels each row switches on, one bit per column: kept with the matrix, so that
    // routing reads a row in one step.
    std::array<HeldNotes::Outputs, numChannels> rowOutputs{};

    // Where held notes and pedals went; only routing touches it.
    HeldNotes heldNotes;

    std::atomic<bool> activityShown{false};
    std::atomic<juce::uint32> activity{0};
    std::atomic<bool> editorResting{false};

    RouteHistory routeHistory;

    // Routed copies of the block being processed, before they replace the block's events. A
    // member, so that its storage survives from block to block.
    MidiBufferLayout::Scratch routedEvents;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Switchyard)
};
