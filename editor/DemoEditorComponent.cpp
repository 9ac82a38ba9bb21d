#include "editor/DemoEditorComponent.h"

#include "editor/CVisualGraphObject.h"
#include "editor/CVisualGraphObjectConnectionLink.h"
#include "editor/CVisualGraphObjectConnector.h"
#include "editor/CanvasConstants.h"

#include <array>
#include <vector>

namespace
{
constexpr int channels = routing::numChannels;
using RouteCells = std::array<juce::uint8, (size_t) routing::numCells>;

size_t cell (int inputChannel, int outputChannel)
{
    return (size_t) routing::cell (inputChannel, outputChannel);
}
} // namespace

DemoEditorComponent::DemoEditorComponent (Switchyard* editedProcessor)
    : juce::AudioProcessorEditor (editedProcessor), processor (editedProcessor)
{
    processor->addChangeListener (this);

    lookAndFeel = std::make_unique<juce::LookAndFeel_V2>();
    setLookAndFeel (lookAndFeel.get());

    const juce::Font font (canvas::fontHeight);

    setSize (canvas::editorWidth, canvas::editorHeight);
    const auto w = getWidth();
    const auto h = getHeight();

    inputChannelsBox = new CVisualGraphObject();
    addAndMakeVisible (inputChannelsBox);
    inputChannelsBox->setBounds (canvas::inputChannelsBoxBounds);
    inputChannelsBox->positionLocked = true;
    inputChannelsBox->addChangeListener (this);

    for (int i = 0; i < channels; ++i)
    {
        inputChannelsBox->addOutputConnector (i);
        addChannelLabel (*inputChannelsBox, i, canvas::inputChannelLabelX, font);
    }

    outputChannelsBox = new CVisualGraphObject();
    addAndMakeVisible (outputChannelsBox);
    outputChannelsBox->setBounds (canvas::outputChannelsBoxBounds);
    outputChannelsBox->positionLocked = true;

    for (int i = 0; i < channels; ++i)
    {
        outputChannelsBox->addInputConnector (i);
        addChannelLabel (*outputChannelsBox, i, canvas::outputChannelLabelX, font);
    }

    titleLabel = new juce::Label (canvas::titleLabelName, canvas::titleText);
    addAndMakeVisible (titleLabel);
    titleLabel->setBounds (canvas::titleInset, h - canvas::bottomLineRise,
                           w - 2 * canvas::titleInset, canvas::bottomLineHeight);
    titleLabel->setFont (font);
    titleLabel->setJustificationType (juce::Justification::centredLeft);
    titleLabel->setColour (juce::Label::textColourId, canvas::bottomTextColour);

    websiteLink =
        new juce::HyperlinkButton (canvas::websiteText, juce::URL (canvas::websiteAddress));
    addAndMakeVisible (websiteLink);
    websiteLink->setColour (juce::HyperlinkButton::textColourId, canvas::bottomTextColour);
    websiteLink->setBounds (w - canvas::websiteLinkWidth, h - canvas::bottomLineRise,
                            canvas::websiteLinkWidth, canvas::bottomLineHeight);
    websiteLink->setFont (font, false, juce::Justification::horizontallyCentred);
    // A click in the canvas takes the keyboard to the canvas itself, which presses nothing with
    // Return or Space and keeps the keyboard while its menus are open (the toolkit closes a menu
    // at once when none of its components has the keyboard). The link answers the mouse only:
    // with the keyboard, the host's Return key would open a web browser.
    websiteLink->setWantsKeyboardFocus (false);

    changeListenerCallback (processor);
    setWantsKeyboardFocus (true);

    processor->setActivityShown (true);
    startTimerHz (canvas::activityFramesPerSecond);
}

DemoEditorComponent::~DemoEditorComponent()
{
    // The processor outlives this editor; its later restores must not reach it.
    stopTimer();
    processor->setActivityShown (false);
    processor->removeChangeListener (this);

    // Last added first: links before the connectors they point at, connectors before their
    // boxes. A box's shadow strips lie just behind it and go with its shadower.
    deleteAllChildren();
    setLookAndFeel (nullptr);
}

void DemoEditorComponent::addChannelLabel (CVisualGraphObject& box, int channelIndex, int x,
                                           const juce::Font& font)
{
    auto* label = new juce::Label (canvas::channelLabelName,
                                   juce::String::formatted ("%d", channelIndex + 1));
    box.addAndMakeVisible (label);
    label->setBounds (x, canvas::channelLabelPitch * channelIndex, canvas::channelLabelWidth,
                      canvas::channelLabelPitch);
    label->setFont (font);
}

