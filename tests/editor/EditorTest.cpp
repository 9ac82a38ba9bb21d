#include "CanvasTestSupport.h"
#include "ChangeCounter.h"
#include "MessagePump.h"

#include "editor/CVisualGraphObject.h"
#include "editor/CVisualGraphObjectConnector_Input.h"
#include "editor/CVisualGraphObjectConnector_Output.h"
#include "editor/CanvasConstants.h"
#include "editor/DemoEditorComponent.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace
{
using Cells = std::multiset<std::pair<int, int>>;

/** Opens and closes editors on one processor as a host adapter does, and finds the canvas
    items the way a user sees them: boxes left and right, connectors next to their labels. */
struct Editor : ::testing::Test
{
    ~Editor() override
    {
        if (editor != nullptr)
            close();
    }

    void open()
    {
        editor.reset (dynamic_cast<DemoEditorComponent*> (processor.createEditorIfNeeded()));
        ASSERT_NE (editor, nullptr);
        editor->setVisible (true);
    }

    void close()
    {
        processor.editorBeingDeleted (editor.get());
        editor.reset();
    }

    CVisualGraphObject* box (bool left) const
    {
        for (auto* child : editor->getChildren())
            if (auto* b = dynamic_cast<CVisualGraphObject*> (child))
                if ((b->getX() < editor->getWidth() / 2) == left)
                    return b;
        return nullptr;
    }

    juce::Label* label (bool left, int channel) const
    {
        for (auto* child : box (left)->getChildren())
            if (auto* l = dynamic_cast<juce::Label*> (child))
                if (l->getText() == juce::String (channel))
                    return l;
        return nullptr;
    }

    juce::Point<int> labelCentre (bool left, int channel) const
    {
        auto* l = label (left, channel);
        return editor->getLocalArea (l, l->getLocalBounds()).getCentre();
    }

    CVisualGraphObjectConnector* connector (bool left, int channel) const
    {
        auto* b = box (left);
        const juce::Point<int> at (left ? b->getRight() + 4 : b->getX() - 4,
                                   labelCentre (left, channel).y);
        return dynamic_cast<CVisualGraphObjectConnector*> (editor->getComponentAt (at));
    }

    static juce::Point<int> centre (juce::Component* c) { return c->getBounds().getCentre(); }

    void drag (juce::Point<int> from, juce::Point<int> to)
    {
        PointerGesture gesture (*editor, from);
        gesture.dragTo ((from + to) / 2);
        gesture.dragTo (to);
        gesture.releaseAt (to);
    }

    void link (int inputChannel, int outputChannel)
    {
        drag (centre (connector (true, inputChannel)), centre (connector (false, outputChannel)));
    }

    Cells routes() const
    {
        Cells cells;
        for (int i = 0; i < 16; ++i)
            for (int j = 0; j < 16; ++j)
                if (processor.getRoute (i, j) != 0)
                    cells.emplace (i, j);
        return cells;
    }

    void restore (std::initializer_list<std::tuple<int, int, juce::uint8>> cells)
    {
        juce::MemoryBlock block (Switchyard::stateSize, true);
        for (auto [row, column, value] : cells)
            block[(size_t) routing::cell (row, column)] = (char) value;
        processor.setStateInformation (block.getData(), (int) block.getSize());
    }

    Switchyard processor;
    std::unique_ptr<DemoEditorComponent> editor;
};
} // namespace

