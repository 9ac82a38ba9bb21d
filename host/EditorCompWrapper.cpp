#include "host/EditorCompWrapper.h"

EditorCompWrapper::EditorCompWrapper (Owner& editorOwner, juce::AudioProcessorEditor* editor)
    : owner (editorOwner)
{
    setOpaque (true);
    setBounds (editor->getBounds());
    editor->setTopLeftPosition (0, 0);
    addAndMakeVisible (editor);

    // A press anywhere in the editor then reaches mouseDown, and so raises the host's frame.
    addMouseListener (this, true);
}

EditorCompWrapper::~EditorCompWrapper()
{
    removeMouseListener (this);
    deleteAllChildren();
}

void EditorCompWrapper::mouseDown (const juce::MouseEvent&)
{
    broughtToFront();
}

void EditorCompWrapper::paint (juce::Graphics&)
{
    // Nothing: the opaque editor covers the whole wrapper.
}

void EditorCompWrapper::resized()
{
    // A window whose host window has gone reads back as empty: that is no size for the editor.
    if (auto* child = getChildComponent (0); child != nullptr && ! getLocalBounds().isEmpty())
        child->setBounds (getLocalBounds());
}

void EditorCompWrapper::childBoundsChanged (juce::Component* child)
{
    // Moving the child comes back here, once, with the child in place: fit the host only then.
    if (child->getPosition() != juce::Point<int>())
    {
        child->setTopLeftPosition (0, 0);
        return;
    }

    const auto width = child->getWidth();
    const auto height = child->getHeight();

    owner.editorResized (width, height);
    setSize (width, height);
}

void EditorCompWrapper::broughtToFront()
{
    owner.editorPressed();
}

juce::AudioProcessorEditor* EditorCompWrapper::getEditor() const
{
    return dynamic_cast<juce::AudioProcessorEditor*> (getChildComponent (0));
}
