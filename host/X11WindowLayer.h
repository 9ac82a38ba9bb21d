#pragma once

#include "host/NativeWindowLayer.h"

struct _XDisplay;

/** The window layer for Linux hosts, on X11. A handle is an X window id (the host passes one to
    effEditOpen, and JUCE's ComponentPeer::getNativeHandle() answers one).

    It talks to the X server over a connection of its own, opened on first use and kept for the
    process: JUCE keeps its Display private to its native code, and a separate connection keeps
    this layer's requests and errors apart from JUCE's. Every call runs with an X error handler
    installed and synchronises before removing it, so that a window that has gone makes the call
    do nothing instead of reaching Xlib's default handler, which would end the host. */
class X11WindowLayer : public NativeWindowLayer
{
public:
    X11WindowLayer() = default;
    ~X11WindowLayer() override;

    /** The process's layer. */
    static X11WindowLayer& getInstance();

    void setParent (Handle window, Handle newParent) override;
    juce::uint32 getStyle (Handle window) override;
    void setStyle (Handle window, juce::uint32 style) override;
    Handle getParent (Handle window) override;
    int getClassName (Handle window, char* buffer, int bufferSize) override;
    juce::Rectangle<int> getWindowRect (Handle window) override;
    void resizeWindow (Handle window, int width, int height) override;
    void raiseWindow (Handle window) override;
    int getFixedFrameThickness() override;

    /** False when no X server could be reached; every call then does nothing. */
    bool isConnected();

private:
    class ErrorTrap;

    _XDisplay* getDisplay();
    unsigned long getParentOrRoot (unsigned long window, unsigned long& root);

    _XDisplay* display = nullptr;
    bool connectionTried = false;
    unsigned long wmStateAtom = 0;

    JUCE_DECLARE_NON_COPYABLE (X11WindowLayer)
};