TEST_F (Editor, OpensTheFixedCanvasWithNumberedConnectorsAndTheBottomLine)
{
    EXPECT_TRUE (processor.hasEditor());
    open();
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 600, 450));
    EXPECT_NE (dynamic_cast<juce::LookAndFeel_V2*> (&editor->getLookAndFeel()), nullptr);

    for (bool left : {true, false})
    {
        EXPECT_EQ (box (left)->getBounds(), juce::Rectangle<int> (left ? 10 : 490, 10, 100, 400));
        EXPECT_TRUE (box (left)->positionLocked);

        for (int k = 0; k < 16; ++k)
        {
            SCOPED_TRACE (testing::Message() << (left ? "left " : "right ") << k + 1);
            auto* c = connector (left, k + 1);
            ASSERT_NE (c, nullptr);
            EXPECT_EQ (c->index, k);
            EXPECT_EQ (c->getBounds(), juce::Rectangle<int> (left ? 110 : 482, 18 + 25 * k, 8, 8));
            EXPECT_EQ (dynamic_cast<CVisualGraphObjectConnector_Output*> (c) != nullptr, left);
            EXPECT_EQ (label (left, k + 1)->getBounds(),
                       juce::Rectangle<int> (left ? 70 : 10, 25 * k, 20, 25));
            EXPECT_EQ (label (left, k + 1)->getName(), "ChannelLabel");
            EXPECT_EQ (label (left, k + 1)->getFont().getHeight(), 12.0f);
            EXPECT_EQ (&label (left, k + 1)->getLookAndFeel(), &editor->getLookAndFeel());
        }
    }

    juce::Label* title = nullptr;
    juce::HyperlinkButton* website = nullptr;
    for (auto* child : editor->getChildren())
    {
        title = title != nullptr ? title : dynamic_cast<juce::Label*> (child);
        website = website != nullptr ? website : dynamic_cast<juce::HyperlinkButton*> (child);
    }
    ASSERT_NE (title, nullptr);
    ASSERT_NE (website, nullptr);
    EXPECT_EQ (title->getText(), "Lampwick - MIDI channel router");
    EXPECT_EQ (title->getBounds(), juce::Rectangle<int> (5, 432, 590, 12));
    EXPECT_EQ (title->getFont().getHeight(), 12.0f);
    EXPECT_EQ (website->getButtonText(), "www.quennell-music.example");
    EXPECT_EQ (website->getName(), website->getButtonText());
    EXPECT_EQ (website->getURL().toString (false), "https://www.quennell-music.example/");
    EXPECT_EQ (website->getBounds(), juce::Rectangle<int> (400, 432, 200, 12));
    EXPECT_EQ (website->findColour (juce::HyperlinkButton::textColourId).getARGB(), 0xffbbbbbbu);
    EXPECT_TRUE (linksOn (*editor).empty());
}

TEST_F (Editor, PaintsTheFaceBoxesConnectorsAndLinks)
{
    processor.setRoute (1, 0, 15); // a link from (114, 22) to (486, 397)
    open();
    const auto snapshot = editor->createComponentSnapshot (editor->getLocalBounds());
    const struct
    {
        const char* what;
        int x, y;
        juce::uint32 argb;
    } points[] = {{"face", 300, 100, 0xff777777},        {"left edge", 1, 200, 0xff999999},
                  {"top edge", 300, 4, 0xff999999},      {"rule", 300, 430, 0xff999999},
                  {"rule end", 598, 429, 0xff777777},    {"bottom strip", 300, 446, 0xff222222},
                  {"right edge", 599, 200, 0xff222222},  {"box", 40, 200, 0xffd3d3d3},
                  {"connector 6", 113, 146, 0xff000000}, {"link", 300, 209, 0xff000000}};

    for (const auto& p : points)
        EXPECT_EQ (snapshot.getPixelAt (p.x, p.y).getARGB(), p.argb) << p.what;
}

TEST_F (Editor, OpensWithOneLinkPerNonzeroCellAndWritesThemBackAsOnes)
{
    processor.setRoute (1, 2, 5);
    processor.setRoute (7, 0, 0);
    processor.setRoute (1, 15, 0);
    open();

    EXPECT_EQ (linkedPairs (*editor), (Cells{{2, 5}, {0, 0}, {15, 0}}));
    auto* fromThree = connector (true, 3);
    ASSERT_EQ (fromThree->getLinks().size(), 1u);
    EXPECT_EQ ((*fromThree->getLinks().begin())->getStart(), centre (fromThree));
    EXPECT_EQ ((*fromThree->getLinks().begin())->getEnd(), centre (connector (false, 6)));

    pumpMessages();
    EXPECT_EQ (processor.getRoute (0, 0), 1);
    EXPECT_EQ (routes(), linkedPairs (*editor));
}

