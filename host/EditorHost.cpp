#include "host/EditorHost.h"

#include "host/EditorCompWrapper.h"
#include "host/HostWindows.h"
#include "host/PluginToolkit.h"

EditorHost::EditorHost (juce::AudioProcessor& processorToShow, NativeWindowLayer& hostWindows)
    : processor (processorToShow),
      restingHint (dynamic_cast<const QuennellFilterBase*> (&processorToShow)),
      windows (hostWindows)
{
}

EditorHost::~EditorHost()
{
    deleteEditor();
}

vst2::ERect* EditorHost::getRect()
{
    // Not while an editor is being deleted further up this thread: the last size stands.
    if (! reentryGuard)
        makeEditor();

    if (editorComp == nullptr && editorRect.right == 0)
        return nullptr;

    return &editorRect;
}

bool EditorHost::open (void* parentWindow)
{
    // Not while windows are being made or destroyed further up this thread; and without a window
    // to show it in there is nowhere to put an editor.
    if (! PluginToolkit::mayChangeWindowsNow())
        return false;

    deleteEditor();

    if (parentWindow == nullptr)
        return false;

    makeEditor();

    if (editorComp == nullptr)
        return false;

    showEditorIn (parentWindow);
    return true;
}

void EditorHost::close()
{
    if (PluginToolkit::mayChangeWindowsNow())
        deleteEditor();
    else
        triggerAsyncUpdate(); // once the message thread is back in its own loop
}

void EditorHost::handleAsyncUpdate()
{
    deleteEditor();
}

void EditorHost::makeEditor()
{
    if (editorComp != nullptr)
        return;

    auto* editor = processor.createEditorIfNeeded();

    if (editor == nullptr)
        return;

    editor->setOpaque (true);
    editor->setVisible (true);
    editorComp = std::make_unique<EditorCompWrapper> (static_cast<Owner&> (*this), editor);
    rememberSize (editor->getWidth(), editor->getHeight());
}

void EditorHost::rememberSize (int width, int height)
{
    // The editor's own size, which it keeps whatever its window goes through (a window whose host
    // window has gone reads as empty), and which still answers while it is being deleted.
    if (width <= 0 || height <= 0)
        return;

    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = (std::int16_t) height;
    editorRect.right = (std::int16_t) width;
}

void EditorHost::showEditorIn (void* parentWindow)
{
    // The wrapper gets a window of its own, hidden until it has become a child of the host's
    // window, so that nothing (an X window manager, say) takes it for a window of its own. Where
    // the toolkit must know its window's parent to place it there, it makes it there at once.
    editorComp->setOpaque (true);
    editorComp->setVisible (false);
    hostWindow = parentWindow;
    editorComp->addToDesktop (0, windows.toolkitParentFor (hostWindow));

    if (auto* window = editorWindow())
        HostWindows::embed (windows, window, hostWindow);

    editorComp->setVisible (true);
    shown = true;
}

void EditorHost::deleteEditor()
{
    const ScopedReentryGuard guard;
    cancelPendingUpdate(); // a deletion put off until now is done
    shown = false;

    if (editorComp != nullptr)
    {
        if (auto* editor = editorComp->getEditor())
            processor.editorBeingDeleted (editor);

        editorComp.reset();
        ++editorChanges;
    }

    hostWindow = nullptr;
    const std::lock_guard<std::mutex> lock (fitLock);
    fitAsked.reset();
}

void EditorHost::idle()
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

bool EditorHost::hasIdleWork() const noexcept
{
    const auto rests = restingHint != nullptr && restingHint->editorIsResting() &&
                       PluginToolkit::idleMayLeaveMessageThreadAlone();
    return shown && ! rests;
}

void EditorHost::letGoIfHostWindowHasGone()
{
    if (hostWindow != nullptr && ! windows.exists (hostWindow))
        deleteEditor();
}

void EditorHost::editorResized (int width, int height)
{
    if (editorComp == nullptr)
        return;

    rememberSize (width, height);

    const std::lock_guard<std::mutex> lock (fitLock);
    fitAsked = WindowFit{editorWindow(), width, height};
}

bool EditorHost::fitHostWindowAsked (const std::function<bool (int, int)>& hostResizes)
{
    std::optional<WindowFit> fit;
    {
        const std::lock_guard<std::mutex> lock (fitLock);
        fit.swap (fitAsked);
    }

    if (! fit.has_value())
        return false;

    const auto editorAsked = editorChanges.load();
    HostWindows::fitToEditor (
        windows, fit->editorWindow, fit->width, fit->height,
        [&] (int w, int h) { return hostResizes (w, h) || editorChanges.load() != editorAsked; });
    return true;
}

void EditorHost::rereadWindowPlace()
{
    if (auto* peer = editorComp != nullptr ? editorComp->getPeer() : nullptr)
        peer->handleMovedOrResized();
}

void EditorHost::editorPressed()
{
    if (editorComp != nullptr)
        HostWindows::bringFrameToFront (windows, editorWindow());
}

NativeWindowLayer::Handle EditorHost::editorWindow() const
{
    auto* peer = editorComp != nullptr ? editorComp->getPeer() : nullptr;
    return peer != nullptr ? peer->getNativeHandle() : nullptr;
}
