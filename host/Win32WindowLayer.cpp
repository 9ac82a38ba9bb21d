#include "host/Win32WindowLayer.h"

#include <windows.h>

namespace
{
HWND toWindow (NativeWindowLayer::Handle handle)
{
    return static_cast<HWND> (handle);
}

static_assert (NativeWindowLayer::popupStyle == WS_POPUP);
static_assert (NativeWindowLayer::childStyle == WS_CHILD);
} // namespace

Win32WindowLayer& Win32WindowLayer::getInstance()
{
    static Win32WindowLayer instance;
    return instance;
}

NativeWindowLayer& NativeWindowLayer::forThisPlatform()
{
    return Win32WindowLayer::getInstance();
}

void Win32WindowLayer::setParent (Handle window, Handle newParent)
{
    SetParent (toWindow (window), toWindow (newParent));
}

juce::uint32 Win32WindowLayer::getStyle (Handle window)
{
    return (juce::uint32) GetWindowLongA (toWindow (window), GWL_STYLE);
}

void Win32WindowLayer::setStyle (Handle window, juce::uint32 style)
{
    SetWindowLongA (toWindow (window), GWL_STYLE, (LONG) style);
}

bool Win32WindowLayer::exists (Handle window)
{
    return IsWindow (toWindow (window)) != FALSE;
}

NativeWindowLayer::Handle Win32WindowLayer::getParent (Handle window)
{
    return GetParent (toWindow (window));
}

int Win32WindowLayer::getClassName (Handle window, char* buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0)
        return 0;

    buffer[0] = 0;
    return GetClassNameA (toWindow (window), buffer, bufferSize);
}

juce::Rectangle<int> Win32WindowLayer::getWindowRect (Handle window)
{
    RECT r{};

    if (! GetWindowRect (toWindow (window), &r))
        return {};

    return {(int) r.left, (int) r.top, (int) (r.right - r.left), (int) (r.bottom - r.top)};
}

void Win32WindowLayer::resizeWindow (Handle window, int width, int height)
{
    SetWindowPos (toWindow (window), nullptr, 0, 0, width, height,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32WindowLayer::raiseWindow (Handle window)
{
    SetWindowPos (toWindow (window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool Win32WindowLayer::isOnTop (Handle window)
{
    if (! IsWindow (toWindow (window)))
        return false;

    for (auto* above = GetWindow (toWindow (window), GW_HWNDPREV); above != nullptr;
         above = GetWindow (above, GW_HWNDPREV))
        if (IsWindowVisible (above))
            return false;

    return true;
}

int Win32WindowLayer::getFixedFrameThickness()
{
    return GetSystemMetrics (SM_CYFIXEDFRAME);
}
