#include "editor/CVisualGraphObjectConnector_Input.h"

#include "editor/CVisualGraphObjectConnectionLink.h"

void CVisualGraphObjectConnector_Input::updatePosition()
{
    CVisualGraphObjectConnector::updatePosition();

    const auto centre = getCentre();
    for (auto* link : links)
        link->setEnd (centre.x, centre.y);
}

bool CVisualGraphObjectConnector_Input::canAcceptLink (CVisualGraphObjectConnectionLink*)
{
    return true;
}

void CVisualGraphObjectConnector_Input::getLinkedConnectors (
    std::vector<CVisualGraphObjectConnector*>& result)
{
    for (auto* link : links)
        result.push_back (link->source);
}
