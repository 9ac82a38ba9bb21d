// What showing the editor costs a host: effEditIdle with the editor closed and open (nothing to
// repaint), and the host path per block with the editor open, to set against host_path_bench.
// The open cases need an X server: run under tests/run-under-xvfb.

#include "AllocationCounter.h"
#include "HostPath.h"

#include <benchmark/benchmark.h>
#include <memory>

// Last: Xlib defines macros that clash with names in the headers above.
#include <X11/Xlib.h>

namespace
{
constexpr int countedCalls = 100;

/** A window of the host's own with the editor open in it, for as long as it lives. */
class OpenEditor
{
public:
    explicit OpenEditor (HostPath& h) : host (h), display (XOpenDisplay (nullptr))
    {
        if (display == nullptr)
            return;

        window =
            XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 600, 450, 0, 0, 0);
        XMapWindow (display, window);
        XSync (display, False);
        opened = host.dispatch (vst2::effEditOpen, 0, (void*) window) != 0;

        for (int i = 0; i < 50; ++i) // let it map and paint
            host.dispatch (vst2::effEditIdle);
    }

    ~OpenEditor()
    {
        host.dispatch (vst2::effEditClose);
        if (display != nullptr)
        {
            XDestroyWindow (display, window);
            XCloseDisplay (display);
        }
    }

    bool isOpen() const { return opened; }

private:
    HostPath& host;
    Display* display;
    Window window = 0;
    bool opened = false;
};

void BM_EditIdle (benchmark::State& state)
{
    HostPath host;
    if (! host.isReady())
        return state.SkipWithError ("the plug-in did not load");

    const bool withEditor = state.range (0) != 0;
    std::unique_ptr<OpenEditor> editor;
    if (withEditor)
    {
        editor = std::make_unique<OpenEditor> (host);
        if (! editor->isOpen())
            return state.SkipWithError ("no X server to open the editor on");
    }

    for (int warmUp = 0; warmUp < countedCalls; ++warmUp) // the toolkit's start-up messages
        host.dispatch (vst2::effEditIdle);

    const auto before = allocationCount();
    for (int i = 0; i < countedCalls; ++i)
        host.dispatch (vst2::effEditIdle);
    state.counters["allocs/call"] = (double) (allocationCount() - before) / countedCalls;

    for (auto _ : state)
        host.dispatch (vst2::effEditIdle);
}
BENCHMARK (BM_EditIdle)->ArgName ("editor")->Arg (0)->Arg (1);

/** 256 events fanned out to 4 channels per block, with the editor closed or open. */
void BM_HostPathBesideEditor (benchmark::State& state)
{
    HostPath host;
    if (! host.isReady())
        return state.SkipWithError ("the plug-in did not load");

    std::unique_ptr<OpenEditor> editor;
    if (state.range (0) != 0)
    {
        editor = std::make_unique<OpenEditor> (host);
        if (! editor->isOpen())
            return state.SkipWithError ("no X server to open the editor on");
    }

    host.setFanOut (4);
    host.setInput (256);
    for (int warmUp = 0; warmUp < 3; ++warmUp)
        host.runBlock();

    for (auto _ : state)
        host.runBlock();

    benchmark::DoNotOptimize (host.receivedEvents);
    state.SetItemsProcessed (state.iterations() * 256 * 4);
}
BENCHMARK (BM_HostPathBesideEditor)->ArgName ("editor")->Arg (0)->Arg (1);
} // namespace

BENCHMARK_MAIN();
