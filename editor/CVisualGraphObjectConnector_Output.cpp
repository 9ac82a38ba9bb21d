#include "editor/CVisualGraphObjectConnector_Output.h"

#include "editor/CVisualGraphObjectConnectionLink.h"

#include <utility>

CVisualGraphObjectConnector_Output::~CVisualGraphObjectConnector_Output()
{
    stopFollowing();
}

juce::Point<int> CVisualGraphObjectConnector_Output::toCanvas (const juce::MouseEvent& e) const
{
    return e.getPosition() + getPosition();
}

CVisualGraphObjectConnector*
CVisualGraphObjectConnector_Output::findConnectorAt (juce::Point<int> canvasPosition) const
{
    // Links ignore the mouse, so a connector under the loose arrow is still found.
    if (auto* canvas = getParentComponent())
        return dynamic_cast<CVisualGraphObjectConnector*> (canvas->getComponentAt (canvasPosition));

    return nullptr;
}

void CVisualGraphObjectConnector_Output::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mods.isLeftButtonDown() || following || releaseEndsNothing)
        return;

    if (dragLink == nullptr)
        startLooseLink();

    moveLooseEnd (toCanvas (e));
}

void CVisualGraphObjectConnector_Output::mouseUp (const juce::MouseEvent& e)
{
    if (std::exchange (releaseEndsNothing, false) || following)
        return;

    if (e.mouseWasDraggedSinceMouseDown())
    {
        if (dragLink != nullptr)
            endLooseLink (toCanvas (e), true);
        return;
    }

    if (! e.mods.isLeftButtonDown())
        return;

    // A click: the link follows the pointer until the next click.
    if (dragLink == nullptr)
        startLooseLink();

    moveLooseEnd (toCanvas (e));

    if (auto* canvas = getParentComponent())
    {
        canvas->addMouseListener (&follower, true);
        following = true;
    }
}

void CVisualGraphObjectConnector_Output::ClickedLinkFollower::mouseMove (const juce::MouseEvent& e)
{
    if (auto* canvas = connector.getParentComponent())
        connector.moveLooseEnd (e.getEventRelativeTo (canvas).getPosition());
}

void CVisualGraphObjectConnector_Output::ClickedLinkFollower::mouseDown (const juce::MouseEvent& e)
{
    auto* canvas = connector.getParentComponent();
    if (canvas == nullptr)
        return;

    connector.releaseEndsNothing = e.eventComponent == &connector;
    connector.stopFollowing();
    connector.endLooseLink (e.getEventRelativeTo (canvas).getPosition(),
                            e.mods.isLeftButtonDown());
}

bool CVisualGraphObjectConnector_Output::cancelLooseLink()
{
    if (! following)
        return false;

    stopFollowing();
    endLooseLink (getCentre(), false);
    return true;
}

void CVisualGraphObjectConnector_Output::stopFollowing()
{
    if (! std::exchange (following, false))
        return;

    if (auto* canvas = getParentComponent())
        canvas->removeMouseListener (&follower);
}

void CVisualGraphObjectConnector_Output::startLooseLink()
{
    auto* canvas = getParentComponent();
    if (canvas == nullptr)
        return;

    dragLink = new CVisualGraphObjectConnectionLink (this);
    canvas->addAndMakeVisible (dragLink);
    const auto centre = getCentre();
    dragLink->setStart (centre.x, centre.y);
}

void CVisualGraphObjectConnector_Output::moveLooseEnd (juce::Point<int> pointer)
{
    if (dragLink == nullptr)
        return;

    dragLink->setEnd (pointer.x, pointer.y);

    auto* target = findConnectorAt (pointer);
    if (target == dropTarget)
        return;

    if (dropTarget != nullptr)
        dropTarget->unhighlight();

    dropTarget = target;

    if (dropTarget != nullptr && dropTarget->canAcceptLink (dragLink))
        dropTarget->highlight();
}

void CVisualGraphObjectConnector_Output::endLooseLink (juce::Point<int> pointer, bool mayAttach)
{
    if (dragLink == nullptr)
        return;

    if (dropTarget != nullptr)
    {
        dropTarget->unhighlight();
        dropTarget = nullptr;
    }

    auto* target = mayAttach ? findConnectorAt (pointer) : nullptr;

    if (target != nullptr && target->acceptLink (dragLink))
    {
        dragLink->setEnd (target->getX() + target->getWidth() / 2,
                          target->getY() + target->getHeight() / 2);
        addLink (dragLink);
        dragLink->repaint();
    }
    else
    {
        // A refused drop is no error: the loose link just goes.
        if (auto* canvas = dragLink->getParentComponent())
            canvas->removeChildComponent (dragLink);

        delete dragLink;
    }

    dragLink = nullptr;
}

void CVisualGraphObjectConnector_Output::updatePosition()
{
    CVisualGraphObjectConnector::updatePosition();

    const auto centre = getCentre();
    for (auto* link : links)
        link->setStart (centre.x, centre.y);
}

void CVisualGraphObjectConnector_Output::getLinkedConnectors (
    std::vector<CVisualGraphObjectConnector*>& result)
{
    for (auto* link : links)
        result.push_back (link->destination);
}
