#include "plugin/Switchyard.h"

#include "editor/DemoEditorComponent.h"

namespace
{
bool isChannelIndex (int index)
{
    return juce::isPositiveAndBelow (index, Switchyard::numChannels);
}

using Layout = MidiBufferLayout;

/** Writes one copy of a channel event of numBytes bytes (given in the buffer's layout) for each
    output channel, lowest first, and answers where the next event goes. */
template <int numBytes>
juce::uint8* writeCopies (juce::uint8* out, const juce::uint8* event, HeldNotes::Outputs outputs)
{
    constexpr int eventBytes = Layout::headerBytes + numBytes;
    const auto kind = (juce::uint8) (event[Layout::headerBytes] & 0xf0);

    for (; outputs != 0; outputs &= (HeldNotes::Outputs) (outputs - 1))
    {
        std::memcpy (out, event, eventBytes);
        out[Layout::headerBytes] = (juce::uint8) (kind | __builtin_ctz (outputs));
        out += eventBytes;
    }

    return out;
}
} // namespace

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new Switchyard();
}

Switchyard::Switchyard()
    : QuennellFilterBase (BusesProperties()
                              .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                              .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    currentProgram = 0;
}

Switchyard::~Switchyard() = default;

void Switchyard::prepareToPlay (double, int)
{
}

void Switchyard::releaseResources()
{
}

void Switchyard::processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer& midiMessages)
{
    // The input is in position order and each event's copies follow those of the events before
    // it, so the output is too.
    constexpr auto mostCopies = (size_t) numChannels * (Layout::headerBytes + 3);
    const auto* end = midiMessages.data.end();
    MidiBufferLayout::Scratch::Writer routed (routedEvents);
    juce::uint32 used = 0; // the channels events came in and went out on

    const auto note = [&used] (const juce::uint8* bytes, HeldNotes::Outputs outputs)
    {
        used |= (1u << (bytes[0] & 0x0f)) | ((juce::uint32) outputs << outputActivityShift);
        return outputs;
    };

    for (const juce::uint8* event = midiMessages.data.begin(); event < end;)
    {
        const auto numBytes = Layout::numBytesOf (event);
        const auto* bytes = Layout::bytesOf (event);

        if (numBytes == 3 && bytes[0] >= 0x80 && bytes[0] < 0xf0)
        {
            // Notes, controllers, pitch bend: most of what comes. Branching on the length here
            // lets the walk read on without waiting for each event's byte count.
            const auto outputs =
                note (bytes, heldNotes.route (bytes, 3, rowOutputs[bytes[0] & 0x0f]));
            routed.wrote (writeCopies<3> (routed.room (mostCopies), event, outputs));
            event = Layout::nextAfter<3> (event);
            continue;
        }

        if (numBytes > 0 && bytes[0] >= 0xf0)
        {
            // Clock, start/stop, song position and the like have no channel: they pass once.
            routed.wrote (Layout::write (routed.room ((size_t) (Layout::headerBytes + numBytes)),
                                         Layout::positionOf (event), bytes, numBytes));
        }
        else if (numBytes > 0 && numBytes < 3 && bytes[0] >= 0x80)
        {
            // Program change and channel pressure, and channel messages cut short.
            const auto outputs =
                note (bytes, heldNotes.route (bytes, numBytes, rowOutputs[bytes[0] & 0x0f]));
            auto* out = routed.room (mostCopies);
            routed.wrote (numBytes == 2 ? writeCopies<2> (out, event, outputs)
                                        : writeCopies<1> (out, event, outputs));
        }

        event = Layout::next (event); // anything else is no message to route
    }

    midiMessages.clear();
    routed.appendTo (midiMessages);

    if (used != 0 && activityShown.load (std::memory_order_relaxed))
        activity.fetch_or (used, std::memory_order_relaxed);
}

juce::AudioProcessorEditor* Switchyard::createEditor()
{
    return new DemoEditorComponent (this);
}

bool Switchyard::hasEditor() const
{
    return true;
}

const juce::String Switchyard::getName() const
{
    return pluginName;
}

bool Switchyard::acceptsMidi() const
{
    return true;
}

bool Switchyard::producesMidi() const
{
    return true;
}

bool Switchyard::isMidiEffect() const
{
    return false; // the host sees an instrument with two audio inputs and outputs
}

double Switchyard::getTailLengthSeconds() const
{
    return 0.0;
}

void Switchyard::getStateInformation (juce::MemoryBlock& destData)
{
    std::array<juce::uint8, stateSize> state;
    {
        const juce::ScopedLock lock (getCallbackLock());
        state = routingMatrix;
    }
    destData.append (state.data(), state.size());
}

void Switchyard::setStateInformation (const void* data, int sizeInBytes)
{
    // A block too short to hold the whole matrix is damaged: leave the routing as it is.
    if (data == nullptr || sizeInBytes < stateSize)
        return;

    {
        const juce::ScopedLock lock (getCallbackLock());
        std::memcpy (routingMatrix.data(), data, stateSize);

        for (int row = 0; row < numChannels; ++row)
            updateRowOutputs (row);

        ++restoreCount;
    }
    sendChangeMessage();
}

void Switchyard::handleMessage (const juce::Message&)
{
}

void Switchyard::clearAllRoutes()
{
    routingMatrix.fill (0);
    rowOutputs.fill (0);
}

void Switchyard::setRoute (juce::uint8 value, int inputChannel, int outputChannel)
{
    if (isChannelIndex (inputChannel) && isChannelIndex (outputChannel))
    {
        routingMatrix[(size_t) routing::cell (inputChannel, outputChannel)] = value;
        updateRowOutputs (inputChannel);
    }
}

void Switchyard::updateRowOutputs (int inputChannel)
{
    const auto* row = routingMatrix.data() + routing::cell (inputChannel, 0);
    HeldNotes::Outputs outputs = 0;

    for (int column = 0; column < numChannels; ++column)
        outputs |= (HeldNotes::Outputs) ((row[column] != 0 ? 1 : 0) << column);

    rowOutputs[(size_t) inputChannel] = outputs;
}

juce::uint8 Switchyard::getRoute (int inputChannel, int outputChannel) const
{
    if (isChannelIndex (inputChannel) && isChannelIndex (outputChannel))
        return routingMatrix[(size_t) routing::cell (inputChannel, outputChannel)];

    return 0;
}

juce::uint32 Switchyard::getRestoreCount() const
{
    return restoreCount;
}

void Switchyard::setActivityShown (bool shown)
{
    activityShown = shown;
    activity = 0;
    editorResting = false;
}

void Switchyard::setEditorResting (bool resting)
{
    editorResting.store (resting, std::memory_order_relaxed);
}

bool Switchyard::editorIsResting() const noexcept
{
    return activityShown.load (std::memory_order_relaxed) &&
           editorResting.load (std::memory_order_relaxed);
}

juce::uint32 Switchyard::takeActivity()
{
    // Looked at before it is taken, so that an idle canvas writes nothing the audio thread reads.
    return activity.load (std::memory_order_relaxed) != 0
               ? activity.exchange (0, std::memory_order_relaxed)
               : 0;
}
