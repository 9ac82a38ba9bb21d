#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <set>
#include <vector>

class CVisualGraphObject;
class CVisualGraphObjectConnectionLink;

/** A patch point of a box: an 8 x 8 square on the canvas, kept at a fixed offset from its box,
    at which links start or end. Every change of its links is reported to the box, which
    broadcasts it. Not a child of the box: boxes, connectors and links share the canvas.
    Under the pointer it picks out its links and names them in a tooltip. */
class CVisualGraphObjectConnector : public juce::Component, public juce::TooltipClient
{
public:
    explicit CVisualGraphObjectConnector (CVisualGraphObject* owner);
    ~CVisualGraphObjectConnector() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseEnter (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;

    /** "Input 3 to outputs 5, 7, 12", or "Output 5 from input 3": the channels at the far ends. */
    juce::String getTooltip() override;

    /** Places the connector at the owner's position plus the offset. */
    virtual void updatePosition();
    virtual bool canAcceptLink (CVisualGraphObjectConnectionLink* link);
    virtual void highlight();
    virtual void unhighlight();
    /** Appends the connector at the far end of each link, without clearing `result`. */
    virtual void getLinkedConnectors (std::vector<CVisualGraphObjectConnector*>& result) = 0;
    /** Whether links start here (an input channel of the router) or end here. */
    virtual bool isStartOfLinks() const noexcept = 0;

    void setOffset (int x, int y);
    void addLink (CVisualGraphObjectConnectionLink* link);
    void removeLink (CVisualGraphObjectConnectionLink* link);
    /** Ends the link here and records it, if this connector accepts it. The caller moves the
        link's end point and adds the link to its source. */
    bool acceptLink (CVisualGraphObjectConnectionLink* link);
    /** Deletes every link attached here; each removes itself from both of its ends. */
    void breakLinks();

    /** Acts on the choice of the "Break Links" menu: item 1 breaks the links. */
    void handleBreakLinksMenu (int result);
    static juce::PopupMenu createBreakLinksMenu();

    CVisualGraphObject* getOwner() const noexcept { return owner; }
    const std::set<CVisualGraphObjectConnectionLink*>& getLinks() const noexcept { return links; }
    bool isHighlighted() const noexcept { return highlighted; }

    /** Lights the connector when its channel has carried MIDI at now (in milliseconds), and
        fades it out over the time after the last such moment. */
    void showActivity (bool seen, juce::uint32 now);
    /** How brightly it is lit: 1 just after MIDI, 0 once faded. */
    float getActivity() const noexcept { return activity; }
    juce::Point<int> getCentre() const;

protected:
    CVisualGraphObject* const owner;
    int offsetX = 0;
    int offsetY = 0;
    std::set<CVisualGraphObjectConnectionLink*> links;
    CVisualGraphObjectConnectionLink* dragLink = nullptr;
    CVisualGraphObjectConnector* dropTarget = nullptr;
    bool highlighted = false;
    juce::uint32 lastActivityTime = 0;
    float activity = 0.0f;

    // Only while the pointer is over the connector: a tooltip window polls the mouse for as long
    // as it exists, and an editor with nothing to show should not.
    juce::Component::SafePointer<juce::TooltipWindow> tooltipWindow;

public:
    /** Number among the owner's inputs or outputs, from 0; the editor reads it as the channel. */
    int index = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CVisualGraphObjectConnector)
};
