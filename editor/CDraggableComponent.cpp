#include "editor/CDraggableComponent.h"

#include "editor/CanvasConstants.h"

CDraggableComponent::CDraggableComponent()
    : shadower (juce::DropShadow (juce::Colours::black.withAlpha (canvas::shadowAlpha),
                                  canvas::shadowRadius,
                                  {canvas::shadowOffsetX, canvas::shadowOffsetY}))
{
    setOpaque (true);
    setVisible (true);
    shadower.setOwner (this);
}

CDraggableComponent::~CDraggableComponent()
{
    deleteAllChildren();
}

bool CDraggableComponent::canDrag (const juce::MouseEvent& e) const
{
    return ! positionLocked && e.mods.isLeftButtonDown();
}

void CDraggableComponent::mouseDown (const juce::MouseEvent& e)
{
    if (canDrag (e))
        dragger.startDraggingComponent (this, e);
}

void CDraggableComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (canDrag (e))
        dragger.dragComponent (this, e, nullptr);
}

void CDraggableComponent::paint (juce::Graphics& g)
{
    g.fillAll (canvas::boxColour);
}
