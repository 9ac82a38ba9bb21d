#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class JuceVSTWrapper;

/** Carries the plug-in's editor inside the host's window. Its only child is the editor, which it
    owns. It follows the editor's size, and brings the host's frame to the front on a click
    anywhere in the editor. */
class EditorCompWrapper : public juce::Component
{
public:
    EditorCompWrapper (JuceVSTWrapper& wrapper, juce::AudioProcessorEditor* editor);
    ~EditorCompWrapper() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void childBoundsChanged (juce::Component* child) override;
    void broughtToFront() override;

    juce::AudioProcessorEditor* getEditor() const;

    /** For an editor that outlives its adapter: nothing reaches back into it any more. */
    void detachFromHost() { wrapper = nullptr; }

private:
    JuceVSTWrapper* wrapper;

    JUCE_DECLARE_NON_COPYABLE (EditorCompWrapper)
};
