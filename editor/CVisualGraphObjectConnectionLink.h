#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class CVisualGraphObjectConnector;

/** The drawn cable of the canvas: an arrow from an output connector's centre to an input
    connector's centre, in a component whose bounds enclose it. White while loose (being
    dragged), black once attached, picked out while the pointer is over one of its ends. It ignores the mouse, so clicks and drops reach whatever lies
    beneath, and it detaches itself from both ends when deleted. */
class CVisualGraphObjectConnectionLink : public juce::Component
{
public:
    explicit CVisualGraphObjectConnectionLink (CVisualGraphObjectConnector* source);
    ~CVisualGraphObjectConnectionLink() override;

    void paint (juce::Graphics& g) override;

    /** Points in the canvas's coordinates. */
    void setStart (int x, int y);
    void setEnd (int x, int y);
    void updateBounds();
    /** Drawn picked out, while the pointer is over one of its ends. */
    void setEmphasised (bool shouldBeEmphasised);

    juce::Point<int> getStart() const noexcept { return {startX, startY}; }
    juce::Point<int> getEnd() const noexcept { return {endX, endY}; }

    CVisualGraphObjectConnector* const source;
    /** Set only by the connector that accepts the link. */
    CVisualGraphObjectConnector* destination = nullptr;

private:
    int startX = 0;
    int startY = 0;
    int endX = 0;
    int endY = 0;
    const int lineThickness;
    const int arrowheadWidth;
    const int arrowheadLength;
    bool emphasised = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CVisualGraphObjectConnectionLink)
};
