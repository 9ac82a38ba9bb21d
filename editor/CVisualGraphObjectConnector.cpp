#include "editor/CVisualGraphObjectConnector.h"

#include "editor/BreakMenu.h"
#include "editor/CVisualGraphObject.h"
#include "editor/CVisualGraphObjectConnectionLink.h"

#include <algorithm>

CVisualGraphObjectConnector::CVisualGraphObjectConnector (CVisualGraphObject* ownerBox)
    : owner (ownerBox)
{
    setSize (canvas::connectorSize, canvas::connectorSize);
    CVisualGraphObjectConnector::updatePosition();
    setRepaintsOnMouseActivity (true);
}

CVisualGraphObjectConnector::~CVisualGraphObjectConnector()
{
    delete tooltipWindow.getComponent();
}

void CVisualGraphObjectConnector::mouseDown (const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        return;

    canvas::showMenu (createBreakLinksMenu(), this,
                      &CVisualGraphObjectConnector::handleBreakLinksMenu);
}

void CVisualGraphObjectConnector::mouseEnter (const juce::MouseEvent&)
{
    for (auto* link : links)
        link->setEmphasised (true);

    if (tooltipWindow == nullptr)
        tooltipWindow = new juce::TooltipWindow (getParentComponent(), canvas::tooltipDelayMs);
}

void CVisualGraphObjectConnector::mouseExit (const juce::MouseEvent&)
{
    for (auto* link : links)
        link->setEmphasised (false);

    delete tooltipWindow.getComponent();
}

juce::String CVisualGraphObjectConnector::getTooltip()
{
    std::vector<CVisualGraphObjectConnector*> linked;
    getLinkedConnectors (linked);

    std::vector<int> channels;
    for (auto* connector : linked)
        if (connector != nullptr)
            channels.push_back (connector->index + 1);
    std::sort (channels.begin(), channels.end());

    const auto starts = isStartOfLinks();
    auto text = juce::String (starts ? "Input " : "Output ") + juce::String (index + 1);

    if (channels.empty())
        return text + ": no links";

    text << (starts ? " to output" : " from input") << (channels.size() > 1 ? "s " : " ");
    for (size_t i = 0; i < channels.size(); ++i)
        text << (i == 0 ? "" : ", ") << channels[i];

    return text;
}

juce::PopupMenu CVisualGraphObjectConnector::createBreakLinksMenu()
{
    return canvas::createBreakMenu (canvas::breakLinksText);
}

void CVisualGraphObjectConnector::handleBreakLinksMenu (int result)
{
    if (result == canvas::breakMenuItemId)
        breakLinks();
}

void CVisualGraphObjectConnector::paint (juce::Graphics& g)
{
    const auto active = isMouseOverOrDragging() || highlighted;
    const auto idle =
        canvas::connectorColour.interpolatedWith (canvas::connectorActivityColour, activity);
    g.fillAll (active ? canvas::connectorActiveColour : idle);
}

void CVisualGraphObjectConnector::showActivity (bool seen, juce::uint32 now)
{
    if (seen)
        lastActivityTime = now;
    else if (activity == 0.0f)
        return;

    const auto since = (float) (now - lastActivityTime);
    const auto level = juce::jmax (0.0f, 1.0f - since / (float) canvas::activityFadeMs);

    if (level != activity)
    {
        activity = level;
        repaint();
    }
}

void CVisualGraphObjectConnector::updatePosition()
{
    if (owner != nullptr)
        setBounds (owner->getX() + offsetX, owner->getY() + offsetY, getWidth(), getHeight());
}

bool CVisualGraphObjectConnector::canAcceptLink (CVisualGraphObjectConnectionLink*)
{
    return false;
}

void CVisualGraphObjectConnector::highlight()
{
    highlighted = true;
    repaint();
}

void CVisualGraphObjectConnector::unhighlight()
{
    highlighted = false;
    repaint();
}

void CVisualGraphObjectConnector::setOffset (int x, int y)
{
    offsetX = x;
    offsetY = y;
    updatePosition();
}

void CVisualGraphObjectConnector::addLink (CVisualGraphObjectConnectionLink* link)
{
    links.insert (link);
    if (owner != nullptr)
        owner->notifyLinksChanged();
}

void CVisualGraphObjectConnector::removeLink (CVisualGraphObjectConnectionLink* link)
{
    links.erase (link);
    if (owner != nullptr)
        owner->notifyLinksChanged();
}

bool CVisualGraphObjectConnector::acceptLink (CVisualGraphObjectConnectionLink* link)
{
    if (! canAcceptLink (link))
        return false;

    link->destination = this;
    addLink (link);
    return true;
}

void CVisualGraphObjectConnector::breakLinks()
{
    // Each link's destructor also erases it from the set at its other end and notifies both
    // boxes; taking it out here first keeps the loop finite whatever the link points at.
    while (! links.empty())
    {
        auto* link = *links.begin();
        links.erase (links.begin());
        delete link;
    }
}

juce::Point<int> CVisualGraphObjectConnector::getCentre() const
{
    return {(int) ((float) getX() + (float) getWidth() * 0.5f),
            (int) ((float) getY() + (float) getHeight() * 0.5f)};
}
