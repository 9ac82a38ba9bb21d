#pragma once

#include "host/NativeWindowLayer.h"

#include <mutex>

struct xcb_connection_t;

/** The window layer for Linux hosts, on X11. A handle is an X window id (the host passes one to
    effEditOpen, and JUCE's ComponentPeer::getNativeHandle() answers one).

    It talks to the X server over an XCB connection of its own, opened on first use and kept for
    the process. Every request is checked on its own: the server's answer, or its error, comes
    back to the very call that asked, so a window that has gone makes the call do nothing, and an
    error that another connection of the host's earns is never taken for this layer's. The layer
    installs no handler of any kind. */
class X11WindowLayer : public NativeWindowLayer
{
public:
    X11WindowLayer() = default;
    ~X11WindowLayer() override;

    /** The process's layer. */
    static X11WindowLayer& getInstance();

    /** The host's window itself: an X11 toolkit window moved into another window behind the
        toolkit's back takes positions in its parent for positions on the screen. */
    Handle toolkitParentFor (Handle hostWindow) override;
    void setParent (Handle window, Handle newParent) override;
    juce::uint32 getStyle (Handle window) override;
    void setStyle (Handle window, juce::uint32 style) override;
    bool exists (Handle window) override;
    Handle getParent (Handle window) override;
    int getClassName (Handle window, char* buffer, int bufferSize) override;
    juce::Rectangle<int> getWindowRect (Handle window) override;
    void resizeWindow (Handle window, int width, int height) override;
    void raiseWindow (Handle window) override;
    int getFixedFrameThickness() override;

    /** False when no X server could be reached; every call then does nothing. */
    bool isConnected();

private:
    xcb_connection_t* getConnection();
    juce::uint32 getParentOrRoot (juce::uint32 window, juce::uint32& root);
    bool hasProperty (juce::uint32 window, juce::uint32 property);

    std::once_flag connecting;
    xcb_connection_t* connection = nullptr;
    juce::uint32 rootWindow = 0;
    juce::uint32 wmStateAtom = 0;

    JUCE_DECLARE_NON_COPYABLE (X11WindowLayer)
};