TEST_F (Editor, ADragLinksOnlyWhenReleasedOverAnInput)
{
    processor.setRoute (1, 2, 3);
    open();
    auto* from = connector (true, 1);
    auto* to = connector (false, 16);

    PointerGesture click (*editor, centre (from)); // a link follows the pointer; Escape drops it
    click.releaseAt (centre (from));
    EXPECT_EQ (linksOn (*editor).size(), 2u);
    EXPECT_TRUE (editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey))); // the host's
    PointerGesture middle (*editor, centre (from), juce::ModifierKeys::middleButtonModifier);
    middle.dragTo (centre (to));
    middle.releaseAt (centre (to));
    EXPECT_EQ (linksOn (*editor).size(), 1u);

    const std::pair<const char*, juce::Point<int>> refused[] = {
        {"empty canvas", {300, 200}},
        {"outside the editor", {700, 500}},
        {"a box", {40, 200}},
        {"a label", labelCentre (true, 5)},
        {"another output", centre (connector (true, 2))},
        {"the start", centre (from) + juce::Point<int> (1, 1)}};
    for (const auto& [what, where] : refused)
    {
        ChangeCounter changes (*box (true));
        drag (centre (from), where);
        pumpMessages();
        EXPECT_EQ (changes.count, 1) << what;
        EXPECT_EQ (linkedPairs (*editor), (Cells{{2, 3}})) << what;
        EXPECT_EQ (routes(), (Cells{{2, 3}})) << what;
    }

    drag (centre (from), to->getPosition() + juce::Point<int> (1, 6)); // off-centre, inside
    pumpMessages();
    EXPECT_EQ (routes(), (Cells{{2, 3}, {0, 15}}));
    ASSERT_EQ (from->getLinks().size(), 1u);
    EXPECT_EQ ((*from->getLinks().begin())->getStart(), centre (from));
    EXPECT_EQ ((*from->getLinks().begin())->getEnd(), centre (to));
}

TEST_F (Editor, OnlyTheInputUnderTheDraggedArrowIsHighlighted)
{
    open();
    auto isLit = [this] (bool left, int channel) {
        return pixelAt (*connector (left, channel), {4, 4}) == juce::Colours::white;
    };

    PointerGesture gesture (*editor, centre (connector (true, 1)));
    const std::tuple<bool, int, bool> steps[] = {
        {false, 1, true}, {false, 2, true}, {true, 2, false}};
    for (auto [left, channel, lit] : steps)
    {
        gesture.dragTo (centre (connector (left, channel)));
        EXPECT_EQ (isLit (left, channel), lit) << channel;
        EXPECT_FALSE (isLit (false, 1) && channel != 1);
    }
    gesture.releaseAt (centre (connector (false, 2)));

    for (bool left : {true, false})
        for (int channel = 1; channel <= 16; ++channel)
            EXPECT_FALSE (connector (left, channel)->isHighlighted());
    EXPECT_EQ (linkedPairs (*editor), (Cells{{0, 1}}));
}

TEST_F (Editor, BreakLinksRemovesEveryLinkOfTheConnectorAtBothEnds)
{
    open();
    auto* from = connector (true, 1);
    auto* to = connector (false, 16);

    for (auto* breaker : {to, from})
    {
        link (1, 16);
        link (1, 16);
        link (2, 16);
        std::vector<CVisualGraphObjectConnector*> far;
        from->getLinkedConnectors (far);
        EXPECT_EQ (far, (std::vector<CVisualGraphObjectConnector*>{to, to}));
        pumpMessages();
        EXPECT_EQ (routes(), (Cells{{0, 15}, {1, 15}}));

        breaker->handleBreakLinksMenu (0);
        EXPECT_EQ (linksOn (*editor).size(), 3u);
        breaker->handleBreakLinksMenu (1);
        pumpMessages();
        EXPECT_TRUE (from->getLinks().empty());
        const auto expected = breaker == to ? Cells{} : Cells{{1, 15}};
        EXPECT_EQ (routes(), expected);
        box (true)->breakAllLinks();
        pumpMessages();
    }
    EXPECT_EQ (linksOn (*editor).size(), 0u);
}

