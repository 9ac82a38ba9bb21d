// The plug-in's own threads as a Linux host meets them: instances made, used and closed on
// worker threads at once, and nothing of the plug-in's left running once the last has closed.

#include "PluginHost.h"

#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace
{
/** The names of the process's threads now. */
std::multiset<std::string> threadNames()
{
    std::multiset<std::string> names;
    if (auto* tasks = opendir ("/proc/self/task"))
    {
        while (auto* entry = readdir (tasks))
            if (entry->d_name[0] != '.')
            {
                std::string name;
                std::getline (
                    std::ifstream ("/proc/self/task/" + std::string (entry->d_name) + "/comm"),
                    name);
                names.insert (name);
            }
        closedir (tasks);
    }
    return names;
}
} // namespace

// Hosts that load a project on several threads: each makes instances, routes through them and
// closes them, while the others do the same.
TEST (HostThreads, InstancesAreMadeUsedAndClosedOnWorkerThreadsAtOnce)
{
    BuiltPlugin library;
    ASSERT_NE (library.entry(), nullptr) << library.error();

    const auto work = [&library] (int worker)
    {
        for (int i = 0; i < 30; ++i)
        {
            TestHost host (library);
            ASSERT_NE (host.effect, nullptr);
            host.dispatch (vst2::effOpen);
            host.resume();
            host.setRoutes ({{0, worker}});
            host.sendEvents ({midiEvent ({0x90, 60, 100}, 3)});
            host.processReplacing (64);
            const auto sent = host.takeSentEvents();
            ASSERT_EQ (sent.size(), 1u);
            EXPECT_EQ (sent[0].record.midiData[0], (char) (0x90 | worker));
            EXPECT_EQ (host.getChunk(), stateWith ({{0, worker}}));
            host.close();
            EXPECT_TRUE (host.callsFromPluginThreads().empty());
        }
    };

    std::thread workers[] = {std::thread (work, 1), std::thread (work, 2), std::thread (work, 3)};
    for (auto& t : workers)
        t.join();
}

// The last effClose stops the toolkit and joins every thread it made; the library stays in the
// process after the host lets it go, since the process's X error handler may still lead to it.
TEST (HostThreads, LastCloseLeavesNoThreadOfThePluginsAndTheLibraryStaysMapped)
{
    std::thread ([] {}).join(); // a sanitizer may start a thread of its own at the first one
    const auto before = threadNames();
    {
        BuiltPlugin library;
        TestHost host (library);
        ASSERT_NE (host.effect, nullptr) << library.error();
        host.dispatch (vst2::effOpen); // starts the adapter's timer, and the toolkit's timer thread

        // A new thread names itself once it runs; and a joined one may linger in the task list
        // for a moment after the join.
        const auto awaitNames = [] (auto&& expected)
        {
            for (int i = 0; i < 200 && ! expected (threadNames()); ++i)
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            return threadNames();
        };
        // The message thread and the toolkit's timer thread, which JUCE 7 names "JUCE Timer" and
        // JUCE 8 leaves with the name of the thread that started it.
        const auto running = awaitNames ([&before] (const auto& names)
                                         { return names.size() >= before.size() + 2; });
        EXPECT_GE (running.count ("Lampwick GUI"), 1u);
        EXPECT_EQ (running.size(), before.size() + 2);

        host.close();
        EXPECT_EQ (awaitNames ([&before] (const auto& names) { return names == before; }), before);
    }
    EXPECT_TRUE (PluginLibrary::isLoaded (LAMPWICK_PATH));
}
