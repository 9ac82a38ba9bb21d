#include "host/JuceVSTWrapper.h"

#include "host/PluginIdentity.h"
#include "host/PluginToolkit.h"

namespace
{
constexpr int resumeEventCapacity = 64;

int numParametersOf (juce::AudioProcessor& processor)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    return processor.getNumParameters();
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}
} // namespace

JuceVSTWrapper::JuceVSTWrapper (vst2::audioMasterCallback master,
                                std::unique_ptr<juce::AudioProcessor> processorToOwn,
                                EditorHostingEnvironment hostingEnvironment)
    : AudioEffectX (master, processorToOwn->getNumPrograms(), numParametersOf (*processorToOwn)),
      processor (std::move (processorToOwn)), environment (hostingEnvironment),
      editorHost (std::make_unique<EditorHost> (*processor, windowLayer()))
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
    // On the message thread, so that no timer tick, message or paint of this instance runs
    // meanwhile or is left to run afterwards.
    PluginToolkit::callOnMessageThread (
        [this]
        {
            stopTimer();
            processor->removeListener (this);

            if (PluginToolkit::mayChangeWindowsNow())
            {
                editorHost.reset(); // first: the editor refers to the processor
                processor.reset();
            }
            else
            {
                leaveEditorAndProcessorToMessageThread();
            }
        });

    // A process that is ending has stopped its message thread where it was: what that thread did
    // not delete is left, untouched, to the process's end.
    if (processor != nullptr)
    {
        [[maybe_unused]] auto* editor = editorHost.release();
        [[maybe_unused]] auto* leftProcessor = processor.release();
    }
}

void JuceVSTWrapper::destroy()
{
    const auto deleteNow = PluginToolkit::callOnMessageThread (
        [this]
        {
            if (PluginToolkit::mayChangeWindowsNow())
                return true;

            juce::MessageManager::callAsync ([this] { delete this; });
            return false;
        });

    // A process that is ending leaves the instance as it is, with the message thread.
    if (deleteNow)
        delete this;
}

void JuceVSTWrapper::leaveEditorAndProcessorToMessageThread()
{
    // The toolkit stays up until they are gone.
    struct Remains
    {
        PluginToolkit::Reference toolkit;
        std::unique_ptr<juce::AudioProcessor> processor;
        std::unique_ptr<EditorHost> editorHost;
    };

    auto remains = std::make_shared<Remains>();
    remains->processor = std::move (processor);
    remains->editorHost = std::move (editorHost);

    juce::MessageManager::callAsync (
        [remains]
        {
            remains->editorHost.reset();
            remains->processor.reset();
        });
}

vst2::VstIntPtr JuceVSTWrapper::dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                            vst2::VstIntPtr value, void* ptr, float opt)
{
    // What the host is told or asked, it is told or asked here, on its own thread.
    switch (opcode)
    {
    case vst2::effEditIdle:
        // The idle work is skipped while the guard is set; looking before waiting for the message
        // thread keeps a host that calls back from another thread while the toolkit is busy
        // calling it from waiting for ever.
        if (EditorHost::reentryGuard)
            return 0;

        fitHostWindowAsked();
        tellHostOfEditedState();

        if (! editorHost->hasIdleWork())
            return 0;
        break;

    case vst2::effEditClose:
        tellHostOfEditedState();
        break;

    case vst2::effEditGetRect:
    case vst2::effEditOpen:
        break;

    default:
        return AudioEffectX::dispatcher (opcode, index, value, ptr, opt);
    }

    // A host that closed the instance from inside one of those calls has its answer already.
    if (isClosed())
        return 0;

    return PluginToolkit::callOnMessageThread ([&] { return dispatchEditorOpcode (opcode, ptr); });
}

