#include "plugin/Switchyard.h"

#include "editor/DemoEditorComponent.h"

namespace
{
bool isChannelIndex (int index)
{
    return juce::isPositiveAndBelow (index, Switchyard::numChannels);
}

/** Appends an event after every event already in the buffer.

    MidiBuffer::addEvent searches from the start of the buffer for the insertion point, which makes
    a block of n events cost O(n^2). The routed copies are produced in sample-position order, so
    they can go straight to the end instead, in the buffer's own layout: a 32-bit sample position,
    a 16-bit byte count, then the bytes. */
void appendInOrder (juce::MidiBuffer& buffer, const juce::uint8* bytes, int numBytes,
                    int samplePosition)
{
    jassert (buffer.isEmpty() || buffer.getLastEventTime() <= samplePosition);

    auto& data = buffer.data;
    const auto offset = data.size();
    data.insertMultiple (offset, 0,
                         (int) (sizeof (juce::int32) + sizeof (juce::uint16)) + numBytes);

    auto* d = data.begin() + offset;
    juce::writeUnaligned<juce::int32> (d, samplePosition);
    d += sizeof (juce::int32);
    juce::writeUnaligned<juce::uint16> (d, (juce::uint16) numBytes);
    d += sizeof (juce::uint16);
    std::memcpy (d, bytes, (size_t) numBytes);
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
    routedEvents.clear();

    for (const auto event : midiMessages)
    {
        const auto* bytes = event.data;
        const auto status = bytes[0];

        if (status >= 0xf0)
        {
            // Clock, start/stop, song position and the like have no channel: they pass once.
            appendInOrder (routedEvents, bytes, event.numBytes, event.samplePosition);
            continue;
        }

        if (status < 0x80 || event.numBytes > 3)
            continue;

        const auto* row = routingMatrix.data() + (status & 0x0f) * numChannels;
        juce::uint8 copy[3];
        std::memcpy (copy, bytes, (size_t) event.numBytes);

        for (int column = 0; column < numChannels; ++column)
        {
            if (row[column] != 0)
            {
                copy[0] = (juce::uint8) ((status & 0xf0) | column);
                appendInOrder (routedEvents, copy, event.numBytes, event.samplePosition);
            }
        }
    }

    midiMessages.swapWith (routedEvents);
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
}

void Switchyard::setRoute (juce::uint8 value, int inputChannel, int outputChannel)
{
    if (isChannelIndex (inputChannel) && isChannelIndex (outputChannel))
        routingMatrix[(size_t) (inputChannel * numChannels + outputChannel)] = value;
}

juce::uint8 Switchyard::getRoute (int inputChannel, int outputChannel) const
{
    if (isChannelIndex (inputChannel) && isChannelIndex (outputChannel))
        return routingMatrix[(size_t) (inputChannel * numChannels + outputChannel)];

    return 0;
}

juce::uint32 Switchyard::getRestoreCount() const
{
    return restoreCount;
}
