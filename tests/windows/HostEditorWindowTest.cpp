// The editor as a Windows host shows it: Lampwick.dll opened through the dispatcher inside a
// Win32 window of the test's own, driven by real mouse input (SendInput) while the test runs its
// own message loop and effEditIdle, and the routing read back through effGetChunk. Runs under
// wine on a private X server. Leaves a screenshot of the editor in the build folder.

#include "PluginHost.h"

#include <gtest/gtest.h>
#include <png.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <future>
#include <set>
#include <string>
#include <thread>

namespace
{
// The editor's fixed layout, in its own coordinates: connector k of a box is an 8 x 8 square.
constexpr int editorWidth = 600, editorHeight = 450;
constexpr int leftConnectorX = 110, rightConnectorX = 482, connectorTop = 18, connectorPitch = 25;
constexpr int connectorHalf = 4;

POINT leftConnector (int k)
{
    return {leftConnectorX + connectorHalf, connectorTop + connectorPitch * k + connectorHalf};
}

POINT rightConnector (int k)
{
    return {rightConnectorX + connectorHalf, connectorTop + connectorPitch * k + connectorHalf};
}

// The host's windows keep activation to themselves, as many hosts do with plug-in windows: a
// press then reorders nothing by itself, and only the plug-in can raise the host's frame. They
// count the changes of place, size or stacking asked of the one watched.
HWND watched = nullptr;
int placeChanges = 0;

LRESULT CALLBACK hostWindowProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    if (message == WM_WINDOWPOSCHANGING && window == watched)
        ++placeChanges;
    return DefWindowProcA (window, message, w, l);
}

// A host that calls the plug-in from its window procedure while it answers a message: once armed
// with the message, the first one that arrives disarms it and makes the call.
struct WindowProcedureCall
{
    std::atomic<UINT> message{0}; // 0: disarmed
    std::function<void()> call;
    std::atomic<bool> made{false};
} procedureCall;

LRESULT CALLBACK callingHostProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
    auto armed = message;
    if (message != 0 && procedureCall.message.compare_exchange_strong (armed, 0))
    {
        procedureCall.call();
        procedureCall.made = true;
    }
    return DefWindowProcA (window, message, w, l);
}

HWND mdiClientOf (HWND frame)
{
    return FindWindowExA (frame, nullptr, "MDIClient", nullptr);
}

LRESULT CALLBACK mdiFrameProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
    return DefFrameProcA (window, mdiClientOf (window), message, w, l);
}

LRESULT CALLBACK mdiChildProc (HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefMDIChildProcA (window, message, w, l);
}

void registerClass (const char* name, WNDPROC proc)
{
    WNDCLASSEXA c{};
    c.cbSize = sizeof (c);
    c.lpfnWndProc = proc;
    c.hInstance = GetModuleHandleA (nullptr);
    c.hCursor = LoadCursorA (nullptr, (LPCSTR) IDC_ARROW);
    c.hbrBackground = (HBRUSH) (COLOR_WINDOW + 1);
    c.lpszClassName = name;
    RegisterClassExA (&c);
}

/** An overlapped top-level window whose client area is width x height. */
HWND makeTopLevelWindow (const char* className, int x, int y, int width, int height,
                         DWORD style = WS_OVERLAPPEDWINDOW)
{
    RECT r{0, 0, width, height};
    AdjustWindowRect (&r, style, FALSE);
    auto* window =
        CreateWindowExA (0, className, "Test host", style, x, y, r.right - r.left, r.bottom - r.top,
                         nullptr, nullptr, GetModuleHandleA (nullptr), nullptr);
    ShowWindow (window, SW_SHOWNOACTIVATE);
    UpdateWindow (window);
    return window;
}

BOOL CALLBACK addIfOurs (HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId (window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible (window))
        reinterpret_cast<std::vector<HWND>*> (list)->push_back (window);
    return TRUE;
}

/** Top-level windows of this process, topmost first. */
std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows (addIfOurs, (LPARAM) &windows);
    return windows;
}

