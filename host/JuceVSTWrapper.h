#pragma once

#include "host/AudioEffectX.h"
#include "host/EditorHost.h"
#include "host/HandedOutStates.h"
#include "host/IncomingEvents.h"
#include "host/NativeWindowLayer.h"
#include "host/OutgoingEventArray.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>

/** What editor hosting reads from the system: the clock and the host's windows. The defaults
    are the real ones; tests put in their own. */
struct EditorHostingEnvironment
{
    juce::uint32 (*approximateMilliseconds)() = juce::Time::getApproximateMillisecondCounter;
    NativeWindowLayer* windows = nullptr; // nullptr: the platform's own layer
};

/** Binds the VST 2 adapter to the plug-in's processor: the dispatcher's opcodes, the host's MIDI
    into the processor and the processed MIDI back to the host once per block, state handed out
    and restored, and the processor's editor inside the host's window (EditorHost).

    The editor opcodes, effOpen, effClose and the adapter's destruction run on the toolkit's
    message thread, a thread of the plug-in's own, whichever thread the host calls them on; the
    host's thread waits for them. The plug-in never calls the host from that thread. It asks for
    no idle time: its own thread delivers the editor's repaints and timers while the user drags,
    whatever the host's threads do. What it must tell or ask the host (state the user changed in
    the editor, fitting the host's window to the editor) waits for the host's next effEditIdle,
    on the host's thread. */
class JuceVSTWrapper : public AudioEffectX, public juce::Timer, private juce::AudioProcessorListener
{
public:
    JuceVSTWrapper (vst2::audioMasterCallback audioMaster,
                    std::unique_ptr<juce::AudioProcessor> processorToOwn,
                    EditorHostingEnvironment environment = {});
    ~JuceVSTWrapper() override;

    static constexpr int timerIntervalMs = 250;
    static constexpr juce::uint32 stateBlockLifetimeMs = 2000;

    vst2::VstIntPtr dispatcher (vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                void* ptr, float opt) override;

    void process (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void processReplacing (float** inputs, float** outputs, vst2::VstInt32 sampleFrames) override;
    void setParameter (vst2::VstInt32 index, float value) override;
    float getParameter (vst2::VstInt32 index) override;

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

    /** Deletes the instance at once, or, when the host's last call reached the message thread
        nested in that thread's own work with windows, once the thread is back in its loop: what of
        the instance is further up that thread (a timer tick, an editor deleting its window) stays
        whole until then. */
    void destroy() override;

private:
    /** Answers the editor opcodes, on the message thread. */
    vst2::VstIntPtr dispatchEditorOpcode (vst2::VstInt32 opcode, void* ptr);
    /** On the host's thread: fits the host's windows to the size the editor last took. */
    void fitHostWindowAsked();
    /** On the host's thread: tells the host of state changed in the editor since it last heard,
        once however many changes came in between. */
    void tellHostOfEditedState();
    /** From the adapter's destruction, when the message thread may not destroy windows now: the
        editor and the processor are deleted once it is back in its loop. */
    void leaveEditorAndProcessorToMessageThread();
    NativeWindowLayer& windowLayer() const;

    void processBlock (float** outputs, vst2::VstInt32 sampleFrames);
    void sendProcessedEvents();

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override;

    std::unique_ptr<juce::AudioProcessor> processor;
    IncomingEvents incomingEvents;
    OutgoingEventArray outgoingEvents;
    bool prepared = false;
    HandedOutStates handedOutStates;

    const EditorHostingEnvironment environment;
    std::unique_ptr<EditorHost> editorHost;
    std::atomic<bool> stateEdited{false};

    JUCE_DECLARE_NON_COPYABLE (JuceVSTWrapper)
};
