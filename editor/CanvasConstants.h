#pragma once

#include "editor/CanvasGeometry.h"

#include <juce_graphics/juce_graphics.h>

/** The patch editor's fixed sizes, colours and texts, in one place. */
namespace canvas
{
// Draggable component
const juce::Colour boxColour{0xffd3d3d3};
constexpr float shadowAlpha = 0.5f;
constexpr int shadowRadius = 10;
constexpr int shadowOffsetX = 1;
constexpr int shadowOffsetY = 5;

// Connectors
constexpr int connectorSize = geometry::connectorSize;
const juce::Colour connectorColour{0xff000000};
const juce::Colour connectorActiveColour{0xffffffff};
const juce::Colour connectorActivityColour{0xff40e040}; // MIDI on its channel, fading out
constexpr juce::uint32 activityFadeMs = 250;
constexpr int activityFramesPerSecond = 30; // while a light is lit
constexpr int restingPollsPerSecond = 10;   // looking for MIDI while none is: no repaint
constexpr int tooltipDelayMs = 500;
constexpr const char* breakLinksText = "Break Links";
constexpr const char* breakAllLinksText = "Break All Links";
constexpr int breakMenuItemId = 1;

// The boxes' menus, below their "Break All Links"
constexpr const char* undoText = "Undo";
constexpr const char* redoText = "Redo";
constexpr const char* copyRoutesText = "Copy Routes";
constexpr const char* pasteRoutesText = "Paste Routes";
constexpr const char* linkEachToItselfText = "Link Each Channel to Itself";
enum EditMenuItemId
{
    undoItemId = 2,
    redoItemId,
    copyRoutesItemId,
    pasteRoutesItemId,
    linkEachToItselfItemId
};
constexpr juce::uint32 noticeShownMs = 5000; // what went wrong, in place of the title

// Links
constexpr int linkLineThickness = 2;
constexpr int linkArrowheadWidth = 10;
constexpr int linkArrowheadLength = 10;
const juce::Colour attachedLinkColour{0xff000000};
const juce::Colour looseLinkColour{0xffffffff};
const juce::Colour emphasisedLinkColour{0xffffd040}; // the links of the connector under the pointer

// Editor
constexpr int editorWidth = geometry::editorWidth;
constexpr int editorHeight = geometry::editorHeight;
constexpr float fontHeight = 12.0f;
const juce::Rectangle<int> inputChannelsBoxBounds{
    geometry::inputChannelsBox.x, geometry::inputChannelsBox.y, geometry::inputChannelsBox.width,
    geometry::inputChannelsBox.height};
const juce::Rectangle<int> outputChannelsBoxBounds{
    geometry::outputChannelsBox.x, geometry::outputChannelsBox.y, geometry::outputChannelsBox.width,
    geometry::outputChannelsBox.height};
constexpr int channelLabelPitch = 25;
constexpr int inputChannelLabelX = 70;  // inside the left box, beside its outputs
constexpr int outputChannelLabelX = 10; // inside the right box, beside its inputs
constexpr int channelLabelWidth = 20;
constexpr const char* channelLabelName = "ChannelLabel";
constexpr int bottomLineRise = 18; // from the editor's bottom edge to the top of the texts
constexpr int bottomLineHeight = 12;
constexpr int titleInset = 5;
constexpr int websiteLinkWidth = 200;
constexpr const char* titleLabelName = "TitleLabel";
constexpr const char* titleText = "Lampwick - MIDI channel router";
constexpr const char* websiteAddress = "https://www.quennell-music.example/";
constexpr const char* websiteText = "www.quennell-music.example";
const juce::Colour bottomTextColour{0xffbbbbbb};
const juce::Colour faceColour{0xff777777};
const juce::Colour lightEdgeColour{0xff999999};
const juce::Colour darkEdgeColour{0xff222222};
} // namespace canvas
