#pragma once

#include "host/EditorCompWrapper.h"
#include "host/NativeWindowLayer.h"
#include "host/VstInterface.h"
#include "plugin/QuennellFilterBase.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

/** Shows a processor's editor inside a host's native window: makes it for a size query or an
    open, puts it into the host's window, idles it, fits the host's windows to it, and deletes it.

    Everything but fitHostWindowAsked runs on the toolkit's message thread. A call that reaches it
    while that thread is busy with windows further up (a Windows host calling from its window
    procedure while it answers the editor's window) leaves the windows alone: an open is refused,
    a close deletes the editor once the thread is back in its loop, and the idle work is skipped.

    The processor outlives its editor host. */
class EditorHost : private EditorCompWrapper::Owner, private juce::AsyncUpdater
{
public:
    EditorHost (juce::AudioProcessor& processor, NativeWindowLayer& windows);
    ~EditorHost() override;

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

    /** effEditGetRect: the editor's size, making a hidden editor if there is none; nullptr when
        the processor gives none. */
    vst2::ERect* getRect();

    /** effEditOpen: a new editor, shown inside the host's window. */
    bool open (void* hostWindow);

    /** effEditClose: deletes the editor now, or once the message thread may destroy windows. */
    void close();

    /** effEditIdle: runs due timers and pending repaints within the host's call. */
    void idle();

    /** On any thread: whether idle has anything to do, that is whether an editor is shown in a
        host's window and does not rest (where the platform lets it rest). With none, the host's
        idle call leaves the message thread asleep, which goes on running the toolkit's own timers
        and repaints. */
    bool hasIdleWork() const noexcept;

    /** From the adapter's timer: a host window that has gone took the editor's window with it, and
        the editor goes too, rather than draw into a window that is no more. */
    void letGoIfHostWindowHasGone();

    /** On the host's thread: fits the host's windows to the size the editor last took, if it has
        changed. hostResizes asks the host to do it and answers whether it has (or wants no more
        asked of it); the walk also stops once the editor has changed meanwhile, since any call to
        the host may come back in. Answers whether a fit was asked. */
    bool fitHostWindowAsked (const std::function<bool (int width, int height)>& hostResizes);

    /** On the message thread, once the host's windows have been fitted: the toolkit re-reads where
        the editor's window is. */
    void rereadWindowPlace();

private:
    /** The editor's native window and the size to fit the host's windows to. */
    struct WindowFit
    {
        NativeWindowLayer::Handle editorWindow = nullptr;
        int width = 0, height = 0;
    };

    void makeEditor();
    void rememberSize (int width, int height);
    void showEditorIn (void* parentWindow);
    void deleteEditor();
    NativeWindowLayer::Handle editorWindow() const;

    void editorResized (int width, int height) override;
    void editorPressed() override;
    void handleAsyncUpdate() override;

    juce::AudioProcessor& processor;
    const QuennellFilterBase* const restingHint; // none: the editor never says it rests
    NativeWindowLayer& windows;
    std::unique_ptr<EditorCompWrapper> editorComp;
    vst2::ERect editorRect{};
    void* hostWindow = nullptr;
    std::atomic<bool> shown{false};

    std::mutex fitLock;
    std::optional<WindowFit> fitAsked;      // for the host's next effEditIdle
    std::atomic<unsigned> editorChanges{0}; // editors deleted: a fit asked of an older one is void

    JUCE_DECLARE_NON_COPYABLE (EditorHost)
};
