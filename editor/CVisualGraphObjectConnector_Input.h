#pragma once

#include "editor/CVisualGraphObjectConnector.h"

/** The end of links: accepts every link and keeps the ends of its links on its centre. */
class CVisualGraphObjectConnector_Input : public CVisualGraphObjectConnector
{
public:
    using CVisualGraphObjectConnector::CVisualGraphObjectConnector;

    void updatePosition() override;
    bool canAcceptLink (CVisualGraphObjectConnectionLink* link) override;
    void getLinkedConnectors (std::vector<CVisualGraphObjectConnector*>& result) override;
    bool isStartOfLinks() const noexcept override { return false; }
};
