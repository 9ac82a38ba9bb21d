#include "host/JuceVSTWrapper.h"

#include "host/PluginIdentity.h"

namespace
{
constexpr int resumeEventCapacity = 64;

// Enough MIDI buffer storage for a few hundred events, so that ordinary blocks never grow it.
constexpr size_t resumeMidiBufferBytes = 4096;

// One event in the buffer's layout: position, byte count, at most four bytes.
constexpr size_t maxEventBytes = sizeof (juce::int32) + sizeof (juce::uint16) + 4;

int numParametersOf (juce::AudioProcessor& processor)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    return processor.getNumParameters();
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}
} // namespace

JuceVSTWrapper::JuceVSTWrapper (vst2::audioMasterCallback master,
                                std::unique_ptr<juce::AudioProcessor> processorToOwn)
    : AudioEffectX (master, processorToOwn->getNumPrograms(), numParametersOf (*processorToOwn)),
      processor (std::move (processorToOwn))
{
    processor->setPlayConfigDetails (PluginIdentity::numInputs, PluginIdentity::numOutputs,
                                     sampleRate, blockSize);
    processor->addListener (this);

    cEffect.uniqueID = PluginIdentity::uniqueID;
    wantEvents();

    cEffect.numInputs = processor->getTotalNumInputChannels();
    cEffect.numOutputs = processor->getTotalNumOutputChannels();
    cEffect.flags = PluginIdentity::flags;
    cEffect.initialDelay = 0;
}

JuceVSTWrapper::~JuceVSTWrapper()
{
    // The editor, once there is one, is deleted here first: it refers to the processor.
    processor->removeListener (this);
    processor.reset();
}

void JuceVSTWrapper::process (float**, float** outputs, vst2::VstInt32 sampleFrames)
{
    // Nothing is added to the host's outputs: the plug-in has no sound of its own.
    processBlock (outputs, sampleFrames);
}

void JuceVSTWrapper::processReplacing (float**, float** outputs, vst2::VstInt32 sampleFrames)
{
    // The outputs keep whatever the host passed in them.
    processBlock (outputs, sampleFrames);
}

void JuceVSTWrapper::processBlock (float** outputs, vst2::VstInt32 sampleFrames)
{
    if (! prepared)
        resume();

    {
        // The host's own channel memory, not a copy. The processor works in place on one buffer
        // and touches no sample, so the outputs are the natural ones to show it.
        static float* const noChannels[1] = {nullptr};
        const auto numChannels = outputs != nullptr ? cEffect.numOutputs : 0;
        juce::AudioBuffer<float> audio (outputs != nullptr ? outputs : noChannels, numChannels,
                                        juce::jmax (0, (int) sampleFrames));

        const juce::ScopedLock lock (processor->getCallbackLock());
        processor->processBlock (audio, midiEvents);
    }

    if (! midiEvents.isEmpty())
        sendRoutedEvents();
}

void JuceVSTWrapper::sendRoutedEvents()
{
    outgoingEvents.ensureCapacity (midiEvents.getNumEvents());
    outgoingEvents.clear();

    for (const auto event : midiEvents)
        if (event.numBytes <= 4)
            outgoingEvents.add (event.data, event.numBytes, event.samplePosition);

    sendVstEventsToHost (outgoingEvents.getEvents());
    midiEvents.clear();
}

void JuceVSTWrapper::setParameter (vst2::VstInt32 index, float value)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    processor->setParameter (index, value);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