vst2::VstIntPtr JuceVSTWrapper::dispatchEditorOpcode (vst2::VstInt32 opcode, void* ptr)
{
    switch (opcode)
    {
    case vst2::effEditGetRect:
    {
        auto* rect = editorHost->getRect();

        if (rect != nullptr && ptr != nullptr)
            *static_cast<vst2::ERect**> (ptr) = rect;

        return (vst2::VstIntPtr) rect;
    }

    case vst2::effEditOpen:
        return editorHost->open (ptr) ? 1 : 0;

    case vst2::effEditClose:
        editorHost->close();
        return 0;

    default: // effEditIdle
        editorHost->idle();
        return 0;
    }
}

void JuceVSTWrapper::open()
{
    PluginToolkit::callOnMessageThread ([this] { startTimer (timerIntervalMs); });
}

void JuceVSTWrapper::close()
{
    PluginToolkit::callOnMessageThread (
        [this]
        {
            stopTimer();
            editorHost->close();
        });
}

void JuceVSTWrapper::timerCallback()
{
    editorHost->letGoIfHostWindowHasGone();

    if (! EditorHost::reentryGuard)
        handedOutStates.freeOlderThan (stateBlockLifetimeMs, environment.approximateMilliseconds());
}

size_t JuceVSTWrapper::getHandedOutStateSize() const
{
    return handedOutStates.getTotalSize();
}

void JuceVSTWrapper::fitHostWindowAsked()
{
    // Every call to the host may come back in: once the instance is closed, the walk stops as if
    // the host had resized its window itself, and nothing more is asked of it.
    const auto fitted = editorHost->fitHostWindowAsked (
        [this] (int width, int height)
        {
            if (callHost (vst2::audioMasterCanDo, 0, 0, const_cast<char*> ("sizeWindow")) == 0)
                return isClosed();

            return isClosed() || callHost (vst2::audioMasterSizeWindow, width, height) != 0 ||
                   isClosed();
        });

    if (fitted && ! isClosed())
        PluginToolkit::callOnMessageThread ([this] { editorHost->rereadWindowPlace(); });
}

NativeWindowLayer& JuceVSTWrapper::windowLayer() const
{
    if (environment.windows != nullptr)
        return *environment.windows;

    return NativeWindowLayer::forThisPlatform();
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
        processor->processBlock (audio, incomingEvents.buffer());
    }

    if (! incomingEvents.buffer().isEmpty())
        sendProcessedEvents();
}

void JuceVSTWrapper::sendProcessedEvents()
{
    outgoingEvents.fillFrom (incomingEvents.buffer());
    sendVstEventsToHost (outgoingEvents.getEvents());
    incomingEvents.clear();
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

    incomingEvents.clear(); // events that arrived while the plug-in was off are stale
    incomingEvents.reserve();
    outgoingEvents.ensureCapacity (resumeEventCapacity);
    wantEvents();
}

void JuceVSTWrapper::suspend()
{
    processor->releaseResources();
    incomingEvents.clear();
    prepared = false;
}

vst2::VstInt32 JuceVSTWrapper::getChunk (void** data, bool)
{
    // A bank and a single program are the same bytes: the routing matrix.
    juce::MemoryBlock state;
    processor->getStateInformation (state);
    const auto size = (vst2::VstInt32) state.getSize();
    *data = const_cast<void*> (
        handedOutStates.handOut (std::move (state), environment.approximateMilliseconds()));
    return size;
}

vst2::VstInt32 JuceVSTWrapper::setChunk (void* data, vst2::VstInt32 byteSize, bool)
{
    // What earlier answers handed out stays as it is until the timer frees it.
    if (byteSize > 0 && data != nullptr)
        processor->setStateInformation (data, byteSize);

    return 0;
}

vst2::VstInt32 JuceVSTWrapper::processEvents (vst2::VstEvents* events)
{
    if (events != nullptr)
        incomingEvents.add (*events);

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

void JuceVSTWrapper::audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details)
{
    // On the message thread, which may not be the host's: the host hears at its next idle.
    if (details.nonParameterStateChanged)
        stateEdited = true;
}

void JuceVSTWrapper::tellHostOfEditedState()
{
    if (! isClosed() && stateEdited.exchange (false))
        callHost (vst2::audioMasterUpdateDisplay);
}
