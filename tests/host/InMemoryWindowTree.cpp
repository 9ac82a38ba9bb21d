#include "InMemoryWindowTree.h"

NativeWindowLayer::Handle InMemoryWindowTree::add (const juce::String& className,
                                                   juce::Rectangle<int> screenBounds, Handle parent,
                                                   juce::uint32 style)
{
    auto* handle = reinterpret_cast<Handle> (nextHandle++);
    windows[handle] = {className, screenBounds, parent, style};
    return handle;
}

void InMemoryWindowTree::remove (Handle window)
{
    windows.erase (window);
}

void InMemoryWindowTree::setParent (Handle window, Handle newParent)
{
    if (auto* w = find (window))
        w->parent = newParent;
}

juce::uint32 InMemoryWindowTree::getStyle (Handle window)
{
    auto* w = find (window);
    return w != nullptr ? w->style : 0;
}

void InMemoryWindowTree::setStyle (Handle window, juce::uint32 style)
{
    if (auto* w = find (window))
        w->style = style;
}

bool InMemoryWindowTree::exists (Handle window)
{
    return find (window) != nullptr;
}

NativeWindowLayer::Handle InMemoryWindowTree::getParent (Handle window)
{
    auto* w = find (window);
    return w != nullptr && find (w->parent) != nullptr ? w->parent : nullptr;
}

int InMemoryWindowTree::getClassName (Handle window, char* buffer, int bufferSize)
{
    auto* w = find (window);

    if (w == nullptr || bufferSize <= 0)
        return 0;

    w->className.copyToUTF8 (buffer, (size_t) bufferSize);
    return (int) strlen (buffer);
}

juce::Rectangle<int> InMemoryWindowTree::getWindowRect (Handle window)
{
    auto* w = find (window);
    return w != nullptr ? w->bounds : juce::Rectangle<int>();
}

void InMemoryWindowTree::resizeWindow (Handle window, int width, int height)
{
    resizes.push_back ({window, width, height});

    if (auto* w = find (window))
        w->bounds.setSize (width, height);
}

void InMemoryWindowTree::raiseWindow (Handle window)
{
    raised.push_back (window);
}

int InMemoryWindowTree::getFixedFrameThickness()
{
    return fixedFrameThickness;
}

InMemoryWindowTree::Window* InMemoryWindowTree::find (Handle window)
{
    auto found = windows.find (window);
    return found != windows.end() ? &found->second : nullptr;
}
