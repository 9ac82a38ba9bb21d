#include "editor/CVisualGraphObjectConnectionLink.h"

#include "editor/CVisualGraphObjectConnector.h"
#include "editor/CanvasConstants.h"

CVisualGraphObjectConnectionLink::CVisualGraphObjectConnectionLink (
    CVisualGraphObjectConnector* sourceConnector)
    : source (sourceConnector), lineThickness (canvas::linkLineThickness),
      arrowheadWidth (canvas::linkArrowheadWidth), arrowheadLength (canvas::linkArrowheadLength)
{
    setInterceptsMouseClicks (false, false);
}

CVisualGraphObjectConnectionLink::~CVisualGraphObjectConnectionLink()
{
    if (destination != nullptr)
        destination->removeLink (this);

    if (source != nullptr)
        source->removeLink (this);
}

void CVisualGraphObjectConnectionLink::setStart (int x, int y)
{
    startX = x;
    startY = y;
    updateBounds();
}

void CVisualGraphObjectConnectionLink::setEnd (int x, int y)
{
    endX = x;
    endY = y;
    updateBounds();
}

void CVisualGraphObjectConnectionLink::updateBounds()
{
    const auto margin = juce::jmax (lineThickness, arrowheadWidth);
    setBounds (juce::jmin (startX, endX) - margin, juce::jmin (startY, endY) - margin,
               std::abs (endX - startX) + 2 * margin, std::abs (endY - startY) + 2 * margin);
}

void CVisualGraphObjectConnectionLink::setEmphasised (bool shouldBeEmphasised)
{
    if (emphasised == shouldBeEmphasised)
        return;

    emphasised = shouldBeEmphasised;
    repaint();
}

void CVisualGraphObjectConnectionLink::paint (juce::Graphics& g)
{
    g.setColour (destination == nullptr ? canvas::looseLinkColour
                 : emphasised           ? canvas::emphasisedLinkColour
                                        : canvas::attachedLinkColour);
    g.drawArrow ({(float) (startX - getX()), (float) (startY - getY()), (float) (endX - getX()),
                  (float) (endY - getY())},
                 (float) lineThickness, (float) arrowheadWidth, (float) arrowheadLength);
}
