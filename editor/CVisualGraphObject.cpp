#include "editor/CVisualGraphObject.h"

#include "editor/BreakMenu.h"
#include "editor/CVisualGraphObjectConnector_Input.h"
#include "editor/CVisualGraphObjectConnector_Output.h"
#include "editor/CanvasGeometry.h"

#include <memory>

CVisualGraphObject::CVisualGraphObject() = default;

CVisualGraphObject::~CVisualGraphObject()
{
    // The connectors belong to the parent, which deletes them with its other children.
    inputs.clear();
    outputs.clear();
}

void CVisualGraphObject::mouseDown (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
    {
        CDraggableComponent::mouseDown (e);
        return;
    }

    canvas::showMenu (createMenu(), this, &CVisualGraphObject::handleBreakAllLinksMenu);
}

juce::PopupMenu CVisualGraphObject::createMenu() const
{
    auto menu = createBreakAllLinksMenu();

    if (menuItems != nullptr)
        menuItems->addMenuItems (menu);

    return menu;
}

juce::PopupMenu CVisualGraphObject::createBreakAllLinksMenu()
{
    return canvas::createBreakMenu (canvas::breakAllLinksText);
}

void CVisualGraphObject::handleBreakAllLinksMenu (int result)
{
    if (result == canvas::breakMenuItemId)
        breakAllLinks();
    else if (result != 0 && menuItems != nullptr)
        menuItems->menuItemChosen (result);
}

void CVisualGraphObject::resized()
{
    CDraggableComponent::resized();
    layoutConnectors();
}

void CVisualGraphObject::moved()
{
    CDraggableComponent::moved();
    layoutConnectors();
}

CVisualGraphObjectConnector* CVisualGraphObject::addInputConnector (int index)
{
    return addConnector (new CVisualGraphObjectConnector_Input (this), inputs, index);
}

CVisualGraphObjectConnector* CVisualGraphObject::addOutputConnector (int index)
{
    return addConnector (new CVisualGraphObjectConnector_Output (this), outputs, index);
}

CVisualGraphObjectConnector*
CVisualGraphObject::addConnector (CVisualGraphObjectConnector* connector, ConnectorList& list,
                                  int index)
{
    std::unique_ptr<CVisualGraphObjectConnector> created (connector);

    // Connectors live beside the box, on its parent; without one they would have no owner.
    auto* parent = getParentComponent();
    jassert (parent != nullptr);
    if (parent == nullptr)
        return nullptr;

    created->index = index == nextIndex ? (int) list.size() : index;
    parent->addAndMakeVisible (created.get());
    list.push_back (created.release());
    layoutConnectors();
    return connector;
}

CVisualGraphObjectConnector* CVisualGraphObject::find (const ConnectorList& list, int index)
{
    for (auto* connector : list)
        if (connector->index == index)
            return connector;

    return nullptr;
}

CVisualGraphObjectConnector* CVisualGraphObject::findInputConnector (int index) const
{
    return find (inputs, index);
}

CVisualGraphObjectConnector* CVisualGraphObject::findOutputConnector (int index) const
{
    return find (outputs, index);
}

void CVisualGraphObject::breakAllLinks()
{
    for (auto* connector : inputs)
        connector->breakLinks();

    for (auto* connector : outputs)
        connector->breakLinks();
}

void CVisualGraphObject::layoutRow (const ConnectorList& list, bool outsideRightEdge) const
{
    if (list.empty())
        return;

    const auto count = (int) list.size();

    for (int i = 0; i < count; ++i)
    {
        auto* connector = list[(size_t) i];
        const auto width = connector->getWidth();
        connector->setOffset (
            outsideRightEdge ? getWidth() : -width,
            canvas::geometry::connectorOffsetAlong (getHeight(), count, i, width));
    }
}

void CVisualGraphObject::layoutConnectors()
{
    layoutRow (inputs, false);
    layoutRow (outputs, true);
}

void CVisualGraphObject::notifyLinksChanged()
{
    sendChangeMessage();
}