/** Position in the Z order among its siblings; 0 is the top. */
int zOrderIndex (HWND window)
{
    int index = 0;
    for (auto* above = GetWindow (window, GW_HWNDPREV); above != nullptr;
         above = GetWindow (above, GW_HWNDPREV))
        ++index;
    return index;
}

void writePng (const char* path, int width, int height, const std::vector<std::uint32_t>& bgra)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32) width;
    image.height = (png_uint_32) height;
    image.format = PNG_FORMAT_BGRA;
    EXPECT_TRUE (png_image_write_to_file (&image, path, 0, bgra.data(), 0, nullptr)) << path;
}

class EditorInHostWindow : public ::testing::Test
{
protected:
    BuiltPlugin library;
    std::unique_ptr<TestHost> host;
    std::vector<HWND> windows; // destroyed after the plug-in
    // The host makes the instance on a loader thread of its own, which then waits for more work
    // and delivers no message, and drives the editor from this thread, its user interface's.
    std::thread loader;
    std::promise<void> loaderReleased;

    static void SetUpTestSuite()
    {
        registerClass ("SwitchyardTestHost", hostWindowProc);
        registerClass ("SwitchyardActiveHost", DefWindowProcA);
        registerClass ("SwitchyardCallingHost", callingHostProc);
        registerClass ("SwitchyardTestFrame", mdiFrameProc);
        registerClass ("SwitchyardTestDocument", mdiChildProc);
    }

    void SetUp() override
    {
        std::promise<void> made;
        loader = std::thread (
            [this, &made, released = loaderReleased.get_future()]
            {
                host = std::make_unique<TestHost> (library);
                if (host->effect != nullptr)
                    host->dispatch (vst2::effOpen);
                made.set_value();
                released.wait();
            });
        made.get_future().wait();
        ASSERT_NE (host->effect, nullptr) << library.error();
    }

