#pragma once

#include <juce_graphics/juce_graphics.h>

/** The native-window operations that hosting the editor in a host's window needs, and no more.
    They follow the Win32 calls they stand for, so that the walks over the host's windows read the
    same on every platform. Window handles are opaque; nullptr names no window. Every operation
    is harmless on a handle whose window has gone: queries answer a neutral value (no parent, no
    style, an empty name or rectangle) and changes do nothing. */
class NativeWindowLayer
{
public:
    using Handle = void*;

    static constexpr juce::uint32 popupStyle = 0x80000000u; // WS_POPUP
    static constexpr juce::uint32 childStyle = 0x40000000u; // WS_CHILD
    static constexpr int classNameBufferSize = 32;

    virtual ~NativeWindowLayer() = default;

    /** The process's layer for the platform the plug-in is built for. */
    static NativeWindowLayer& forThisPlatform();

    /** The window that the toolkit makes the editor's own window in, before it is put into
        hostWindow: nullptr for the desktop, where setParent then moves it from. */
    virtual Handle toolkitParentFor (Handle hostWindow);

    /** SetParent: makes newParent the window's parent. */
    virtual void setParent (Handle window, Handle newParent) = 0;

    /** GetWindowLong / SetWindowLong with GWL_STYLE: the window's style bits. */
    virtual juce::uint32 getStyle (Handle window) = 0;
    virtual void setStyle (Handle window, juce::uint32 style) = 0;

    /** IsWindow: whether the window is there still. */
    virtual bool exists (Handle window) = 0;

    /** GetParent: the window's parent, or nullptr for a top-level window. */
    virtual Handle getParent (Handle window) = 0;

    /** GetClassName: copies at most bufferSize - 1 characters of the window's class name and a
        terminating zero into buffer, and answers the number of characters copied. */
    virtual int getClassName (Handle window, char* buffer, int bufferSize) = 0;

    /** GetWindowRect: the window's rectangle in screen coordinates. */
    virtual juce::Rectangle<int> getWindowRect (Handle window) = 0;

    /** SetWindowPos with SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER. */
    virtual void resizeWindow (Handle window, int width, int height) = 0;

    /** SetWindowPos with HWND_TOP, SWP_NOMOVE | SWP_NOSIZE: to the top of the Z order. */
    virtual void raiseWindow (Handle window) = 0;

    /** GetWindow (GW_HWNDPREV) and IsWindowVisible: whether no visible window lies above the window
        in the Z order of its siblings. The default, for a layer that cannot tell, answers false. */
    virtual bool isOnTop (Handle window);

    /** GetSystemMetrics (SM_CYFIXEDFRAME): the thickness of a fixed window frame. */
    virtual int getFixedFrameThickness() = 0;
};
