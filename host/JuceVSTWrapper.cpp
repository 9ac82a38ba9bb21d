#include "host/JuceVSTWrapper.h"

#include "host/EditorCompWrapper.h"
#include "host/HostWindows.h"
#include "host/PluginIdentity.h"
#include "host/PluginToolkit.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int resumeEventCapacity = 64;

// Enough MIDI buffer and sorting storage for a few hundred events, so that ordinary blocks never
// grow it.
constexpr size_t resumeMidiBufferBytes = 4096;
constexpr int resumeSortCapacity = 512;

// One event from the host in the MIDI buffer's layout: position, byte count, at most four bytes.
constexpr int maxEventBytes = MidiBufferLayout::headerBytes + 4;

/** The bytes a channel message (status 0x80 to 0xef) has: program change and channel pressure
    carry one data byte, the others two. */
constexpr int channelMessageLength (juce::uint8 status)
{
    return (status & 0xe0) == 0xc0 ? 2 : 3;
}

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
      processor (std::move (processorToOwn)), environment (hostingEnvironment)
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
            cancelPendingUpdate();
            processor->removeListener (this);

            if (PluginToolkit::mayChangeWindowsNow())
            {
                deleteEditor(); // first: the editor refers to the processor
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
        [[maybe_unused]] auto* editor = editorComp.release();
        [[maybe_unused]] auto* leftProcessor = processor.release();
    }
}

void JuceVSTWrapper::leaveEditorAndProcessorToMessageThread()
{
    // What is left outlives the adapter: the editor no longer reaches back into it. The toolkit
    // stays up until they are gone.
    struct Remains
    {
        PluginToolkit::Reference toolkit;
        std::unique_ptr<juce::AudioProcessor> processor;
        std::unique_ptr<EditorCompWrapper> editorComp;
    };

    auto remains = std::make_shared<Remains>();
    remains->processor = std::move (processor);
    remains->editorComp = std::move (editorComp);

    if (remains->editorComp != nullptr)
        remains->editorComp->detachFromHost();

    juce::MessageManager::callAsync (
        [remains]
        {
            if (remains->editorComp != nullptr)
                if (auto* editor = remains->editorComp->getEditor())
                    remains->processor->editorBeingDeleted (editor);

            remains->editorComp.reset();
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
        if (reentryGuard)
            return 0;

        fitHostWindowAsked();
        tellHostOfEditedRoutes();
        break;

    case vst2::effEditClose:
        tellHostOfEditedRoutes();
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
        // Not while an editor is being deleted further up this thread: the last size stands.
        if (! reentryGuard)
            makeEditor();

        if (editorComp != nullptr)
        {
            editorRect.top = 0;
            editorRect.left = 0;
            editorRect.bottom = (std::int16_t) editorComp->getHeight();
            editorRect.right = (std::int16_t) editorComp->getWidth();
        }
        else if (editorRect.right == 0)
        {
            return 0;
        }

        if (ptr != nullptr)
            *static_cast<vst2::ERect**> (ptr) = &editorRect;

        return (vst2::VstIntPtr) &editorRect;

    case vst2::effEditOpen:
        // Not while windows are being made or destroyed further up this thread; and without a
        // window to show it in there is nowhere to put an editor.
        if (! PluginToolkit::mayChangeWindowsNow())
            return 0;

        deleteEditor();

        if (ptr == nullptr)
            return 0;

        makeEditor();

        if (editorComp == nullptr)
            return 0;

        showEditorIn (ptr);
        return 1;

    case vst2::effEditClose:
        deleteEditorWhenWindowsMayChange();
        return 0;

    default: // effEditIdle
        idleEditor();
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
            deleteEditorWhenWindowsMayChange();
        });
}

void JuceVSTWrapper::deleteEditorWhenWindowsMayChange()
{
    if (PluginToolkit::mayChangeWindowsNow())
        deleteEditor();
    else
        triggerAsyncUpdate(); // once the message thread is back in its own loop
}

void JuceVSTWrapper::handleAsyncUpdate()
{
    deleteEditor();
}

