#include "MessagePump.h"

#include "editor/CVisualGraphObject.h"
#include "editor/CVisualGraphObjectConnectionLink.h"
#include "editor/CVisualGraphObjectConnector.h"
#include "editor/DemoEditorComponent.h"

#include <gtest/gtest.h>

// Last: Xlib defines macros that clash with names in the headers above.
#include <X11/Xlib.h>

namespace
{
// JUCE installs no X error handler inside a plug-in, and a bare X server lacks atoms it asks
// for; a host keeps going past such errors, and so does this test.
int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

// On screen the boxes' drop shadows become children of the editor, owned by the boxes'
// shadowers: closing the editor must delete its own children and leave those alone.
TEST (EditorOnScreen, ClosesCleanlyWithTheBoxShadowsShowing)
{
    XSetErrorHandler (ignoreXError);
    Switchyard processor;
    processor.setRoute (1, 4, 7);

    for (int round = 0; round < 2; ++round)
    {
        auto* editor = processor.createEditorIfNeeded();
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (0);
        editor->setVisible (true);
        pumpMessages();

        int foreignChildren = 0;
        for (auto* child : editor->getChildren())
            if (dynamic_cast<juce::Label*> (child) == nullptr &&
                dynamic_cast<juce::Button*> (child) == nullptr &&
                dynamic_cast<CVisualGraphObject*> (child) == nullptr &&
                dynamic_cast<CVisualGraphObjectConnector*> (child) == nullptr &&
                dynamic_cast<CVisualGraphObjectConnectionLink*> (child) == nullptr)
                ++foreignChildren;
        EXPECT_EQ (foreignChildren, 8) << "four shadow strips per box";

        // A click in the canvas (which wants no keys itself) leaves the keyboard with nothing
        // that Return or Space would press, such as the web link.
        editor->grabKeyboardFocus();
        EXPECT_EQ (dynamic_cast<juce::Button*> (juce::Component::getCurrentlyFocusedComponent()),
                   nullptr);

        processor.editorBeingDeleted (editor);
        delete editor;
        pumpMessages();
        EXPECT_EQ (processor.getRoute (4, 7), 1);
    }
}