// A note started through a link that the user then breaks still ends where it started.
TEST_F (Editor, BreakingALinkKeepsTheReleaseOfANoteItStarted)
{
    open();
    link (1, 4);
    pumpMessages();
    const auto play = [this] (juce::MidiMessage message)
    {
        juce::MidiBuffer block;
        block.addEvent (message, 0);
        juce::AudioBuffer<float> audio (2, 0);
        const juce::ScopedLock lock (processor.getCallbackLock());
        processor.processBlock (audio, block);
        std::vector<int> channels;
        for (const auto event : block)
            channels.push_back (event.getMessage().getChannel());
        return channels;
    };

    EXPECT_EQ (play (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)), std::vector<int>{4});
    connector (true, 1)->handleBreakLinksMenu (1);
    link (1, 5);
    pumpMessages();
    EXPECT_EQ (routes(), (Cells{{0, 4}}));
    EXPECT_EQ (play (juce::MidiMessage::noteOff (1, 60)), (std::vector<int>{4, 5}));
}

// A block lights the connectors of the channels it used, inputs on the left and outputs on the
// right, and they fade out over a quarter of a second.
TEST_F (Editor, ConnectorsOfTheChannelsABlockUsedLightAndFade)
{
    restore ({{0, 3, 1}, {0, 9, 1}});
    open();
    juce::MidiBuffer block;
    block.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    block.addEvent (juce::MidiMessage::controllerEvent (5, 7, 90), 3); // no route from 5
    block.addEvent (juce::MidiMessage::midiClock(), 4);                // no channel
    juce::AudioBuffer<float> audio (2, 0);
    processor.processBlock (audio, block);

    using Lit = std::vector<std::pair<bool, int>>;
    const auto lit = [this]
    {
        Lit on;
        for (bool left : {true, false})
            for (int c = 1; c <= 16; ++c)
                if (connector (left, c)->getActivity() > 0.0f)
                    on.emplace_back (left, c);
        return on;
    };

    editor->showActivity (processor.takeActivity(), 1000);
    EXPECT_EQ (lit(), (Lit{{true, 1}, {true, 5}, {false, 4}, {false, 10}}));
    auto* input = connector (true, 1);
    EXPECT_EQ (editor->createComponentSnapshot (input->getBounds()).getPixelAt (0, 0),
               juce::Colour (0xff40e040));

    editor->showActivity (processor.takeActivity(), 1125);
    EXPECT_FLOAT_EQ (input->getActivity(), 0.5f);
    editor->showActivity (processor.takeActivity(), 1250);
    EXPECT_EQ (lit(), Lit{});
}

TEST_F (Editor, BreakAllLinksOnEitherBoxClearsTheMatrix)
{
    const auto menu = CVisualGraphObject::createBreakAllLinksMenu();
    juce::PopupMenu::MenuItemIterator item (menu);
    ASSERT_TRUE (item.next());
    EXPECT_EQ (item.getItem().itemID, 1);
    EXPECT_EQ (item.getItem().text, "Break All Links");
    EXPECT_FALSE (item.next());

    for (bool left : {true, false})
    {
        restore ({{0, 1, 1}, {4, 4, 1}, {15, 0, 3}});
        pumpMessages();
        if (editor == nullptr)
            open();

        box (left)->handleBreakAllLinksMenu (0);
        EXPECT_EQ (linksOn (*editor).size(), 3u);
        box (left)->handleBreakAllLinksMenu (1);
        EXPECT_TRUE (linksOn (*editor).empty());
        pumpMessages();
        EXPECT_EQ (routes(), Cells{}) << (left ? "left" : "right");
    }
}

TEST_F (Editor, ARestoreReplacesTheLinksEvenWhileLinkEditsAreStillPending)
{
    processor.setRoute (1, 1, 1);
    open();
    pumpMessages();

    restore ({{3, 4, 1}, {5, 6, 9}});
    pumpMessages();
    EXPECT_EQ (linkedPairs (*editor), (Cells{{3, 4}, {5, 6}}));
    EXPECT_EQ (routes(), linkedPairs (*editor));
    EXPECT_EQ (processor.getRoute (5, 6), 1);

    link (1, 16);          // the left box's message is still waiting...
    restore ({{7, 8, 1}}); // ...when the host restores a state
    pumpMessages();
    EXPECT_EQ (routes(), (Cells{{7, 8}}));
    EXPECT_EQ (linkedPairs (*editor), routes());
}