void JuceVSTWrapper::makeEditor()
{
    if (editorComp != nullptr)
        return;

    auto* editor = processor->createEditorIfNeeded();

    if (editor == nullptr)
        return;

    editor->setOpaque (true);
    editor->setVisible (true);
    editorComp = std::make_unique<EditorCompWrapper> (*this, editor);
}

void JuceVSTWrapper::showEditorIn (void* parentWindow)
{
    // The wrapper gets a window of its own, hidden until it has become a child of the host's
    // window, so that nothing (an X window manager, say) takes it for a window of its own. Where
    // the toolkit must know its window's parent to place it there, it makes it there at once.
    editorComp->setOpaque (true);
    editorComp->setVisible (false);
    hostWindow = parentWindow;
    editorComp->addToDesktop (0, windowLayer().toolkitParentFor (hostWindow));

    if (auto* window = editorWindow())
        HostWindows::embed (windowLayer(), window, hostWindow);

    editorComp->setVisible (true);
}

void JuceVSTWrapper::deleteEditor()
{
    const ScopedReentryGuard guard;
    cancelPendingUpdate(); // a deletion put off until now is done

    if (editorComp != nullptr)
    {
        if (auto* editor = editorComp->getEditor())
            processor->editorBeingDeleted (editor);

        editorComp.reset();
        ++editorChanges;
    }

    hostWindow = nullptr;
    const std::lock_guard<std::mutex> lock (fitLock);
    fitAsked.reset();
}

void JuceVSTWrapper::idleEditor()
{
    if (reentryGuard || ! PluginToolkit::mayChangeWindowsNow())
        return;

    // The toolkit's own loop delivers messages and window-system events; a host that drives the
    // editor through effEditIdle sees due timers and pending repaints done within its call.
    const ScopedReentryGuard guard;
    juce::Timer::callPendingTimersSynchronously();

    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->performAnyPendingRepaintsNow();
}

void JuceVSTWrapper::timerCallback()
{
    // A host window that has gone took the editor's window with it: the editor goes too, rather
    // than draw into a window that is no more.
    if (hostWindow != nullptr && ! windowLayer().exists (hostWindow))
        deleteEditor();

    if (! reentryGuard)
        handedOutStates.freeOlderThan (stateBlockLifetimeMs, environment.approximateMilliseconds());
}

size_t JuceVSTWrapper::getHandedOutStateSize() const
{
    return handedOutStates.getTotalSize();
}

void JuceVSTWrapper::resizeHostWindow (int width, int height)
{
    if (editorComp == nullptr)
        return;

    const std::lock_guard<std::mutex> lock (fitLock);
    fitAsked = WindowFit{editorWindow(), width, height};
}

void JuceVSTWrapper::fitHostWindowAsked()
{
    std::optional<WindowFit> fit;
    {
        const std::lock_guard<std::mutex> lock (fitLock);
        fit.swap (fitAsked);
    }

    if (! fit.has_value())
        return;

    // Every call to the host may come back in: the walk stops once the instance is closed or its
    // editor has changed, as if the host had resized its window itself.
    const auto editorAsked = editorChanges.load();
    const auto hostAnswered = [this, editorAsked]
    { return isClosed() || editorChanges.load() != editorAsked; };

    const auto hostResizes = [this, &hostAnswered] (int w, int h)
    {
        if (callHost (vst2::audioMasterCanDo, 0, 0, const_cast<char*> ("sizeWindow")) == 0)
            return hostAnswered();

        return hostAnswered() || callHost (vst2::audioMasterSizeWindow, w, h) != 0 ||
               hostAnswered();
    };

    HostWindows::fitToEditor (windowLayer(), fit->editorWindow, fit->width, fit->height,
                              hostResizes);

    if (isClosed())
        return;

    PluginToolkit::callOnMessageThread (
        [this]
        {
            if (auto* peer = editorComp != nullptr ? editorComp->getPeer() : nullptr)
                peer->handleMovedOrResized();
        });
}

void JuceVSTWrapper::bringHostFrameToFront()
{
    if (editorComp != nullptr)
        HostWindows::bringFrameToFront (windowLayer(), editorWindow());
}

NativeWindowLayer& JuceVSTWrapper::windowLayer() const
{
    if (environment.windows != nullptr)
        return *environment.windows;

    return NativeWindowLayer::forThisPlatform();
}

