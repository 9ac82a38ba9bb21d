#pragma once

#include "editor/CVisualGraphObjectConnector.h"

/** The start of links. Carries the linking gestures: a left-button drag pulls a loose link out
    of it, and releasing the button over a connector that accepts the link attaches it. A click
    (press and release without moving) starts a loose link that follows the pointer over the
    canvas: the next left click on a connector that accepts it attaches it, and any other click,
    or cancelLooseLink, drops it. */
class CVisualGraphObjectConnector_Output : public CVisualGraphObjectConnector
{
public:
    using CVisualGraphObjectConnector::CVisualGraphObjectConnector;
    ~CVisualGraphObjectConnector_Output() override;

    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

    void updatePosition() override;
    void getLinkedConnectors (std::vector<CVisualGraphObjectConnector*>& result) override;
    bool isStartOfLinks() const noexcept override { return true; }

    /** Drops the loose link that follows the pointer after a click, if there is one; answers
        whether there was. A link being dragged is the drag's to end. */
    bool cancelLooseLink();

private:
    /** Hears every mouse event of the canvas while a clicked link follows the pointer. */
    struct ClickedLinkFollower : juce::MouseListener
    {
        explicit ClickedLinkFollower (CVisualGraphObjectConnector_Output& c) : connector (c) {}
        void mouseMove (const juce::MouseEvent& e) override;
        void mouseDown (const juce::MouseEvent& e) override;

        CVisualGraphObjectConnector_Output& connector;
    };

    juce::Point<int> toCanvas (const juce::MouseEvent& e) const;
    CVisualGraphObjectConnector* findConnectorAt (juce::Point<int> canvasPosition) const;
    void startLooseLink();
    void moveLooseEnd (juce::Point<int> canvasPosition);
    /** Attaches the loose link to a connector at the position that accepts it, or deletes it. */
    void endLooseLink (juce::Point<int> canvasPosition, bool mayAttach);
    void stopFollowing();

    ClickedLinkFollower follower{*this};
    bool following = false;
    bool releaseEndsNothing = false; // the press that dropped a clicked link was on this connector
};
