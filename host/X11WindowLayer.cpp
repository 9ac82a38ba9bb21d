#include "host/X11WindowLayer.h"

// The toolkit's own X connection, which makes the editor's window.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{
xcb_window_t toWindow (NativeWindowLayer::Handle handle)
{
    return (xcb_window_t) reinterpret_cast<juce::pointer_sized_uint> (handle);
}

NativeWindowLayer::Handle toHandle (xcb_window_t window)
{
    return reinterpret_cast<NativeWindowLayer::Handle> ((juce::pointer_sized_uint) window);
}

/** The X server keeps the order of requests only within one connection: a window the toolkit has
    just made on its own connection may not exist yet for this one. Waits until the server has
    done everything the toolkit asked of it. */
void syncToolkitConnection()
{
    if (auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating())
        if (auto* display = windowSystem->getDisplay())
            juce::X11Symbols::getInstance()->xSync (display, False);
}

// X11 clients draw no frames: the window manager draws them, in windows of its own above the
// host's top-level window, where getParent never leads. So no border between two client windows
// may count as a fixed frame; X sizes are 16-bit, and no width difference reaches twice this.
constexpr int noFixedFrame = 32768;

/** XCB hands replies and errors over as malloc'd blocks. */
struct FreeWithC
{
    void operator() (void* p) const { std::free (p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeWithC>;

/** Waits for the answer to a checked request without a reply: true when the server did it. */
bool succeeded (xcb_connection_t* c, xcb_void_cookie_t request)
{
    return Reply<xcb_generic_error_t> (xcb_request_check (c, request)) == nullptr;
}

/** Waits for the reply to one request; an error comes back here too, and means no reply. */
template <typename T, typename Cookie, typename GetReply>
Reply<T> replyTo (xcb_connection_t* c, Cookie request, GetReply getReply)
{
    xcb_generic_error_t* error = nullptr;
    Reply<T> reply (getReply (c, request, &error));
    Reply<xcb_generic_error_t> dropped (error);
    return error == nullptr ? std::move (reply) : nullptr;
}
} // namespace

X11WindowLayer::~X11WindowLayer()
{
    if (connection != nullptr)
        xcb_disconnect (connection);
}

X11WindowLayer& X11WindowLayer::getInstance()
{
    // Never destroyed: at exit the message thread may still be at work with it until it is
    // parked, and the process's end closes the connection anyway.
    static auto* instance = new X11WindowLayer();
    return *instance;
}

NativeWindowLayer& NativeWindowLayer::forThisPlatform()
{
    return X11WindowLayer::getInstance();
}

NativeWindowLayer::Handle X11WindowLayer::toolkitParentFor (Handle hostWindow)
{
    return hostWindow;
}

void X11WindowLayer::setParent (Handle window, Handle newParent)
{
    if (auto* c = getConnection(); c != nullptr && window != nullptr)
    {
        syncToolkitConnection();
        const auto parent = newParent != nullptr ? toWindow (newParent) : rootWindow;
        succeeded (c, xcb_reparent_window_checked (c, toWindow (window), parent, 0, 0));
    }
}

juce::uint32 X11WindowLayer::getStyle (Handle window)
{
    // On X11 a window is a child exactly when its parent is not the root window.
    juce::uint32 root = 0;
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

bool X11WindowLayer::exists (Handle window)
{
    auto* c = getConnection();
    return c != nullptr && window != nullptr &&
           replyTo<xcb_get_geometry_reply_t> (c, xcb_get_geometry (c, toWindow (window)),
                                              xcb_get_geometry_reply) != nullptr;
}

NativeWindowLayer::Handle X11WindowLayer::getParent (Handle window)
{
    juce::uint32 root = 0;
    const auto parent = getParentOrRoot (toWindow (window), root);

    if (parent == 0 || parent == root)
        return nullptr;

    // A window the window manager manages (it carries WM_STATE) is a top-level window even when
    // the manager has put it into a frame window of its own: the frame is not the host's.
    if (hasProperty (toWindow (window), wmStateAtom))
        return nullptr;

    return toHandle (parent);
}

int X11WindowLayer::getClassName (Handle window, char* buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0)
        return 0;

    buffer[0] = 0;
    auto* c = getConnection();

    if (c == nullptr || window == nullptr)
        return 0;

    // WM_CLASS holds two texts, each ending in a zero: the instance name, then the class name.
    constexpr juce::uint32 maxLongs = 256;
    const auto reply = replyTo<xcb_get_property_reply_t> (
        c,
        xcb_get_property (c, 0, toWindow (window), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, maxLongs),
        xcb_get_property_reply);

    if (reply == nullptr || reply->format != 8)
        return 0;

    const auto* text = static_cast<const char*> (xcb_get_property_value (reply.get()));
    const auto length = xcb_get_property_value_length (reply.get());
    const auto instanceEnd = std::find (text, text + length, 0);

    if (instanceEnd == text + length)
        return 0;

    int copied = 0;

    for (auto* p = instanceEnd + 1; p < text + length && *p != 0 && copied < bufferSize - 1; ++p)
        buffer[copied++] = *p;

    buffer[copied] = 0;
    return copied;
}

juce::Rectangle<int> X11WindowLayer::getWindowRect (Handle window)
{
    auto* c = getConnection();

    if (c == nullptr || window == nullptr)
        return {};

    const auto geometry = replyTo<xcb_get_geometry_reply_t> (
        c, xcb_get_geometry (c, toWindow (window)), xcb_get_geometry_reply);

    if (geometry == nullptr)
        return {};

    const auto onScreen = replyTo<xcb_translate_coordinates_reply_t> (
        c, xcb_translate_coordinates (c, toWindow (window), geometry->root, 0, 0),
        xcb_translate_coordinates_reply);

    if (onScreen == nullptr)
        return {};

    return {onScreen->dst_x, onScreen->dst_y, geometry->width, geometry->height};
}

void X11WindowLayer::resizeWindow (Handle window, int width, int height)
{
    if (auto* c = getConnection(); c != nullptr && window != nullptr)
    {
        // X refuses a zero size, and a negative one would wrap around to a huge one.
        const juce::uint32 size[] = {(juce::uint32) juce::jlimit (1, 65535, width),
                                     (juce::uint32) juce::jlimit (1, 65535, height)};
        succeeded (
            c, xcb_configure_window_checked (
                   c, toWindow (window), XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size));
    }
}

void X11WindowLayer::raiseWindow (Handle window)
{
    // A managed top-level window is raised by its window manager, which is asked through the
    // same request (it redirects it); raising does not give the window the keyboard focus.
    if (auto* c = getConnection(); c != nullptr && window != nullptr)
    {
        const juce::uint32 above[] = {XCB_STACK_MODE_ABOVE};
        succeeded (c, xcb_configure_window_checked (c, toWindow (window),
                                                    XCB_CONFIG_WINDOW_STACK_MODE, above));
    }
}

int X11WindowLayer::getFixedFrameThickness()
{
    return noFixedFrame;
}

bool X11WindowLayer::isConnected()
{
    return getConnection() != nullptr;
}

xcb_connection_t* X11WindowLayer::getConnection()
{
    std::call_once (connecting,
                    [this]
                    {
                        int screenNumber = 0;
                        auto* c = xcb_connect (nullptr, &screenNumber);

                        if (xcb_connection_has_error (c) != 0)
                        {
                            xcb_disconnect (c);
                            return;
                        }

                        auto screens = xcb_setup_roots_iterator (xcb_get_setup (c));
                        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
                            xcb_screen_next (&screens);

                        const char name[] = "WM_STATE";
                        const auto atom = replyTo<xcb_intern_atom_reply_t> (
                            c, xcb_intern_atom (c, 0, sizeof (name) - 1, name),
                            xcb_intern_atom_reply);

                        rootWindow = screens.rem > 0 ? screens.data->root : 0;
                        wmStateAtom = atom != nullptr ? atom->atom : 0;
                        connection = c;
                    });

    return connection;
}

juce::uint32 X11WindowLayer::getParentOrRoot (juce::uint32 window, juce::uint32& root)
{
    auto* c = getConnection();

    if (c == nullptr || window == 0)
        return 0;

    const auto tree =
        replyTo<xcb_query_tree_reply_t> (c, xcb_query_tree (c, window), xcb_query_tree_reply);

    if (tree == nullptr)
        return 0;

    root = tree->root;
    return tree->parent;
}

bool X11WindowLayer::hasProperty (juce::uint32 window, juce::uint32 property)
{
    auto* c = getConnection();

    if (c == nullptr || property == 0)
        return false;

    const auto reply = replyTo<xcb_get_property_reply_t> (
        c, xcb_get_property (c, 0, window, property, XCB_ATOM_ANY, 0, 0), xcb_get_property_reply);

    return reply != nullptr && reply->type != XCB_NONE;
}
