#pragma once

#include "host/NativeWindowLayer.h"

#include <map>
#include <vector>

/** A window tree in memory, for testing what is done to the host's windows: windows with a
    parent, a class name, a screen rectangle and style bits. It records every resize and raise. */
class InMemoryWindowTree : public NativeWindowLayer
{
public:
    struct Resize
    {
        Handle window;
        int width, height;

        bool operator== (const Resize& other) const
        {
            return window == other.window && width == other.width && height == other.height;
        }
    };

    /** Adds a window and answers its handle. */
    Handle add (const juce::String& className, juce::Rectangle<int> screenBounds,
                Handle parent = nullptr, juce::uint32 style = 0);

    /** Removes a window, as when it is destroyed; its handle then names no window. */
    void remove (Handle window);

    std::vector<Resize> resizes;
    std::vector<Handle> raised;
    int fixedFrameThickness = 3;
    Handle windowOnTop = nullptr;

    void setParent (Handle window, Handle newParent) override;
    juce::uint32 getStyle (Handle window) override;
    void setStyle (Handle window, juce::uint32 style) override;
    bool exists (Handle window) override;
    Handle getParent (Handle window) override;
    int getClassName (Handle window, char* buffer, int bufferSize) override;
    juce::Rectangle<int> getWindowRect (Handle window) override;
    void resizeWindow (Handle window, int width, int height) override;
    void raiseWindow (Handle window) override;
    bool isOnTop (Handle window) override { return window == windowOnTop; }
    int getFixedFrameThickness() override;

private:
    struct Window
    {
        juce::String className;
        juce::Rectangle<int> bounds;
        Handle parent;
        juce::uint32 style;
    };

    Window* find (Handle window);

    std::map<Handle, Window> windows;
    juce::pointer_sized_uint nextHandle = 0x100;
};
