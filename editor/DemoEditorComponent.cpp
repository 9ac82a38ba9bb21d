#include "editor/DemoEditorComponent.h"

#include "editor/CVisualGraphObjectConnectionLink.h"
#include "editor/CVisualGraphObjectConnector_Output.h"
#include "editor/CanvasConstants.h"

#include <array>
#include <utility>
#include <vector>

namespace
{
constexpr int channels = routing::numChannels;
using RouteCells = std::array<juce::uint8, (size_t) routing::numCells>;

size_t cell (int inputChannel, int outputChannel)
{
    return (size_t) routing::cell (inputChannel, outputChannel);
}

/** The whole matrix; the caller holds the processor's callback lock. */
RouteCells readMatrix (const Switchyard& processor)
{
    RouteCells routes;
    for (int i = 0; i < channels; ++i)
        for (int j = 0; j < channels; ++j)
            routes[cell (i, j)] = processor.getRoute (i, j);
    return routes;
}

void writeMatrix (Switchyard& processor, const RouteCells& routes)
{
    processor.clearAllRoutes();
    for (int i = 0; i < channels; ++i)
        for (int j = 0; j < channels; ++j)
            if (routes[cell (i, j)] != 0)
                processor.setRoute (routes[cell (i, j)], i, j);
}

/** The same channels routed: the matrix may hold any nonzero value for a route. */
bool sameRouting (const RouteCells& a, const RouteCells& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] != 0) != (b[i] != 0))
            return false;

    return true;
}

// Far more than any list of routes could take, however spaced out.
constexpr int longestPastedText = 65536;
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
    inputChannelsBox->setMenuItems (this);

    for (int i = 0; i < channels; ++i)
    {
        inputChannelsBox->addOutputConnector (i);
        addChannelLabel (*inputChannelsBox, i, canvas::inputChannelLabelX, font);
    }

    outputChannelsBox = new CVisualGraphObject();
    addAndMakeVisible (outputChannelsBox);
    outputChannelsBox->setBounds (canvas::outputChannelsBoxBounds);
    outputChannelsBox->positionLocked = true;
    outputChannelsBox->setMenuItems (this);

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
    setResting (false); // until it has been drawn: a host's idle calls see the first paint done
}

