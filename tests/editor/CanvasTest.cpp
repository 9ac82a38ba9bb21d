#include "CanvasTestSupport.h"

#include "editor/CVisualGraphObject.h"

#include <gtest/gtest.h>

namespace
{
struct Canvas : ::testing::Test
{
    CVisualGraphObject* addBox (juce::Rectangle<int> bounds)
    {
        auto* box = new CVisualGraphObject();
        canvas.addAndMakeVisible (box);
        box->setBounds (bounds);
        return box;
    }

    static juce::Point<int> offsetOf (CVisualGraphObjectConnector* c, CVisualGraphObject* box)
    {
        return c->getPosition() - box->getPosition();
    }

    TestCanvas canvas;
};
} // namespace

TEST_F (Canvas, ConnectorsAreCentredInEqualSlotsOutsideTheBoxEdges)
{
    struct Case
    {
        int count, width, height;
        std::vector<int> y;
    };
    const Case cases[] = {{16, 100, 400, {}}, {1, 100, 400, {196}}, {3, 100, 100, {12, 46, 79}}};

    for (const auto& c : cases)
    {
        auto* box = addBox ({37, 21, c.width, c.height});
        for (int k = 0; k < c.count; ++k)
        {
            box->addInputConnector (CVisualGraphObject::nextIndex);
            box->addOutputConnector (CVisualGraphObject::nextIndex);
        }

        for (int k = 0; k < c.count; ++k)
        {
            const auto y = c.y.empty() ? 8 + 25 * k : c.y[(size_t) k];
            SCOPED_TRACE (testing::Message() << c.count << " connectors, k = " << k);
            EXPECT_EQ (offsetOf (box->findInputConnector (k), box), juce::Point<int> (-8, y));
            EXPECT_EQ (offsetOf (box->findOutputConnector (k), box), juce::Point<int> (c.width, y));
            EXPECT_EQ (box->findInputConnector (k)->getBounds().getWidth(), 8);
        }
    }
}

TEST_F (Canvas, EveryAddedConnectorAndEveryResizeLaysTheRowOutAgain)
{
    auto* box = addBox ({10, 10, 100, 400});
    auto* first = box->addOutputConnector (0);
    EXPECT_EQ (offsetOf (first, box).y, 196);

    for (int k = 1; k < 16; ++k)
        box->addOutputConnector (k);
    EXPECT_EQ (offsetOf (first, box).y, 8);

    box->setSize (120, 800);
    EXPECT_EQ (offsetOf (first, box), juce::Point<int> (120, 21));
    EXPECT_EQ (offsetOf (box->findOutputConnector (15), box).y, 21 + 50 * 15);
}

TEST_F (Canvas, OnlyAnUnlockedBoxFollowsALeftButtonDragWithItsConnectorsAndLinkEnds)
{
    struct Case
    {
        bool locked;
        juce::ModifierKeys::Flags button;
        juce::Point<int> grip, expectedMove;
    };
    const Case cases[] = {{false, juce::ModifierKeys::leftButtonModifier, {5, 5}, {30, 20}},
                          {false, juce::ModifierKeys::leftButtonModifier, {60, 90}, {30, 20}},
                          {true, juce::ModifierKeys::leftButtonModifier, {5, 5}, {}},
                          {false, juce::ModifierKeys::middleButtonModifier, {5, 5}, {}}};

    for (const auto& c : cases)
    {
        auto* left = addBox ({100, 100, 100, 200});
        auto* right = addBox ({400, 100, 100, 200});
        auto* out = left->addOutputConnector (0);
        auto* in = right->addInputConnector (0);
        PointerGesture link (canvas, out->getBounds().getCentre());
        link.dragTo (in->getBounds().getCentre());
        link.releaseAt (in->getBounds().getCentre());
        left->positionLocked = c.locked;

        const auto start = left->getPosition() + c.grip;
        PointerGesture drag (canvas, start, c.button);
        drag.dragTo (start + juce::Point<int> (10, 5));
        drag.dragTo (start + juce::Point<int> (30, 20));

        SCOPED_TRACE (testing::Message() << "locked " << c.locked << ", grip " << c.grip.x);
        EXPECT_EQ (left->getPosition(), juce::Point<int> (100, 100) + c.expectedMove);
        EXPECT_EQ (offsetOf (out, left), juce::Point<int> (100, 96));
        ASSERT_EQ (linksOn (canvas).size(), 1u);
        EXPECT_EQ (linksOn (canvas)[0]->getStart(), out->getBounds().getCentre());
        EXPECT_EQ (linksOn (canvas)[0]->getEnd(), in->getBounds().getCentre());

        delete linksOn (canvas)[0];
        delete in;
        delete out;
        delete right;
        delete left;
    }
}

TEST_F (Canvas, AnUnlockedBoxCanLeaveItsParentAndDeletesItsOwnChildren)
{
    auto* box = addBox ({10, 10, 100, 100});
    juce::Component::SafePointer<juce::Component> child (new juce::Label());
    box->addAndMakeVisible (child.getComponent());

    PointerGesture drag (canvas, {50, 50});
    drag.dragTo ({-300, 50});
    EXPECT_EQ (box->getX(), -340);

    delete box;
    EXPECT_EQ (child.getComponent(), nullptr);
}

TEST (ConnectionLink, BoundsEncloseTheArrowWithATenPixelMargin)
{
    struct Case
    {
        juce::Point<int> start, end;
        juce::Rectangle<int> bounds;
    };
    const Case cases[] = {{{100, 50}, {100, 50}, {90, 40, 20, 20}},
                          {{114, 22}, {486, 47}, {104, 12, 392, 45}},
                          {{486, 47}, {114, 22}, {104, 12, 392, 45}},
                          {{114, 47}, {486, 22}, {104, 12, 392, 45}}};

    for (const auto& c : cases)
    {
        CVisualGraphObjectConnectionLink link (nullptr);
        EXPECT_TRUE (link.getBounds().isEmpty());
        link.setStart (c.start.x, c.start.y);
        link.setEnd (c.end.x, c.end.y);
        EXPECT_EQ (link.getBounds(), c.bounds);
    }
}

TEST_F (Canvas, LinksDrawWhiteWhileLooseAndBlackOnceAttachedAndPassTheMouseThrough)
{
    auto* box = addBox ({10, 10, 100, 400});
    auto* out = box->addOutputConnector (0);
    auto* in = box->addInputConnector (0);
    auto* link = new CVisualGraphObjectConnectionLink (out);
    canvas.addAndMakeVisible (link);
    link->setStart (114, 22);
    link->setEnd (486, 47);

    // Midway along the arrow, (10, 10) to (382, 35) in the link's own coordinates.
    const juce::Point<int> onArrow (196, 22), offArrow (2, 40);
    EXPECT_EQ (pixelAt (*link, onArrow).getARGB(), 0xffffffffu);
    EXPECT_EQ (pixelAt (*link, offArrow).getAlpha(), 0);

    ASSERT_TRUE (in->acceptLink (link));
    out->addLink (link);
    EXPECT_EQ (pixelAt (*link, onArrow).getARGB(), 0xff000000u);
    EXPECT_EQ (canvas.getComponentAt (juce::Point<int> (106, 25)), box); // under the link's bounds
}
