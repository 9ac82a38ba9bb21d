#pragma once

#include "editor/CanvasConstants.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace canvas
{
/** The one-item right-button menu of a connector, and the first item of a box's menu. */
inline juce::PopupMenu createBreakMenu (const char* itemText)
{
    juce::PopupMenu menu;
    menu.addItem (breakMenuItemId, itemText);
    return menu;
}

/** Shows the menu at the mouse position and hands the chosen item to the component, if it still
    exists by then. Asynchronous: a modal loop inside a host's callback can hang the host. */
template <typename ComponentType>
void showMenu (juce::PopupMenu menu, ComponentType* component,
               void (ComponentType::*handleChoice) (int))
{
    menu.showMenuAsync (
        juce::PopupMenu::Options(),
        [safe = juce::Component::SafePointer<ComponentType> (component), handleChoice] (int result)
        {
            if (auto* c = safe.getComponent())
                (c->*handleChoice) (result);
        });
}
} // namespace canvas