DemoEditorComponent::~DemoEditorComponent()
{
    // The processor outlives this editor; its later restores must not reach it.
    stopTimer();
    noticeExpiry.stopTimer();
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
    painted = true;

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

bool DemoEditorComponent::keyPressed (const juce::KeyPress& key)
{
    using juce::KeyPress;
    constexpr auto command = juce::ModifierKeys::commandModifier;
    constexpr auto shift = juce::ModifierKeys::shiftModifier;

    if (key == KeyPress ('z', command, 0))
        undo();
    else if (key == KeyPress ('z', command | shift, 0) || key == KeyPress ('y', command, 0))
        redo();
    else if (key == KeyPress ('c', command, 0))
        copyRoutes();
    else if (key == KeyPress ('v', command, 0))
        pasteRoutes();
    else if (key == KeyPress (KeyPress::escapeKey))
        return cancelLooseLinks(); // any other Escape is the host's
    else
        return false;

    return true;
}

void DemoEditorComponent::addMenuItems (juce::PopupMenu& menu)
{
    const auto& history = processor->getRouteHistory();
    const auto add = [&menu] (int id, const char* text, bool enabled, juce::KeyPress key)
    {
        juce::PopupMenu::Item item (text);
        item.itemID = id;
        item.isEnabled = enabled;
        if (key.isValid())
            item.shortcutKeyDescription = key.getTextDescription();
        menu.addItem (std::move (item));
    };
    constexpr auto command = juce::ModifierKeys::commandModifier;

    menu.addSeparator();
    add (canvas::undoItemId, canvas::undoText, history.canUndo(), {'z', command, 0});
    add (canvas::redoItemId, canvas::redoText, history.canRedo(),
         {'z', command | juce::ModifierKeys::shiftModifier, 0});
    menu.addSeparator();
    add (canvas::copyRoutesItemId, canvas::copyRoutesText, true, {'c', command, 0});
    add (canvas::pasteRoutesItemId, canvas::pasteRoutesText, true, {'v', command, 0});
    add (canvas::linkEachToItselfItemId, canvas::linkEachToItselfText, true, {});
}

void DemoEditorComponent::menuItemChosen (int itemId)
{
    switch (itemId)
    {
    case canvas::undoItemId: undo(); break;
    case canvas::redoItemId: redo(); break;
    case canvas::copyRoutesItemId: copyRoutes(); break;
    case canvas::pasteRoutesItemId: pasteRoutes(); break;
    case canvas::linkEachToItselfItemId: linkEachChannelToItself(); break;
    default: break;
    }
}

void DemoEditorComponent::undo()
{
    stepThroughHistory (&RouteHistory::undo);
}

void DemoEditorComponent::redo()
{
    stepThroughHistory (&RouteHistory::redo);
}

void DemoEditorComponent::stepThroughHistory (
    std::optional<Cells> (RouteHistory::*step) (const Cells&))
{
    // A link edit whose change message is still on its way is an edit of its own, before this.
    writeLinksToMatrix();

    const auto current = readShownRoutes();
    if (! current)
        return;

    if (const auto routes = (processor->getRouteHistory().*step) (*current))
        if (writeRoutes (*routes, false))
            rebuildLinksFromMatrix();
}

void DemoEditorComponent::copyRoutes()
{
    writeLinksToMatrix();

    if (const auto routes = readShownRoutes())
        juce::SystemClipboard::copyTextToClipboard (RoutesText::write (*routes));
}

void DemoEditorComponent::pasteRoutes()
{
    pasteRoutes (juce::SystemClipboard::getTextFromClipboard());
}

void DemoEditorComponent::pasteRoutes (const juce::String& text)
{
    Cells routes{};
    juce::String problem;

    if (text.length() > longestPastedText)
        problem = "the clipboard holds too much text to be routes";
    else if (text.trim().isEmpty())
        problem = "the clipboard holds no routes";
    else
        problem = RoutesText::read (text, routes);

    if (problem.isNotEmpty())
    {
        showNotice (juce::String (canvas::pasteRoutesText) + ": " + problem);
        return;
    }

    writeLinksToMatrix();
    editRoutes (routes);
}

void DemoEditorComponent::linkEachChannelToItself()
{
    writeLinksToMatrix();

    if (auto routes = readShownRoutes())
    {
        for (int c = 0; c < channels; ++c)
            (*routes)[cell (c, c)] = 1;

        editRoutes (*routes);
    }
}

void DemoEditorComponent::editRoutes (const Cells& routes)
{
    if (writeRoutes (routes, true))
        rebuildLinksFromMatrix();
}

std::optional<RoutesText::Cells> DemoEditorComponent::readShownRoutes() const
{
    const juce::ScopedLock lock (processor->getCallbackLock());

    if (processor->getRestoreCount() != shownRestoreCount)
        return std::nullopt;

    return readMatrix (*processor);
}

bool DemoEditorComponent::cancelLooseLinks()
{
    auto cancelled = false;

    for (int i = 0; i < channels; ++i)
        if (auto* out = dynamic_cast<CVisualGraphObjectConnector_Output*> (
                inputChannelsBox->findOutputConnector (i)))
            cancelled = out->cancelLooseLink() || cancelled;

    return cancelled;
}

void DemoEditorComponent::showNotice (const juce::String& text)
{
    // In place of the title, for a few seconds; the link beside it makes room.
    titleLabel->setText (text, juce::dontSendNotification);
    websiteLink->setVisible (false);
    noticeShown = true;
    noticeExpiry.startTimer ((int) canvas::noticeShownMs);
}

void DemoEditorComponent::clearNotice()
{
    noticeExpiry.stopTimer();

    if (! std::exchange (noticeShown, false))
        return;

    titleLabel->setText (canvas::titleText, juce::dontSendNotification);
    websiteLink->setVisible (true);
}

juce::String DemoEditorComponent::getNotice() const
{
    return noticeShown ? titleLabel->getText() : juce::String();
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

    writeRoutes (routes, true);
}

bool DemoEditorComponent::writeRoutes (const Cells& routes, bool isEdit)
{
    Cells before;
    {
        const juce::ScopedLock lock (processor->getCallbackLock());

        // A restore that the canvas does not show yet wins: its own change message rebuilds the
        // links from it, and these older links must not overwrite it.
        if (processor->getRestoreCount() != shownRestoreCount)
            return false;

        before = readMatrix (*processor);
        writeMatrix (*processor, routes);
    }

    // Links rebuilt after a restore write back what was there: no change of the user's.
    if (sameRouting (before, routes))
        return false;

    if (isEdit)
        processor->getRouteHistory().record (before);

    clearNotice(); // whatever went wrong before, the routes have changed since
    // The host may mark its project changed.
    processor->updateHostDisplay (
        juce::AudioProcessor::ChangeDetails().withNonParameterStateChanged (true));
    return true;
}

void DemoEditorComponent::rebuildLinksFromMatrix()
{
    inputChannelsBox->breakAllLinks();

    RouteCells routes;
    {
        const juce::ScopedLock lock (processor->getCallbackLock());
        shownRestoreCount = processor->getRestoreCount();
        routes = readMatrix (*processor);
    }

    // Steps made before a restore of the host's would undo into a state the host never saw.
    processor->getRouteHistory().belongTo (shownRestoreCount);

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
    const auto seen = processor->takeActivity();

    if (seen != 0 || ! resting)
        showActivity (seen, juce::Time::getMillisecondCounter());
}

void DemoEditorComponent::showActivity (juce::uint32 seen, juce::uint32 now)
{
    auto lit = false;

    for (int c = 0; c < channels; ++c)
    {
        if (auto* in = inputChannelsBox->findOutputConnector (c))
        {
            in->showActivity ((seen >> c) & 1, now);
            lit = lit || in->getActivity() > 0.0f;
        }
        if (auto* out = outputChannelsBox->findInputConnector (c))
        {
            out->showActivity ((seen >> (Switchyard::outputActivityShift + c)) & 1, now);
            lit = lit || out->getActivity() > 0.0f;
        }
    }

    setResting (! lit && painted);
}

void DemoEditorComponent::setResting (bool shouldRest)
{
    if (shouldRest == resting && isTimerRunning())
        return;

    resting = shouldRest;
    processor->setEditorResting (resting);
    startTimerHz (resting ? canvas::restingPollsPerSecond : canvas::activityFramesPerSecond);
}

void DemoEditorComponent::buttonClicked (juce::Button*)
{
}

void DemoEditorComponent::buttonStateChanged (juce::Button*)
{
}
