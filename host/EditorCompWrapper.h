#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Carries the plug-in's editor inside the host's window. Its only child is the editor, which it
    owns. It follows the editor's size, and brings the host's frame to the front on a click
    anywhere in the editor. */
class EditorCompWrapper : public juce::Component
{
public:
    /** What the wrapper tells whoever hosts it, on the message thread. */
    class Owner
    {
    public:
        virtual ~Owner() = default;

        /** The editor has taken this size: the host's windows are to follow. */
        virtual void editorResized (int width, int height) = 0;

        /** A press in the editor: the host's frame comes to the front. */
        virtual void editorPressed() = 0;
    };

    EditorCompWrapper (Owner& owner, juce::AudioProcessorEditor* editor);
    ~EditorCompWrapper() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void childBoundsChanged (juce::Component* child) override;
    void broughtToFront() override;

    juce::AudioProcessorEditor* getEditor() const;

private:
    Owner& owner;

    JUCE_DECLARE_NON_COPYABLE (EditorCompWrapper)
};