    void TearDown() override
    {
        host.reset();
        loaderReleased.set_value();
        loader.join();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it)
            DestroyWindow (*it);
        pumpFor (50);
    }

    HWND keep (HWND window)
    {
        windows.push_back (window);
        return window;
    }

    /** The host's side of time passing: its message loop, and effEditIdle now and then. */
    void pumpFor (DWORD milliseconds)
    {
        const auto end = GetTickCount() + milliseconds;
        do
        {
            MSG message;
            while (PeekMessageA (&message, nullptr, 0, 0, PM_REMOVE))
            {
                TranslateMessage (&message);
                DispatchMessageA (&message);
            }
            if (host != nullptr && host->effect != nullptr)
                host->dispatch (vst2::effEditIdle);
            Sleep (5);
        } while ((int) (end - GetTickCount()) > 0);
    }

    /** Pumps until done() holds or, under a slow emulator too, a generous time has passed. */
    template <typename Condition> bool pumpUntil (Condition done)
    {
        for (int i = 0; i < 100 && ! done(); ++i)
            pumpFor (50);
        return done();
    }

    /** Asks for the editor's size, then opens it in parent; answers the editor's window. */
    HWND openEditorIn (HWND parent)
    {
        vst2::ERect* rect = nullptr;
        host->dispatch (vst2::effEditGetRect, 0, 0, &rect);
        EXPECT_NE (rect, nullptr);
        if (rect != nullptr)
        {
            EXPECT_EQ (std::vector<int> ({rect->top, rect->left, rect->bottom, rect->right}),
                       std::vector<int> ({0, 0, editorHeight, editorWidth}));
        }

        EXPECT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, parent), 1);
        pumpFor (300);
        return GetWindow (parent, GW_CHILD);
    }

    POINT onScreen (HWND window, POINT local)
    {
        ClientToScreen (window, &local);
        return local;
    }

    /** Real input: moves the pointer to a screen position, then presses or releases buttons
        there, each flag one event, all queued at once as a quick hand makes them. */
    void mouse (POINT screen, std::initializer_list<DWORD> buttons = {})
    {
        // Absolute positions run from 0 to 65535 across the primary screen.
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = MulDiv (screen.x, 65535, GetSystemMetrics (SM_CXSCREEN) - 1);
        move.mi.dy = MulDiv (screen.y, 65535, GetSystemMetrics (SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;

        std::vector<INPUT> inputs{move};
        for (auto flag : buttons)
        {
            inputs.push_back (move);
            inputs.back().mi.dwFlags |= flag;
        }
        ASSERT_EQ (SendInput ((UINT) inputs.size(), inputs.data(), sizeof (INPUT)), inputs.size());
        pumpFor (buttons.size() != 0 ? 80 : 20);
    }

    void click (POINT screen, DWORD down, DWORD up)
    {
        mouse (screen);
        mouse (screen, {down, up});
    }

    void drag (POINT from, POINT to)
    {
        mouse (from);
        mouse (from, {MOUSEEVENTF_LEFTDOWN});
        constexpr int steps = 12;
        for (int i = 1; i <= steps; ++i)
            mouse ({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        mouse (to, {MOUSEEVENTF_LEFTUP});
    }

    /** What the screen shows of the window, read through GDI, as a PNG file. */
    void saveScreenshot (HWND window, const char* path)
    {
        RECT r{};
        GetWindowRect (window, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;

        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof (info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;

        void* bits = nullptr;
        auto* screen = GetDC (nullptr);
        auto* memory = CreateCompatibleDC (screen);
        auto* bitmap = CreateDIBSection (screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* previous = SelectObject (memory, bitmap);
        BitBlt (memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();

        std::vector<std::uint32_t> pixels (static_cast<std::uint32_t*> (bits),
                                           static_cast<std::uint32_t*> (bits) + width * height);
        for (auto& p : pixels)
            p |= 0xff000000u; // GDI leaves the alpha byte empty

        SelectObject (memory, previous);
        DeleteObject (bitmap);
        DeleteDC (memory);
        ReleaseDC (nullptr, screen);
        writePng (path, width, height, pixels);
    }
};
} // namespace

TEST_F (EditorInHostWindow, OpensAsAChildOfTheHostWindowAndDraggingALinkRoutesAndBreakLinksUnroutes)
{
    // The musician works in the host: its window is the active one, and a press activates it.
    // (The toolkit closes its menus at once while no window of the process has the focus.)
    auto* hostWindow =
        keep (makeTopLevelWindow ("SwitchyardActiveHost", 40, 40, editorWidth, editorHeight));
    SetForegroundWindow (hostWindow);
    auto* editor = openEditorIn (hostWindow);
    ASSERT_NE (editor, nullptr);

    EXPECT_EQ (GetParent (editor), hostWindow);
    const auto style = (DWORD) GetWindowLongA (editor, GWL_STYLE);
    EXPECT_NE (style & WS_CHILD, 0u);
    EXPECT_EQ (style & WS_POPUP, 0u);
    EXPECT_TRUE (IsWindowVisible (editor));
    RECT r{};
    GetWindowRect (editor, &r);
    EXPECT_EQ (r.right - r.left, editorWidth);
    EXPECT_EQ (r.bottom - r.top, editorHeight);
    POINT topLeft{r.left, r.top};
    ScreenToClient (hostWindow, &topLeft);
    EXPECT_EQ (std::make_pair (topLeft.x, topLeft.y), std::make_pair (0L, 0L));

    drag (onScreen (editor, leftConnector (0)), onScreen (editor, rightConnector (15)));
    pumpUntil ([&] { return host->getChunk() == stateWith ({{0, 15}}); });
    EXPECT_EQ (host->getChunk(), stateWith ({{0, 15}}));
    saveScreenshot (editor, EDITOR_SCREENSHOT_PATH);

    // The right button on the connector opens its menu in a top-level window of its own, with
    // thin strips of its shadow around it: the menu is the largest of the new windows.
    const auto before = topLevelWindows();
    click (onScreen (editor, rightConnector (15)), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND menu = nullptr;
    RECT menuArea{};
    const auto findMenu = [&]
    {
        const auto size = [] (const RECT& a) { return (a.right - a.left) * (a.bottom - a.top); };
        for (auto* window : topLevelWindows())
        {
            RECT area{};
            GetWindowRect (window, &area);
            if (std::find (before.begin(), before.end(), window) == before.end() &&
                size (area) > size (menuArea))
            {
                menu = window;
                menuArea = area;
            }
        }
        constexpr int thickerThanAShadow = 16;
        return menu != nullptr && menuArea.right - menuArea.left > thickerThanAShadow &&
               menuArea.bottom - menuArea.top > thickerThanAShadow;
    };
    pumpUntil (findMenu);
    ASSERT_NE (menu, nullptr) << "no menu appeared";

    // Its only item, "Break Links", fills it. The toolkit takes no click on a menu in the first
    // 250 ms after it opened it (that would be the release of the press that opened it).
    const POINT item{(menuArea.left + menuArea.right) / 2, (menuArea.top + menuArea.bottom) / 2};
    mouse (item);
    pumpFor (400);
    click (item, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    pumpUntil ([&] { return host->getChunk() == stateWith ({}); });
    EXPECT_EQ (host->getChunk(), stateWith ({}));

    // Closing the plug-in with its editor open takes the editor's window away too.
    host->close();
    EXPECT_FALSE (IsWindow (editor));
    EXPECT_EQ (GetWindow (hostWindow, GW_CHILD), nullptr);
}

TEST_F (EditorInHostWindow, PressInTheEditorRaisesTheHostsWindow)
{
    auto* hostWindow =
        keep (makeTopLevelWindow ("SwitchyardTestHost", 40, 40, editorWidth, editorHeight));
    auto* editor = openEditorIn (hostWindow);
    ASSERT_NE (editor, nullptr);

    // On top already, the host's window is asked nothing: LMMS puts that window inside a window
    // of its own, where wine would move it off the screen.
    const POINT face{editorWidth / 4, editorHeight * 3 / 4}; // not under the other window
    watched = hostWindow;
    placeChanges = 0;
    click (onScreen (editor, face), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ (placeChanges, 0);

    auto* other =
        keep (makeTopLevelWindow ("SwitchyardTestHost", 340, 40, editorWidth, editorHeight / 2));
    SetWindowPos (other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pumpFor (100);
    ASSERT_LT (zOrderIndex (other), zOrderIndex (hostWindow));

    click (onScreen (editor, face), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_LT (zOrderIndex (hostWindow), zOrderIndex (other));
}

// In an MDI host the frame search stops at the MDI client area: a press raises the client area
// among the frame's children, and leaves the frame itself where it is.
TEST_F (EditorInHostWindow, PressInAnMdiDocumentRaisesTheMdiClientNotTheFrame)
{
    auto* frame = keep (
        makeTopLevelWindow ("SwitchyardTestFrame", 40, 40, editorWidth + 100, editorHeight + 140));
    CLIENTCREATESTRUCT clientInfo{};
    auto* client = CreateWindowExA (
        0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, editorWidth + 100,
        editorHeight + 100, frame, nullptr, GetModuleHandleA (nullptr), &clientInfo);
    ASSERT_NE (client, nullptr);
    // A sibling made later lies above the client area, as a host's tool bar might.
    auto* toolBar =
        CreateWindowExA (0, "STATIC", "tools", WS_CHILD | WS_VISIBLE, 0, 0, editorWidth + 100, 40,
                         frame, nullptr, GetModuleHandleA (nullptr), nullptr);

    RECT r{0, 0, editorWidth, editorHeight};
    AdjustWindowRect (&r, WS_OVERLAPPEDWINDOW, FALSE);
    auto* document = CreateMDIWindowA ("SwitchyardTestDocument", "Lampwick", WS_OVERLAPPEDWINDOW, 0,
                                       50, r.right - r.left, r.bottom - r.top, client,
                                       GetModuleHandleA (nullptr), 0);
    ASSERT_NE (document, nullptr);
    pumpFor (100);

    auto* editor = openEditorIn (document);
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (GetParent (editor), document);
    SetWindowPos (toolBar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_LT (zOrderIndex (toolBar), zOrderIndex (client));

    auto* other = keep (makeTopLevelWindow ("SwitchyardTestHost", 440, 40, editorWidth, 200));
    SetWindowPos (other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pumpFor (100);
    ASSERT_LT (zOrderIndex (other), zOrderIndex (frame));

    const POINT face{editorWidth / 4, editorHeight * 3 / 4};
    click (onScreen (editor, face), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_LT (zOrderIndex (client), zOrderIndex (toolBar)) << "the MDI client area was not raised";
    EXPECT_LT (zOrderIndex (other), zOrderIndex (frame)) << "the frame around it was raised";
}

namespace
{
std::string caseUnderWay;

/** Ends the run at once, naming the case: a hang would otherwise last until the suite's time-out,
    and a crash under wine waits in its debugger. No exit handler or library detach runs, since
    those may wait for the threads that hang. */
[[noreturn]] void abandonRun (const char* what)
{
    std::fprintf (stderr, "%s: %s\n", caseUnderWay.c_str(), what);
    std::fflush (nullptr);
    TerminateProcess (GetCurrentProcess(), 1);
    std::abort();
}

LONG WINAPI reportCrash (EXCEPTION_POINTERS* info)
{
    char text[80];
    std::snprintf (text, sizeof (text), "crashed, exception 0x%lx at %p",
                   (unsigned long) info->ExceptionRecord->ExceptionCode,
                   info->ExceptionRecord->ExceptionAddress);
    abandonRun (text);
}
} // namespace

// A host whose window procedure calls the plug-in while it answers a message that the editor's
// window sends it from the plug-in's thread: the host's window losing activation as the editor
// opens, the editor's window destroyed as it closes, and a click in the editor, which reaches the
// host's window while the host is in no call. Whichever host threads make the instance and make
// the call, no case hangs or crashes; the instance goes on working, or, closed from the window
// procedure, takes its editor with it.
TEST_F (EditorInHostWindow, HostCallingFromItsWindowProcedureWhileTheEditorsWindowsChangeHangsNot)
{
    enum Outer
    {
        open,
        close,
        clickInEditor
    };
    const std::pair<const char*, UINT> outers[] = {
        {"effEditOpen, WM_NCACTIVATE", WM_NCACTIVATE},
        {"effEditClose, WM_PARENTNOTIFY", WM_PARENTNOTIFY},
        {"click, WM_PARENTNOTIFY", WM_PARENTNOTIFY}};
    const std::pair<const char*, vst2::VstInt32> nestedCalls[] = {
        {"effEditGetRect", vst2::effEditGetRect}, {"effEditIdle", vst2::effEditIdle},
        {"effEditClose", vst2::effEditClose},     {"effClose", vst2::effClose},
        {"effEditOpen", vst2::effEditOpen},       {"effGetChunk", vst2::effGetChunk}};
    // The window's thread makes the instance, or a loader thread does; in the third variant the
    // call that changes the editor comes from yet another thread while the window's thread runs
    // its message loop.
    const char* const threadings[] = {"one host thread", "loader thread", "three host threads"};
    const POINT face{editorWidth / 4, editorHeight * 3 / 4};

    const auto runCase = [&] (int threads, Outer outer, vst2::VstInt32 opcode)
    {
        SCOPED_TRACE (caseUnderWay);
        const auto makeInstance = [this]
        {
            auto made = std::make_unique<TestHost> (library);
            made->dispatch (vst2::effOpen);
            return made;
        };
        host.reset();
        host = threads == 0 ? makeInstance() : std::async (std::launch::async, makeInstance).get();
        ASSERT_NE (host->effect, nullptr);
        auto* hostWindow =
            makeTopLevelWindow ("SwitchyardCallingHost", 40, 40, editorWidth, editorHeight);
        SetForegroundWindow (hostWindow);
        pumpFor (50);
        if (outer != open)
        {
            ASSERT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, hostWindow), 1);
            click (onScreen (GetWindow (hostWindow, GW_CHILD), face), MOUSEEVENTF_LEFTDOWN,
                   MOUSEEVENTF_LEFTUP); // the editor has the focus
        }

        std::vector<int> answer; // the rectangle's height and width, or the chunk's size
        procedureCall.call = [&]
        {
            vst2::ERect* rect = nullptr;
            switch (opcode)
            {
            case vst2::effClose:
                host->close();
                break;
            case vst2::effGetChunk:
                answer = {(int) host->getChunk().size()};
                break;
            case vst2::effEditOpen:
                host->dispatch (opcode, 0, 0, hostWindow);
                break;
            default:
                host->dispatch (opcode, 0, 0, &rect);
                if (rect != nullptr)
                    answer = {rect->bottom, rect->right};
            }
        };
        procedureCall.made = false;
        procedureCall.message = outers[outer].second;

        const auto outerCall = [&]
        {
            if (outer == open)
                host->dispatch (vst2::effEditOpen, 0, 0, hostWindow);
            else
                host->dispatch (vst2::effEditClose);
        };
        if (outer == clickInEditor)
            click (onScreen (GetWindow (hostWindow, GW_CHILD), face), MOUSEEVENTF_LEFTDOWN,
                   MOUSEEVENTF_LEFTUP);
        else if (threads == 2)
            for (auto call = std::async (std::launch::async, outerCall);
                 call.wait_for (std::chrono::seconds (0)) != std::future_status::ready;)
                pumpFor (10);
        else
            outerCall();
        procedureCall.message = 0;
        EXPECT_TRUE (procedureCall.made) << "no such message came";

        if (opcode == vst2::effEditGetRect || opcode == vst2::effGetChunk)
        {
            EXPECT_EQ (answer, opcode == vst2::effGetChunk
                                   ? std::vector<int> ({256})
                                   : std::vector<int> ({editorHeight, editorWidth}));
        }

        if (opcode == vst2::effClose)
        {
            EXPECT_TRUE (pumpUntil ([&] { return GetWindow (hostWindow, GW_CHILD) == nullptr; }))
                << "the closed instance left its editor in the host's window";
        }
        else
        {
            pumpFor (100);
            vst2::ERect* rect = nullptr;
            host->dispatch (vst2::effEditGetRect, 0, 0, &rect);
            ASSERT_NE (rect, nullptr);
            EXPECT_EQ (std::vector<int> ({rect->bottom, rect->right}),
                       std::vector<int> ({editorHeight, editorWidth}));
            EXPECT_EQ (host->dispatch (vst2::effEditOpen, 0, 0, hostWindow), 1);
            pumpFor (100);
            auto* editor = GetWindow (hostWindow, GW_CHILD);
            EXPECT_TRUE (editor != nullptr && IsWindowVisible (editor) &&
                         GetWindow (editor, GW_HWNDNEXT) == nullptr)
                << "not one editor shown in the host's window";
            EXPECT_EQ (host->getChunk().size(), 256u);
        }
        host.reset();
        DestroyWindow (hostWindow);
    };

    SetUnhandledExceptionFilter (reportCrash);
    const auto previousAbort = std::signal (SIGABRT, [] (int) { abandonRun ("aborted"); });
    for (int threads = 0; threads < 3; ++threads)
        for (const auto outer : {open, close, clickInEditor})
            for (const auto& [callName, opcode] : nestedCalls)
            {
                if (threads == 2 && outer == clickInEditor) // no call to make elsewhere
                    continue;
                caseUnderWay = std::string (threadings[threads]) + ": " + outers[outer].first +
                               " -> " + callName;
                auto done = std::async (std::launch::async, runCase, threads, outer, opcode);
                if (done.wait_for (std::chrono::seconds (30)) != std::future_status::ready)
                    abandonRun ("did not end");
                done.get();
            }
    std::signal (SIGABRT, previousAbort);
    SetUnhandledExceptionFilter (nullptr);
}
