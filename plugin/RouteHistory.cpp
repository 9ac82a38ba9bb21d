#include "plugin/RouteHistory.h"

void RouteHistory::record (const Cells& before)
{
    push (undoSteps, before);
    redoSteps.clear();
}

std::optional<RouteHistory::Cells> RouteHistory::undo (const Cells& current)
{
    return move (undoSteps, redoSteps, current);
}

std::optional<RouteHistory::Cells> RouteHistory::redo (const Cells& current)
{
    return move (redoSteps, undoSteps, current);
}

void RouteHistory::belongTo (juce::uint32 restoreCount)
{
    if (restoreCount == restore)
        return;

    restore = restoreCount;
    undoSteps.clear();
    redoSteps.clear();
}

void RouteHistory::push (std::vector<Cells>& steps, const Cells& routes)
{
    if (steps.size() == maxSteps)
        steps.erase (steps.begin());

    steps.push_back (routes);
}

std::optional<RouteHistory::Cells> RouteHistory::move (std::vector<Cells>& from,
                                                       std::vector<Cells>& to,
                                                       const Cells& current)
{
    if (from.empty())
        return std::nullopt;

    auto routes = from.back();
    from.pop_back();
    push (to, current);
    return routes;
}
