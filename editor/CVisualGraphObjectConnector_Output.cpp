#include "editor/CVisualGraphObjectConnector_Output.h"

#include "editor/CVisualGraphObjectConnectionLink.h"

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
    if (! e.mods.isLeftButtonDown())
        return;

    auto* canvas = getParentComponent();
    if (canvas == nullptr)
        return;

    if (dragLink == nullptr)
    {
        dragLink = new CVisualGraphObjectConnectionLink (this);
        canvas->addAndMakeVisible (dragLink);
        const auto centre = getCentre();
        dragLink->setStart (centre.x, centre.y);
    }

    const auto pointer = toCanvas (e);
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

void CVisualGraphObjectConnector_Output::mouseUp (const juce::MouseEvent& e)
{
    if (dragLink == nullptr)
        return;

    if (dropTarget != nullptr)
    {
        dropTarget->unhighlight();
        dropTarget = nullptr;
    }

    auto* target = findConnectorAt (toCanvas (e));

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
