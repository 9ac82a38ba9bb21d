#pragma once

#include "plugin/Switchyard.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class CVisualGraphObject;

/** The plug-in's editor: a fixed patch canvas with a box of sixteen input-channel connectors on
    the left and a box of sixteen output-channel connectors on the right. A link from left
    connector i to right connector j stands for matrix cell (i, j). Every change of the links
    rewrites the whole matrix; every restore of the processor's state rebuilds every link. */
class DemoEditorComponent : public juce::AudioProcessorEditor,
                            public juce::ChangeListener,
                            public juce::Button::Listener,
                            private juce::Timer
{
public:
    explicit DemoEditorComponent (Switchyard* processor);
    ~DemoEditorComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void changeListenerCallback (juce::ChangeBroadcaster* objectThatHasChanged) override;

    void buttonClicked (juce::Button*) override;
    void buttonStateChanged (juce::Button*) override;

    /** Lights the connectors of the channels in seen (as the processor's takeActivity gives
        them) at now, in milliseconds, and fades the others. */
    void showActivity (juce::uint32 seen, juce::uint32 now);

private:
    void timerCallback() override;
    void writeLinksToMatrix();
    void rebuildLinksFromMatrix();
    void addChannelLabel (CVisualGraphObject& box, int channelIndex, int x, const juce::Font& font);

    Switchyard* const processor;
    juce::Label* titleLabel = nullptr;
    juce::HyperlinkButton* websiteLink = nullptr;
    CVisualGraphObject* inputChannelsBox = nullptr;
    CVisualGraphObject* outputChannelsBox = nullptr;

    // Released only after every child that draws with it is gone.
    std::unique_ptr<juce::LookAndFeel> lookAndFeel;
    // The processor's restore count when the links were last built from the matrix.
    juce::uint32 shownRestoreCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DemoEditorComponent)
};
