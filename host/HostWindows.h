#pragma once

#include "host/NativeWindowLayer.h"

#include <functional>

/** What the plug-in does to the host's windows: it puts the editor's native window into the
    host's window, grows the host's windows around the editor when the host will not resize them
    itself, and brings the host's frame to the front. All of it goes through a NativeWindowLayer,
    so the walks are the same on every platform and testable on a window tree in memory. */
class HostWindows
{
public:
    using Handle = NativeWindowLayer::Handle;

    /** Asked first by fitToEditor with the editor's new width and height; answers true when the
        host has resized its window itself (it can, and agreed to). */
    using HostResizeRequest = std::function<bool (int width, int height)>;

    /** The border a window must exceed, in either direction, for the walks to leave it alone. */
    static constexpr int maximumBorder = 100;

    /** Makes hostWindow the parent of editorWindow, and turns editorWindow from a pop-up into a
        child, leaving its other style bits alone. */
    static void embed (NativeWindowLayer&, Handle editorWindow, Handle hostWindow);

    /** Fits the host's windows to an editor of width x height. Unless the host resizes its window
        on request, resizes editorWindow and then each enclosing window, grown by the border it
        had around the window inside it. Stops at an MDI client area and at a window whose border
        is exactly a fixed frame on each side (which is still resized), and leaves alone a window
        more than maximumBorder larger than its content. */
    static void fitToEditor (NativeWindowLayer&, Handle editorWindow, int width, int height,
                             const HostResizeRequest& hostResizesWindow);

    /** The host's frame around editorWindow: the MDI client area it sits in, the window framed
        by exactly a fixed frame, the last window before one much larger than its content, or the
        top-level window; nullptr when editorWindow is nullptr. */
    static Handle findFrame (NativeWindowLayer&, Handle editorWindow);

    /** Raises the host's frame around editorWindow to the top, without moving or resizing it,
        unless it is there already. */
    static void bringFrameToFront (NativeWindowLayer&, Handle editorWindow);

private:
    static bool isMdiClient (NativeWindowLayer&, Handle window);
};