NativeWindowLayer::Handle JuceVSTWrapper::editorWindow() const
{
    auto* peer = editorComp != nullptr ? editorComp->getPeer() : nullptr;
    return peer != nullptr ? peer->getNativeHandle() : nullptr;
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
    outgoingEvents.fillFrom (midiEvents);
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
    incomingEvents.reserve (resumeMidiBufferBytes);
    sortedEvents.reserve (resumeMidiBufferBytes);
    sortKeys.reserve (resumeSortCapacity);
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
    if (events == nullptr || events->numEvents <= 0)
        return 1;

    // The host's MIDI events go to the end of the buffer in one step, laid out in the buffer's
    // own way; hosts mostly deliver in position order, and anything else is sorted once the list
    // is in. The buffer keeps as many bytes as the status byte calls for, and no event that
    // starts with a data byte.
    const auto numEvents = events->numEvents;
    const auto* list = events->events; // the host's list is longer than the two it declares
    MidiBufferLayout::Scratch::Writer incoming (incomingEvents);
    auto* out = incoming.room ((size_t) numEvents * maxEventBytes);
    auto laidOut = ! midiEvents.isEmpty();
    auto latest = lastEventPosition;
    auto outOfOrder = false;

    for (int i = 0; i < numEvents; ++i)
    {
        const auto* event = list[i];

        if (event == nullptr || event->type != vst2::kVstMidiType)
            continue;

        const auto& midi = *reinterpret_cast<const vst2::VstMidiEvent*> (event);
        const auto* bytes = reinterpret_cast<const juce::uint8*> (midi.midiData);
        const auto position = midi.deltaFrames;

        if (bytes[0] < 0x80)
            continue;

        if (bytes[0] < 0xf0)
        {
            // All four bytes go in, in one step; the next event starts after the message's own.
            const auto numBytes = channelMessageLength (bytes[0]);
            out = MidiBufferLayout::writeHeader (out, position, numBytes);
            std::memcpy (out, bytes, 4);
            out += numBytes;
        }
        else
        {
            // System messages are measured by the toolkit's own rules.
            oneEvent.clear();
            oneEvent.addEvent (bytes, 4, position);

            if (oneEvent.isEmpty())
                continue;

            std::memcpy (out, oneEvent.data.begin(), (size_t) oneEvent.data.size());
            out += oneEvent.data.size();
        }

        if (laidOut && position < latest)
            outOfOrder = true;
        else
            latest = position;

        laidOut = true;
    }

    incoming.wrote (out);
    incoming.appendTo (midiEvents);
    lastEventPosition = latest;

    if (outOfOrder)
        sortEvents();

    return 1;
}

void JuceVSTWrapper::sortEvents()
{
    // Ordered by position, and by place in the buffer within one position: events keep the order
    // in which they arrived, whichever call of the host's brought them. O(n log n), in storage
    // that blocks of this size have already made.
    const auto* data = midiEvents.data.begin();
    sortKeys.clear();

    for (const juce::uint8* event = data; event < midiEvents.data.end();
         event = MidiBufferLayout::next (event))
    {
        const auto biased = (juce::uint32) MidiBufferLayout::positionOf (event) ^ 0x80000000u;
        sortKeys.push_back (((juce::uint64) biased << 32) | (juce::uint32) (event - data));
    }

    std::sort (sortKeys.begin(), sortKeys.end());

    MidiBufferLayout::Scratch::Writer sorted (sortedEvents);
    auto* out = sorted.room ((size_t) midiEvents.data.size());

    for (const auto key : sortKeys)
    {
        const auto* event = data + (juce::uint32) key;
        const auto eventBytes = MidiBufferLayout::next (event) - event;
        std::memcpy (out, event, (size_t) eventBytes);
        out += eventBytes;
    }

    sorted.wrote (out);
    midiEvents.clear();
    sorted.appendTo (midiEvents);
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
        routesEdited = true;
}

void JuceVSTWrapper::tellHostOfEditedRoutes()
{
    if (! isClosed() && routesEdited.exchange (false))
        callHost (vst2::audioMasterUpdateDisplay);
}
