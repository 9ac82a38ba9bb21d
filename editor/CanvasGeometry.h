#pragma once

/** Where the editor's parts are, in its own coordinates: what the editor lays out, and what drives
    it from outside reads (the window tests, and through the build the scripts that click in a
    host). No toolkit types, so that programs without the toolkit read it too. */
namespace canvas::geometry
{
struct Box
{
    int x, y, width, height;
};

struct Point
{
    int x, y;
};

constexpr int editorWidth = 600;
constexpr int editorHeight = 450;
constexpr Box inputChannelsBox{10, 10, 100, 400};
constexpr Box outputChannelsBox{490, 10, 100, 400};
constexpr int connectorSize = 8;
constexpr int connectorsPerBox = 16;

/** Where connector `index` of `count` starts along a box edge `length` pixels long: each centred
    in an equal slot, the centres kept in single precision and truncated, so that the layout is the
    same on every platform. */
constexpr int connectorOffsetAlong (int length, int count, int index, int size)
{
    const auto slot = (float) length / (float) count;
    auto centre = (float) length / 2.0f - ((float) count - 1.0f) * slot / 2.0f;

    for (int i = 0; i < index; ++i)
        centre += slot;

    return (int) (centre - (float) (size / 2));
}

/** The centre of channel k's connector (from 0): on the left box's right edge for an input
    channel, on the right box's left edge for an output channel. */
constexpr Point connectorCentre (bool inputChannel, int k)
{
    const auto& box = inputChannel ? inputChannelsBox : outputChannelsBox;
    const auto x = inputChannel ? box.x + box.width : box.x - connectorSize;
    const auto y = box.y + connectorOffsetAlong (box.height, connectorsPerBox, k, connectorSize);
    return {x + connectorSize / 2, y + connectorSize / 2};
}
} // namespace canvas::geometry