float JuceVSTWrapper::getParameter (vst2::VstInt32 index)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    return processor->getParameter (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void JuceVSTWrapper::setProgram (vst2::VstInt32 program)
{
    processor->setCurrentProgram (program);
}

vst2::VstInt32 JuceVSTWrapper::getProgram()
{
    return processor->getCurrentProgram();
}

void JuceVSTWrapper::setProgramName (const char* name)
{
    processor->changeProgramName (processor->getCurrentProgram(), juce::String::fromUTF8 (name));
}

void JuceVSTWrapper::getProgramName (char* name)
{
    copyText (name, processor->getProgramName (processor->getCurrentProgram()),
              PluginIdentity::maxProgramNameLength);
}

void JuceVSTWrapper::getParameterDisplay (vst2::VstInt32 index, char* text)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    copyText (text, processor->getParameterText (index), PluginIdentity::maxParameterTextLength);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void JuceVSTWrapper::getParameterName (vst2::VstInt32 index, char* text)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    copyText (text, processor->getParameterName (index), PluginIdentity::maxParameterNameLength);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void JuceVSTWrapper::resume()
{
    prepared = true;

    const auto rate =
        sampleRate > 0.0f ? (double) sampleRate : (double) PluginIdentity::defaultSampleRate;
    processor->setRateAndBufferSizeDetails (rate, blockSize);
    processor->prepareToPlay (rate, blockSize);

    midiEvents.clear(); // events that arrived while the plug-in was off are stale
    midiEvents.ensureSize (resumeMidiBufferBytes);
    oneEvent.ensureSize (maxEventBytes);
    outgoingEvents.ensureCapacity (resumeEventCapacity);
    wantEvents();
}

void JuceVSTWrapper::suspend()
{
    processor->releaseResources();
    midiEvents.clear();
    prepared = false;
}

vst2::VstInt32 JuceVSTWrapper::getChunk (void** data, bool)
{
    // A bank and a single program are the same bytes: the routing matrix.
    stateBlock.reset();
    processor->getStateInformation (stateBlock);
    *data = stateBlock.getData();
    stateBlockTime = juce::Time::getApproximateMillisecondCounter();
    return (vst2::VstInt32) stateBlock.getSize();
}

vst2::VstInt32 JuceVSTWrapper::setChunk (void* data, vst2::VstInt32 byteSize, bool)
{
    stateBlock.reset();
    stateBlockTime = 0;

    if (byteSize > 0 && data != nullptr)
        processor->setStateInformation (data, byteSize);

    return 0;
}

vst2::VstInt32 JuceVSTWrapper::processEvents (vst2::VstEvents* events)
{
    if (events == nullptr)
        return 1;

    const auto* list = events->events; // the host's list is longer than the two it declares

    for (int i = 0; i < events->numEvents; ++i)
    {
        const auto* event = list[i];

        if (event == nullptr || event->type != vst2::kVstMidiType)
            continue;

        const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*> (event);

        // The buffer keeps as many bytes as the status byte calls for, and drops a data byte.
        // Hosts mostly deliver in position order: such an event goes straight to the end, since
        // addEvent searches from the start and would make a dense block cost O(n^2).
        if (midiEvents.isEmpty() || midi->deltaFrames >= lastEventPosition)
        {
            oneEvent.clear();
            oneEvent.addEvent (midi->midiData, 4, midi->deltaFrames);
            midiEvents.data.addArray (oneEvent.data);

            if (! oneEvent.isEmpty())
                lastEventPosition = midi->deltaFrames;
        }
        else
        {
            midiEvents.addEvent (midi->midiData, 4, midi->deltaFrames);
        }
    }

    return 1;
}

bool JuceVSTWrapper::getProgramNameIndexed (vst2::VstInt32, vst2::VstInt32 index, char* text)
{
    if (! juce::isPositiveAndBelow (index, processor->getNumPrograms()))
        return false;

    copyText (text, processor->getProgramName (index), PluginIdentity::maxProgramNameLength);
    return true;
}

vst2::VstInt32 JuceVSTWrapper::getPlugCategory()
{
    return PluginIdentity::category;
}

bool JuceVSTWrapper::getEffectName (char* name)
{
    copyText (name, PluginIdentity::effectName, PluginIdentity::maxNameLength);
    return true;
}

bool JuceVSTWrapper::getVendorString (char* text)
{
    copyText (text, PluginIdentity::vendorName, PluginIdentity::maxNameLength);
    return true;
}

bool JuceVSTWrapper::getProductString (char* text)
{
    return getEffectName (text);
}

vst2::VstInt32 JuceVSTWrapper::getVendorVersion()
{
    return PluginIdentity::vendorVersion;
}

vst2::VstInt32 JuceVSTWrapper::canDo (const char* text)
{
    return PluginIdentity::canDo (text) ? 1 : 0;
}

void JuceVSTWrapper::audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value)
{
    automateParameter (index, value);
}

void JuceVSTWrapper::audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&)
{
}