void DemoEditorComponent::paint (juce::Graphics& g)
{
    // A mid-grey face with light left and top edges, a light rule above the title line, and a
    // dark bottom strip and right edge.
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    g.fillAll (canvas::faceColour);

    g.setColour (canvas::lightEdgeColour);
    g.fillRect (0.0f, 0.0f, 2.0f, h);
    g.fillRect (0.0f, 0.0f, w, 5.0f);
    g.fillRect (6.0f, h - 21.0f, w - 8.0f, 2.0f);

    g.setColour (canvas::darkEdgeColour);
    g.fillRect (0.0f, h - 5.0f, w, 8.0f);
    g.fillRect (w - 1.0f, 0.0f, 1.0f, h);
}

void DemoEditorComponent::resized()
{
    juce::AudioProcessorEditor::resized();
}

void DemoEditorComponent::changeListenerCallback (juce::ChangeBroadcaster* objectThatHasChanged)
{
    if (objectThatHasChanged == inputChannelsBox)
        writeLinksToMatrix();
    else if (objectThatHasChanged == processor)
        rebuildLinksFromMatrix();
}

void DemoEditorComponent::writeLinksToMatrix()
{
    // Read the links first, so that the audio thread waits only for the copy.
    RouteCells routes{};
    std::vector<CVisualGraphObjectConnector*> linked;

    for (int i = 0; i < channels; ++i)
    {
        auto* out = inputChannelsBox->findOutputConnector (i);
        if (out == nullptr)
            continue;

        linked.clear();
        out->getLinkedConnectors (linked);

        for (auto* destination : linked)
            if (juce::isPositiveAndBelow (destination->index, channels))
                routes[cell (i, destination->index)] = 1;
    }

    auto changed = false;
    {
        const juce::ScopedLock lock (processor->getCallbackLock());

        // A restore that the canvas does not show yet wins: its own change message rebuilds the
        // links from it, and these older links must not overwrite it.
        if (processor->getRestoreCount() != shownRestoreCount)
            return;

        for (int i = 0; i < channels; ++i)
            for (int j = 0; j < channels; ++j)
                changed =
                    changed || (processor->getRoute (i, j) != 0) != (routes[cell (i, j)] != 0);

        processor->clearAllRoutes();

        for (int i = 0; i < channels; ++i)
            for (int j = 0; j < channels; ++j)
                if (routes[cell (i, j)] != 0)
                    processor->setRoute (1, i, j);
    }

    // The user changed the routes (links rebuilt after a restore write back what was there):
    // the host may mark its project changed.
    if (changed)
        processor->updateHostDisplay (
            juce::AudioProcessor::ChangeDetails().withNonParameterStateChanged (true));
}

void DemoEditorComponent::rebuildLinksFromMatrix()
{
    inputChannelsBox->breakAllLinks();

    RouteCells routes;
    {
        const juce::ScopedLock lock (processor->getCallbackLock());
        shownRestoreCount = processor->getRestoreCount();

        for (int i = 0; i < channels; ++i)
            for (int j = 0; j < channels; ++j)
                routes[cell (i, j)] = processor->getRoute (i, j);
    }

    for (int i = 0; i < channels; ++i)
    {
        auto* out = inputChannelsBox->findOutputConnector (i);
        if (out == nullptr)
            continue;

        for (int j = 0; j < channels; ++j)
        {
            if (routes[cell (i, j)] == 0)
                continue;

            auto* link = new CVisualGraphObjectConnectionLink (out);
            addAndMakeVisible (link);
            auto* in = outputChannelsBox->findInputConnector (j);

            if (in != nullptr && in->acceptLink (link))
            {
                out->addLink (link);
                out->updatePosition();
                in->updatePosition();
                link->repaint();
            }
            else
            {
                delete link; // no end for it on the right box
            }
        }
    }
}

void DemoEditorComponent::timerCallback()
{
    showActivity (processor->takeActivity(), juce::Time::getMillisecondCounter());
}

void DemoEditorComponent::showActivity (juce::uint32 seen, juce::uint32 now)
{
    for (int c = 0; c < channels; ++c)
    {
        if (auto* in = inputChannelsBox->findOutputConnector (c))
            in->showActivity ((seen >> c) & 1, now);
        if (auto* out = outputChannelsBox->findInputConnector (c))
            out->showActivity ((seen >> (Switchyard::outputActivityShift + c)) & 1, now);
    }
}

void DemoEditorComponent::buttonClicked (juce::Button*)
{
}

void DemoEditorComponent::buttonStateChanged (juce::Button*)
{
}
