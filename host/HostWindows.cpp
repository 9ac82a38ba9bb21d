#include "host/HostWindows.h"

NativeWindowLayer::Handle NativeWindowLayer::toolkitParentFor (Handle)
{
    return nullptr;
}

bool NativeWindowLayer::isOnTop (Handle)
{
    return false;
}

void HostWindows::embed (NativeWindowLayer& layer, Handle editorWindow, Handle hostWindow)
{
    layer.setParent (editorWindow, hostWindow);

    const auto style = layer.getStyle (editorWindow);
    layer.setStyle (editorWindow,
                    (style & ~NativeWindowLayer::popupStyle) | NativeWindowLayer::childStyle);
}

void HostWindows::fitToEditor (NativeWindowLayer& layer, Handle editorWindow, int width, int height,
                               const HostResizeRequest& hostResizesWindow)
{
    if (hostResizesWindow != nullptr && hostResizesWindow (width, height))
        return;

    auto* win = editorWindow;

    if (win == nullptr)
        return;

    const auto frame = layer.getFixedFrameThickness();
    int dw = 0, dh = 0;

    for (;;)
    {
        auto* parent = layer.getParent (win);

        if (parent == nullptr || isMdiClient (layer, parent))
            break;

        // Both rectangles are read before the resize: the border is the one the host laid out.
        const auto winRect = layer.getWindowRect (win);
        const auto parentRect = layer.getWindowRect (parent);

        layer.resizeWindow (win, width + dw, height + dh);

        dw = parentRect.getWidth() - winRect.getWidth();
        dh = parentRect.getHeight() - winRect.getHeight();
        win = parent;

        if (dw == 2 * frame)
            break;

        if (dw > maximumBorder || dh > maximumBorder)
            return;
    }

    layer.resizeWindow (win, width + dw, height + dh);
}

HostWindows::Handle HostWindows::findFrame (NativeWindowLayer& layer, Handle editorWindow)
{
    auto* win = editorWindow;

    if (win == nullptr)
        return nullptr;

    const auto frame = layer.getFixedFrameThickness();

    for (;;)
    {
        auto* parent = layer.getParent (win);

        if (parent == nullptr)
            return win;

        if (isMdiClient (layer, parent))
            return parent;

        const auto winRect = layer.getWindowRect (win);
        const auto parentRect = layer.getWindowRect (parent);
        const auto dw = parentRect.getWidth() - winRect.getWidth();
        const auto dh = parentRect.getHeight() - winRect.getHeight();

        // Unlike the fitting walk, the size limit comes before the frame test here.
        if (dw > maximumBorder || dh > maximumBorder)
            return win;

        win = parent;

        if (dw == 2 * frame)
            return win;
    }
}

void HostWindows::bringFrameToFront (NativeWindowLayer& layer, Handle editorWindow)
{
    // A frame on top already is left alone: raising it again changes nothing for Windows, but
    // under wine it reconfigures the X window behind it, which is not wine's own where the host
    // has put its window inside a window of its own, as LMMS does. Wine then moves the host's
    // window to where it believes it is on the screen, or restacks LMMS's own windows.
    if (auto* frame = findFrame (layer, editorWindow); frame != nullptr && ! layer.isOnTop (frame))
        layer.raiseWindow (frame);
}

bool HostWindows::isMdiClient (NativeWindowLayer& layer, Handle window)
{
    char className[NativeWindowLayer::classNameBufferSize] = {};
    layer.getClassName (window, className, (int) sizeof (className));
    return juce::CharacterFunctions::compareIgnoreCase (juce::CharPointer_UTF8 (className),
                                                        juce::CharPointer_ASCII ("MDIClient")) == 0;
}
