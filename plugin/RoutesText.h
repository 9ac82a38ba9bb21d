#pragma once

#include "plugin/RoutingMatrix.h"

#include <juce_core/juce_core.h>

#include <array>

/** The routes as a musician writes them: "1:4,10 2:2" routes input channel 1 to output channels 4
    and 10, and input channel 2 to output channel 2. Channels count from 1; routes are separated by
    spaces, and an empty text routes nothing. */
namespace RoutesText
{
using Cells = std::array<juce::uint8, routing::numCells>;

/** Switches on the routes the text names, in addition to those already on; answers what is wrong
    with the text, or an empty text. Nothing is switched on when anything is wrong. */
juce::String read (const juce::String& text, Cells& routes);

/** The routes switched on, input channels in order and each one's outputs in order; an empty text
    when none is. */
juce::String write (const Cells& routes);
} // namespace RoutesText
