#pragma once

#include "host/AudioEffectX.h"
#include "host/HandedOutStates.h"
#include "host/NativeWindowLayer.h"
#include "host/OutgoingEventArray.h"
#include "plugin/MidiBufferLayout.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class EditorCompWrapper;

/** What editor hosting reads from the system: the clock and the host's windows. The defaults
    are the real ones; tests put in their own. */
struct EditorHostingEnvironment
{
    juce::uint32 (*approximateMilliseconds)() = juce::Time::getApproximateMillisecondCounter;
    NativeWindowLayer* windows = nullptr; // nullptr: the platform's own layer
};

/** Binds the VST 2 adapter to the plug-in's processor: identity and state for the dispatcher,
    the host's MIDI into the processor and the routed MIDI back to the host, once per block; and
    shows the processor's editor inside the host's window.

    The editor opcodes, effOpen, effClose and the adapter's destruction run on the toolkit's
    message thread, a thread of the plug-in's own, whichever thread the host calls them on; the
    host's thread waits for them. The plug-in never calls the host from that thread. It asks for
    no idle time: its own thread delivers the editor's repaints and timers while the user drags,
    whatever the host's threads do. What it must tell or ask the host (the routes edited, fitting
    the host's window to the editor) waits for the host's next effEditIdle, on the host's thread.

    An editor opcode that reaches the message thread while it is busy with windows further up
    (a Windows host calling from its window procedure while it answers the editor's window) leaves
    the windows alone: an open is refused, a close deletes the editor once the thread is back in
    its loop, and the idle work is skipped. */
class JuceVSTWrapper : public AudioEffectX,
                       public juce::Timer,
                       private juce::AsyncUpdater,
                       private juce::AudioProcessorListener
{
public:
    JuceVSTWrapper (vst2::audioMasterCallback audioMaster,
                    std::unique_ptr<juce::AudioProcessor> processorToOwn,
                    EditorHostingEnvironment environment = {});
    ~JuceVSTWrapper() override;

    // Shared by every instance in the process, and set only on the message thread. The guard is
    // set while an editor is deleted and while the idle work runs, so that a host calling back
    // meanwhile does not re-enter that work. Host threads read it before they wait for the
    // message thread: a host that calls back from another thread of its own then finds the guard
    // instead of waiting for ever.
    static inline std::atomic<bool> reentryGuard{false};

    /** Sets reentryGuard for as long as it lives, then gives it back the value it had. */
    class ScopedReentryGuard
    {
    public:
        ScopedReentryGuard() : previous (reentryGuard.exchange (true)) {}
        ~ScopedReentryGuard() { reentryGuard = previous; }

    private:
        const bool previous;
        JUCE_DECLARE_NON_COPYABLE (ScopedReentryGuard)
    };

    static constexpr int timerIntervalMs = 250;
    static constexpr juce::uint32 stateBlockLifetimeMs = 2000;

    vst2::VstIntPtr dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                void* ptr, float opt) override;

    void process (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void processReplacing (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void setParameter (vst2::VstInt32 index, float value) override;
    float getParameter (vst2::VstInt32 index) override;

    // Asked by the editor wrapper, on the message thread.
    void resizeHostWindow (int width, int height);
    void bringHostFrameToFront();

    /** The bytes of effGetChunk answers still kept for the host. */
    size_t getHandedOutStateSize() const;

    /** Frees a handed-out state block once the host has had time to copy it, and lets the editor
        go when the host's window has gone from under it. */
    void timerCallback() override;

protected:
    // Dispatcher opcodes 0 to 24
    void open() override;
    void close() override;
    void setProgram (vst2::VstInt32 program) override;
    vst2::VstInt32 getProgram() override;
    void setProgramName (const char* name) override;
    void getProgramName (char* name) override;
    void getParameterDisplay (vst2::VstInt32 index, char* text) override;
    void getParameterName (vst2::VstInt32 index, char* text) override;
    void suspend() override;
    void resume() override;
    vst2::VstInt32 getChunk (void** data, bool isPreset) override;
    vst2::VstInt32 setChunk (void* data, vst2::VstInt32 byteSize, bool isPreset) override;

    // Dispatcher opcodes 25 to 76
    vst2::VstInt32 processEvents (vst2::VstEvents* events) override;
    bool getProgramNameIndexed (vst2::VstInt32 category, vst2::VstInt32 index, char* text) override;
    vst2::VstInt32 getPlugCategory() override;
    bool getEffectName (char* name) override;
    bool getVendorString (char* text) override;
    bool getProductString (char* text) override;
    vst2::VstInt32 getVendorVersion() override;
    vst2::VstInt32 canDo (const char* text) override;

private:
    /** The editor's native window and the size to fit the host's windows to. */
    struct WindowFit
    {
        NativeWindowLayer::Handle editorWindow = nullptr;
        int width = 0, height = 0;
    };

    void makeEditor();
    void showEditorIn (void* parentWindow);
    void deleteEditor();
    /** Deletes the editor now, or once the message thread may destroy its windows. */
    void deleteEditorWhenWindowsMayChange();
    void handleAsyncUpdate() override;
    /** Hands the editor and the processor to the message thread to delete, from the adapter's
        destruction when it may not destroy windows now. */
    void leaveEditorAndProcessorToMessageThread();
    void idleEditor();
    /** On the host's thread: fits the host's windows to the size the editor last took. */
    void fitHostWindowAsked();
    /** On the host's thread: tells the host of the routes the user has changed since it last
        heard, once however many changes came in between. */
    void tellHostOfEditedRoutes();
    NativeWindowLayer& windowLayer() const;
    NativeWindowLayer::Handle editorWindow() const;

    void processBlock (float** outputs, vst2::VstInt32 sampleFrames);
    void sortEvents();
    void sendRoutedEvents();

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override;

    /** Answers the editor opcodes, on the message thread. */
    vst2::VstIntPtr dispatchEditorOpcode (vst2::VstInt32 opcode, void* ptr);

    std::unique_ptr<juce::AudioProcessor> processor;
    juce::MidiBuffer midiEvents;
    int lastEventPosition = 0; // the latest position in midiEvents while it is not empty
    MidiBufferLayout::Scratch incomingEvents; // the host's list, before it joins midiEvents
    juce::MidiBuffer oneEvent;                // where the toolkit measures a system message
    std::vector<juce::uint64> sortKeys;       // (position, place) of each event to sort
    MidiBufferLayout::Scratch sortedEvents;   // midiEvents in position order
    OutgoingEventArray outgoingEvents;
    bool prepared = false;
    HandedOutStates handedOutStates;

    const EditorHostingEnvironment environment;
    std::unique_ptr<EditorCompWrapper> editorComp;
    vst2::ERect editorRect{};
    void* hostWindow = nullptr;

    std::mutex fitLock;
    std::optional<WindowFit> fitAsked; // for the host's next effEditIdle
    std::atomic<bool> routesEdited{false};
    std::atomic<unsigned> editorChanges{0}; // editors deleted: a fit asked of an older one is void

    JUCE_DECLARE_NON_COPYABLE (JuceVSTWrapper)
};
