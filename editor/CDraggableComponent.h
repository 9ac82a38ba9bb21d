#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** An opaque light-grey component with a soft drop shadow that follows a left-button drag
    unless its position is locked. It owns its child components. */
class CDraggableComponent : public juce::Component
{
public:
    CDraggableComponent();
    ~CDraggableComponent() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;

    /** When set, the mouse cannot move the component; the owner writes it directly. */
    bool positionLocked = false;

private:
    bool canDrag (const juce::MouseEvent& e) const;

    juce::ComponentDragger dragger;
    juce::DropShadower shadower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CDraggableComponent)
};
