#include "host/X11WindowLayer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
::Window toWindow (NativeWindowLayer::Handle handle)
{
    return (::Window) reinterpret_cast<juce::pointer_sized_uint> (handle);
}

NativeWindowLayer::Handle toHandle (::Window window)
{
    return reinterpret_cast<NativeWindowLayer::Handle> ((juce::pointer_sized_uint) window);
}

// X11 clients draw no frames: the window manager draws them, in windows of its own above the
// host's top-level window, where getParent never leads. So no border between two client windows
// may count as a fixed frame; X sizes are 16-bit, and no width difference reaches twice this.
constexpr int noFixedFrame = 32768;
} // namespace

/** Installs an error handler that notes the errors of this layer's connection, and on leaving
    waits for the server to answer every request made meanwhile before restoring the previous
    handler: errors then arrive while the trap is still in place. */
class X11WindowLayer::ErrorTrap
{
public:
    explicit ErrorTrap (::Display* d) : display (d), previous (XSetErrorHandler (noteError))
    {
        errorSeen = false;
    }

    ~ErrorTrap()
    {
        XSync (display, False);
        XSetErrorHandler (previous);
    }

    /** Waits for the server, and answers whether every request so far succeeded. */
    bool succeeded()
    {
        XSync (display, False);
        return ! errorSeen;
    }

private:
    static int noteError (::Display*, XErrorEvent*)
    {
        errorSeen = true;
        return 0;
    }

    static inline bool errorSeen = false;
    ::Display* display;
    XErrorHandler previous;
};

X11WindowLayer::~X11WindowLayer()
{
    if (display != nullptr)
        XCloseDisplay (display);
}

X11WindowLayer& X11WindowLayer::getInstance()
{
    static X11WindowLayer instance;
    return instance;
}

NativeWindowLayer& NativeWindowLayer::forThisPlatform()
{
    return X11WindowLayer::getInstance();
}

void X11WindowLayer::setParent (Handle window, Handle newParent)
{
    if (auto* d = getDisplay(); d != nullptr && window != nullptr)
    {
        ErrorTrap trap (d);
        const auto parent = newParent != nullptr ? toWindow (newParent) : DefaultRootWindow (d);
        XReparentWindow (d, toWindow (window), parent, 0, 0);
    }
}

juce::uint32 X11WindowLayer::getStyle (Handle window)
{
    // On X11 a window is a child exactly when its parent is not the root window.
    unsigned long root = 0;
    const auto parent = getParentOrRoot (toWindow (window), root);

    if (parent == 0)
        return 0;

    return parent == root ? popupStyle : childStyle;
}

void X11WindowLayer::setStyle (Handle, juce::uint32)
{
    // Nothing to do: being a child is a matter of the parent, which setParent has already
    // changed, and the window-manager hints of a top-level window are ignored on any other.
}

NativeWindowLayer::Handle X11WindowLayer::getParent (Handle window)
{
    unsigned long root = 0;
    const auto parent = getParentOrRoot (toWindow (window), root);

    if (parent == 0 || parent == root)
        return nullptr;

    // A window the window manager manages (it carries WM_STATE) is a top-level window even when
    // the manager has put it into a frame window of its own: the frame is not the host's.
    ErrorTrap trap (display);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const auto status =
        XGetWindowProperty (display, toWindow (window), wmStateAtom, 0, 0, False, AnyPropertyType,
                            &type, &format, &count, &remaining, &data);
    if (data != nullptr)
        XFree (data);

    if (! trap.succeeded() || status != Success || type != None)
        return nullptr;

    return toHandle (parent);
}

int X11WindowLayer::getClassName (Handle window, char* buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0)
        return 0;

    buffer[0] = 0;
    auto* d = getDisplay();

    if (d == nullptr || window == nullptr)
        return 0;

    ErrorTrap trap (d);
    XClassHint hint{};

    if (XGetClassHint (d, toWindow (window), &hint) == 0)
        return 0;

    int length = 0;

    if (hint.res_class != nullptr)
        for (; length < bufferSize - 1 && hint.res_class[length] != 0; ++length)
            buffer[length] = hint.res_class[length];

    buffer[length] = 0;

    if (hint.res_name != nullptr)
        XFree (hint.res_name);

    if (hint.res_class != nullptr)
        XFree (hint.res_class);

    return length;
}

juce::Rectangle<int> X11WindowLayer::getWindowRect (Handle window)
{
    auto* d = getDisplay();

    if (d == nullptr || window == nullptr)
        return {};

    ErrorTrap trap (d);
    XWindowAttributes attributes{};

    if (XGetWindowAttributes (d, toWindow (window), &attributes) == 0)
        return {};

    int x = 0, y = 0;
    ::Window child = 0;

    if (XTranslateCoordinates (d, toWindow (window), attributes.root, 0, 0, &x, &y, &child) == 0)
        return {};

    return {x, y, attributes.width, attributes.height};
}

void X11WindowLayer::resizeWindow (Handle window, int width, int height)
{
    if (auto* d = getDisplay(); d != nullptr && window != nullptr)
    {
        // X refuses a zero size, and a negative one would wrap around to a huge one.
        ErrorTrap trap (d);
        XResizeWindow (d, toWindow (window), (unsigned int) juce::jlimit (1, 65535, width),
                       (unsigned int) juce::jlimit (1, 65535, height));
    }
}

void X11WindowLayer::raiseWindow (Handle window)
{
    // A managed top-level window is raised by its window manager, which is asked through the
    // same request (it redirects it); raising does not give the window the keyboard focus.
    if (auto* d = getDisplay(); d != nullptr && window != nullptr)
    {
        ErrorTrap trap (d);
        XRaiseWindow (d, toWindow (window));
    }
}

int X11WindowLayer::getFixedFrameThickness()
{
    return noFixedFrame;
}

bool X11WindowLayer::isConnected()
{
    return getDisplay() != nullptr;
}

_XDisplay* X11WindowLayer::getDisplay()
{
    if (! connectionTried)
    {
        connectionTried = true;
        display = XOpenDisplay (nullptr);

        if (display != nullptr)
            wmStateAtom = XInternAtom (display, "WM_STATE", False);
    }

    return display;
}

unsigned long X11WindowLayer::getParentOrRoot (unsigned long window, unsigned long& root)
{
    auto* d = getDisplay();

    if (d == nullptr || window == 0)
        return 0;

    ErrorTrap trap (d);
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int numChildren = 0;

    if (XQueryTree (d, window, &root, &parent, &children, &numChildren) == 0)
        return 0;

    if (children != nullptr)
        XFree (children);

    return parent;
}
