#pragma once

#include "editor/CVisualGraphObjectConnectionLink.h"
#include "editor/CVisualGraphObjectConnector.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <set>
#include <utility>
#include <vector>

/** A press on whatever component lies under a canvas point, then drags and a release sent to
    that same component, as JUCE's mouse source delivers them; positions are canvas points. */
class PointerGesture
{
public:
    PointerGesture (juce::Component& c, juce::Point<int> at,
                    juce::ModifierKeys m = juce::ModifierKeys::leftButtonModifier)
        : canvas (c), mods (m), target (c.getComponentAt (at)), downAt (at)
    {
        if (target != nullptr)
            target->mouseDown (event (at, false));
    }

    void dragTo (juce::Point<int> at)
    {
        moved = moved || at != downAt;
        if (target != nullptr)
            target->mouseDrag (event (at, true));
    }

    /** A release where the press was, without a move between, is a click. */
    void releaseAt (juce::Point<int> at)
    {
        if (target != nullptr)
            target->mouseUp (event (at, moved || at != downAt));
    }

private:
    juce::MouseEvent event (juce::Point<int> at, bool dragged) const
    {
        const auto now = juce::Time::getCurrentTime();
        return {juce::Desktop::getInstance().getMainMouseSource(),
                target->getLocalPoint (&canvas, at).toFloat(),
                mods,
                juce::MouseInputSource::defaultPressure,
                juce::MouseInputSource::defaultOrientation,
                juce::MouseInputSource::defaultRotation,
                juce::MouseInputSource::defaultTiltX,
                juce::MouseInputSource::defaultTiltY,
                target,
                target,
                now,
                target->getLocalPoint (&canvas, downAt).toFloat(),
                now,
                1,
                dragged};
    }

    juce::Component& canvas;
    juce::ModifierKeys mods;
    juce::Component* target;
    juce::Point<int> downAt;
    bool moved = false;
};

/** A bare canvas that deletes its children last added first, as the editor does. */
struct TestCanvas : juce::Component
{
    TestCanvas()
    {
        setBounds (0, 0, 600, 450);
        setVisible (true);
    }

    ~TestCanvas() override
    {
        while (getNumChildComponents() > 0)
            delete getChildComponent (getNumChildComponents() - 1);
    }
};

inline std::vector<CVisualGraphObjectConnectionLink*> linksOn (juce::Component& canvas)
{
    std::vector<CVisualGraphObjectConnectionLink*> links;
    for (auto* child : canvas.getChildren())
        if (auto* link = dynamic_cast<CVisualGraphObjectConnectionLink*> (child))
            links.push_back (link);
    return links;
}

/** (source index, destination index) of every link on the canvas; loose links give -1. */
inline std::multiset<std::pair<int, int>> linkedPairs (juce::Component& canvas)
{
    std::multiset<std::pair<int, int>> pairs;
    for (auto* link : linksOn (canvas))
        pairs.emplace (link->source->index,
                       link->destination != nullptr ? link->destination->index : -1);
    return pairs;
}

inline juce::Colour pixelAt (juce::Component& c, juce::Point<int> at)
{
    return c.createComponentSnapshot (c.getLocalBounds()).getPixelAt (at.x, at.y);
}
