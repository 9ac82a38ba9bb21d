#pragma once

#include "editor/CVisualGraphObjectConnector.h"

/** The start of links. Carries the linking gesture: a left-button drag pulls a loose link out
    of it, and releasing the button over a connector that accepts the link attaches it. */
class CVisualGraphObjectConnector_Output : public CVisualGraphObjectConnector
{
public:
    using CVisualGraphObjectConnector::CVisualGraphObjectConnector;

    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

    void updatePosition() override;
    void getLinkedConnectors (std::vector<CVisualGraphObjectConnector*>& result) override;

private:
    juce::Point<int> toCanvas (const juce::MouseEvent& e) const;
    CVisualGraphObjectConnector* findConnectorAt (juce::Point<int> canvasPosition) const;
};
