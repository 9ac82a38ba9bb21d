#pragma once

#include "plugin/RoutesText.h"

#include <optional>
#include <vector>

/** The routes as they were before each edit made in the editor, for undo and redo. It lives with
    the processor, so that closing the editor keeps it, and it belongs to the host's restore count
    it was made under: a restore by the host makes every step in it meaningless. Used on the
    message thread only. */
class RouteHistory
{
public:
    using Cells = RoutesText::Cells;

    /** How many edits can be undone; older ones are forgotten. */
    static constexpr size_t maxSteps = 100;

    /** An edit changed the routes from before: it can be undone, and what was undone is gone. */
    void record (const Cells& before);

    /** The routes to go back to, with current kept for redo; none when there is nothing to undo. */
    std::optional<Cells> undo (const Cells& current);
    /** The routes to go forward to, with current kept for undo; none when nothing was undone. */
    std::optional<Cells> redo (const Cells& current);

    bool canUndo() const noexcept { return ! undoSteps.empty(); }
    bool canRedo() const noexcept { return ! redoSteps.empty(); }

    /** Forgets every step once the routes shown come from another restore than the steps did. */
    void belongTo (juce::uint32 restoreCount);

private:
    static void push (std::vector<Cells>& steps, const Cells& routes);
    static std::optional<Cells> move (std::vector<Cells>& from, std::vector<Cells>& to,
                                      const Cells& current);

    std::vector<Cells> undoSteps, redoSteps;
    juce::uint32 restore = 0;
};
