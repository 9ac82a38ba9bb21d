// What showing the editor costs a host: effEditIdle with the editor closed and open (nothing to
// repaint), the host path per block with the editor open, to set against host_path_bench, and the
// share of a core the whole process takes over a stretch of a host's life with the editor closed or
// open, with MIDI flowing or not. The open cases need an X server: run under tests/run-under-xvfb.

#include "AllocationCounter.h"
#include "HostPath.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <thread>

#include <sys/resource.h>

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

/** The plug-in loaded, and its editor open when the benchmark's first argument asks for it;
    false, with the benchmark skipped, when either cannot be. */
bool ready (benchmark::State& state, HostPath& host, std::unique_ptr<OpenEditor>& editor)
{
    if (! host.isReady())
    {
        state.SkipWithError ("the plug-in did not load");
        return false;
    }

    if (state.range (0) != 0)
    {
        editor = std::make_unique<OpenEditor> (host);
        if (! editor->isOpen())
        {
            state.SkipWithError ("no X server to open the editor on");
            return false;
        }
    }

    return true;
}

void BM_EditIdle (benchmark::State& state)
{
    HostPath host;
    std::unique_ptr<OpenEditor> editor;
    if (! ready (state, host, editor))
        return;

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
    std::unique_ptr<OpenEditor> editor;
    if (! ready (state, host, editor))
        return;

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
double processCpuSeconds()
{
    rusage usage{};
    getrusage (RUSAGE_SELF, &usage);
    const auto seconds = [] (const timeval& t) { return (double) t.tv_sec + t.tv_usec * 1e-6; };
    return seconds (usage.ru_utime) + seconds (usage.ru_stime);
}

/** Three seconds of a host's life, after one to settle: effEditIdle 30 times a second and, with MIDI flowing, a block of
    4 notes fanned out to 4 channels every 10 ms. Reports the share of one core that the whole
    process (host and plug-in threads) took meanwhile; compare the rows of one run. */
void BM_ShareOfACore (benchmark::State& state)
{
    using clock = std::chrono::steady_clock;
    constexpr auto idleEvery = std::chrono::microseconds (33333);
    constexpr auto blockEvery = std::chrono::milliseconds (10);
    constexpr auto settling = std::chrono::seconds (1);
    constexpr auto measured = std::chrono::seconds (3);

    HostPath host;
    std::unique_ptr<OpenEditor> editor;
    if (! ready (state, host, editor))
        return;

    const bool midi = state.range (1) != 0;
    host.setFanOut (4);
    host.setInput (4);

    const auto live = [&] (clock::duration stretch)
    {
        const auto start = clock::now();
        auto nextIdle = start;
        auto nextBlock = start;

        while (clock::now() - start < stretch)
        {
            if (midi && nextBlock <= nextIdle)
            {
                std::this_thread::sleep_until (nextBlock);
                host.runBlock();
                nextBlock += blockEvery;
            }
            else
            {
                std::this_thread::sleep_until (nextIdle);
                host.dispatch (vst2::effEditIdle);
                nextIdle += idleEvery;
            }
        }
    };

    live (settling); // the first paint and the toolkit's start-up work

    for (auto _ : state)
    {
        const auto start = clock::now();
        const auto cpuBefore = processCpuSeconds();
        live (measured);
        const std::chrono::duration<double> wall = clock::now() - start;
        state.counters["core%"] = 100.0 * (processCpuSeconds() - cpuBefore) / wall.count();
    }
}
BENCHMARK (BM_ShareOfACore)
    ->ArgNames ({"editor", "midi"})
    ->ArgsProduct ({{0, 1}, {0, 1}})
    ->Iterations (1)
    ->Unit (benchmark::kSecond);
} // namespace

BENCHMARK_MAIN();
