#include "host/PluginToolkit.h"

#include <mutex>

namespace
{
std::mutex lifeLock;
int references = 0;
} // namespace

PluginToolkit::Reference::Reference()
{
    const std::lock_guard<std::mutex> lock (lifeLock);

    if (references == 0)
        start(); // may throw: then nothing is counted

    ++references;
}

PluginToolkit::Reference::~Reference()
{
    const std::lock_guard<std::mutex> lock (lifeLock);

    if (--references == 0)
        stop();
}