TEST_F (Editor, ClosingKeepsTheMatrixAndReopeningShowsTheSameLinks)
{
    open();
    link (1, 16);
    link (3, 5);
    pumpMessages();
    link (2, 2); // still pending when the editor closes: dropped with the box
    close();
    pumpMessages();
    EXPECT_EQ (routes(), (Cells{{0, 15}, {2, 4}}));

    open();
    EXPECT_EQ (linkedPairs (*editor), routes());
    close();

    restore ({{9, 9, 1}}); // reaches no editor
    pumpMessages();
    open();
    EXPECT_EQ (linkedPairs (*editor), (Cells{{9, 9}}));
}

// Every kind of edit is one step back and forth, by menu or key, and the host hears of each; the
// steps outlive the editor, a new edit ends the redo, a restore by the host ends them all, and
// text that names no routes changes nothing and says why.
TEST_F (Editor, UndoAndRedoWalkEveryEditUntilTheHostRestores)
{
    struct HostHears : juce::AudioProcessorListener
    {
        int changes = 0;
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            changes += details.nonParameterStateChanged ? 1 : 0;
        }
    } host;
    processor.addListener (&host);
    restore ({{0, 0, 1}});
    open();
    pumpMessages();

    constexpr auto command = juce::ModifierKeys::commandModifier;
    const auto key = [this] (juce::KeyPress k) { EXPECT_TRUE (editor->keyPressed (k)); };
    const auto undo = [&] { key ({'z', command, 0}); };
    const std::function<void()> edits[] = {
        [&] { link (1, 2); },
        [&] { box (false)->handleBreakAllLinksMenu (canvas::breakMenuItemId); },
        [&] { editor->pasteRoutes ("3:4,5  16: 1"); },
        [&] { box (true)->handleBreakAllLinksMenu (canvas::linkEachToItselfItemId); },
        [&] { connector (true, 3)->handleBreakLinksMenu (canvas::breakMenuItemId); },
    };
    std::vector<Cells> seen{routes()};
    for (const auto& edit : edits)
    {
        edit();
        pumpMessages();
        seen.push_back (routes());
        EXPECT_EQ (linkedPairs (*editor), routes());
    }
    EXPECT_EQ (seen[3], (Cells{{2, 3}, {2, 4}, {15, 0}}));
    EXPECT_EQ (host.changes, 5);

    editor->pasteRoutes ("3:4,17");
    EXPECT_EQ (routes(), seen.back());
    EXPECT_TRUE (editor->getNotice().contains ("'3:4,17'")) << editor->getNotice();
    editor->pasteRoutes (" \n");
    EXPECT_EQ (editor->getNotice(), "Paste Routes: the clipboard holds no routes");

    for (auto step = seen.size() - 1; step-- > 0;)
    {
        if (step % 2 == 0)
            undo();
        else
            box (step % 4 == 1)->handleBreakAllLinksMenu (canvas::undoItemId);
        EXPECT_EQ (routes(), seen[step]) << step;
        EXPECT_EQ (linkedPairs (*editor), routes()) << step;
    }
    undo(); // nothing left to undo
    EXPECT_EQ (routes(), seen[0]);
    EXPECT_EQ (host.changes, 10);
    EXPECT_EQ (editor->getNotice(), ""); // an edit clears it

    close();
    open();
    key ({'y', command, 0});
    key ({'z', command | juce::ModifierKeys::shiftModifier, 0});
    box (false)->handleBreakAllLinksMenu (canvas::redoItemId);
    EXPECT_EQ (routes(), seen[3]);
    link (7, 7);
    pumpMessages();
    key ({'y', command, 0}); // nothing left to redo
    seen[3].emplace (6, 6);
    EXPECT_EQ (routes(), seen[3]);

    restore ({{9, 9, 1}});
    undo(); // the restore is still on its way: it wins
    pumpMessages();
    undo();
    EXPECT_EQ (routes(), (Cells{{9, 9}}));
    EXPECT_EQ (host.changes, 14);
    processor.removeListener (&host);
}
