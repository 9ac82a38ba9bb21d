#pragma once

#include "editor/CDraggableComponent.h"

#include <vector>

class CVisualGraphObjectConnector;

/** A box of the patch canvas with a row of input connectors outside its left edge and a row of
    output connectors outside its right edge. The connectors live in the box's parent and follow
    the box; every change of their links is announced with a change message from the box. */
class CVisualGraphObject : public CDraggableComponent, public juce::ChangeBroadcaster
{
public:
    /** Further items of the box's menu, below "Break All Links", and what they do. */
    class MenuItems
    {
    public:
        virtual ~MenuItems() = default;
        virtual void addMenuItems (juce::PopupMenu& menu) = 0;
        virtual void menuItemChosen (int itemId) = 0;
    };

    /** Stands for the next free number of the row. */
    static constexpr int nextIndex = -1;

    CVisualGraphObject();
    ~CVisualGraphObject() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void resized() override;
    void moved() override;

    /** Creates a connector on the box's parent, which must exist; answers it, or none without
        a parent. */
    CVisualGraphObjectConnector* addInputConnector (int index);
    CVisualGraphObjectConnector* addOutputConnector (int index);
    /** The first connector of the row with that index, or none. */
    CVisualGraphObjectConnector* findInputConnector (int index) const;
    CVisualGraphObjectConnector* findOutputConnector (int index) const;
    void breakAllLinks();
    void layoutConnectors();
    void notifyLinksChanged();

    /** Acts on the choice of the box's menu: item 1 breaks every link; the further items go to
        whoever added them. */
    void handleBreakAllLinksMenu (int result);
    static juce::PopupMenu createBreakAllLinksMenu();
    /** "Break All Links", then the further items. */
    juce::PopupMenu createMenu() const;
    void setMenuItems (MenuItems* items) noexcept { menuItems = items; }

private:
    using ConnectorList = std::vector<CVisualGraphObjectConnector*>;

    CVisualGraphObjectConnector* addConnector (CVisualGraphObjectConnector* connector,
                                               ConnectorList& list, int index);
    static CVisualGraphObjectConnector* find (const ConnectorList& list, int index);
    void layoutRow (const ConnectorList& list, bool outsideRightEdge) const;

    ConnectorList inputs;
    ConnectorList outputs;
    MenuItems* menuItems = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CVisualGraphObject)
};
