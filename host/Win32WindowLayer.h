#pragma once

#include "host/NativeWindowLayer.h"

/** The window layer for Windows hosts: each operation is the Win32 call it is named after. A
    handle is an HWND (the host passes one to effEditOpen, and JUCE's
    ComponentPeer::getNativeHandle() answers one). Win32 itself makes every call harmless on a
    window that has gone: it fails, and the neutral answers follow from that. */
class Win32WindowLayer : public NativeWindowLayer
{
public:
    /** The process's layer. */
    static Win32WindowLayer& getInstance();

    void setParent (Handle window, Handle newParent) override;
    juce::uint32 getStyle (Handle window) override;
    void setStyle (Handle window, juce::uint32 style) override;
    bool exists (Handle window) override;
    Handle getParent (Handle window) override;
    int getClassName (Handle window, char* buffer, int bufferSize) override;
    juce::Rectangle<int> getWindowRect (Handle window) override;
    void resizeWindow (Handle window, int width, int height) override;
    void raiseWindow (Handle window) override;
    bool isOnTop (Handle window) override;
    int getFixedFrameThickness() override;
};
