// Writes the editor's geometry as shell assignments, for scripts that click in the editor inside a
// host: sourced from the build folder, it keeps them reading the same numbers as the editor.

#include "editor/CanvasGeometry.h"

#include <cstdio>

int main()
{
    namespace g = canvas::geometry;
    const auto first = g::connectorCentre (true, 0), second = g::connectorCentre (true, 1);
    const auto output = g::connectorCentre (false, 0);

    std::printf ("# Written by the build from editor/CanvasGeometry.h: the editor's size, and the\n"
                 "# centres of its connectors in its own coordinates (connector k of a box is\n"
                 "# CONNECTOR_PITCH * k below the first).\n");
    std::printf ("EDITOR_WIDTH=%d\nEDITOR_HEIGHT=%d\n", g::editorWidth, g::editorHeight);
    std::printf ("INPUT_CONNECTOR_X=%d\nOUTPUT_CONNECTOR_X=%d\n", first.x, output.x);
    std::printf ("FIRST_CONNECTOR_Y=%d\nCONNECTOR_PITCH=%d\n", first.y, second.y - first.y);
    return 0;
}
