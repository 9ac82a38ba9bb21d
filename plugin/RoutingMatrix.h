#pragma once

/** The routing matrix's layout: the engine's matrix, the 256 bytes a host saves, and whatever
    reads or writes them outside the engine (the editor, the command-line host, the tests). Row r
    is input channel r, column c output channel c, both counted from 0; a nonzero byte routes. No
    toolkit types, so that programs without the toolkit read it too. */
namespace routing
{
constexpr int numChannels = 16;
constexpr int numCells = numChannels * numChannels;

/** The byte of the route from input channel `input` to output channel `output`. */
constexpr int cell (int input, int output)
{
    return input * numChannels + output;
}
} // namespace routing
