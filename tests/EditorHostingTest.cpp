// The adapter's editor hosting around a processor that records its editors: the editor opcodes'
// states, the deletion order, the idle requests and the freeing of handed-out chunks, with the
// clocks and the mouse buttons under the test's control. Runs on a private X server, since
// effEditOpen gives the editor a window.

#include "MessagePump.h"
#include "StubProcessor.h"

#include "host/EditorCompWrapper.h"
#include "host/JuceVSTWrapper.h"

#include <gtest/gtest.h>

// Last: Xlib defines macros that clash with names in the headers above.
#include <X11/Xlib.h>

namespace
{
std::vector<std::string> lifeEvents;

class RecordedEditor : public juce::AudioProcessorEditor
{
public:
    explicit RecordedEditor (juce::AudioProcessor& p) : juce::AudioProcessorEditor (p)
    {
        setSize (600, 450);
    }
    ~RecordedEditor() override { lifeEvents.push_back ("editor deleted"); }
};

class EditorProcessor : public StubProcessor
{
public:
    explicit EditorProcessor (bool givesEditor) : givesEditor (givesEditor) {}
    ~EditorProcessor() override { lifeEvents.push_back ("processor deleted"); }

    const bool givesEditor;
    int editorsMade = 0;

    juce::AudioProcessorEditor* createEditor() override
    {
        if (! givesEditor)
            return nullptr;
        ++editorsMade;
        return new RecordedEditor (*this);
    }
    bool hasEditor() const override { return givesEditor; }
    void getStateInformation (juce::MemoryBlock& block) override { block.setSize (256, true); }
};

// The test's clock and mouse, for the adapter to read.
juce::uint32 now = 0;
bool buttonHeld = false;

// The test host: records the calls the plug-in makes, answers the window questions as told, and
// may act from inside audioMasterIdle.
struct HostCall
{
    int opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    std::string text;
};
std::vector<HostCall> calls;
vst2::VstIntPtr canSizeWindow = 0, sizesWindow = 0;
std::function<void()> duringIdle;

vst2::VstIntPtr VSTCALLBACK testHost (vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                      vst2::VstIntPtr value, void* ptr, float)
{
    calls.push_back ({opcode, index, value,
                      opcode == vst2::audioMasterCanDo ? static_cast<const char*> (ptr) : ""});
    switch (opcode)
    {
    case vst2::audioMasterVersion:
        return 2400;
    case vst2::audioMasterCanDo:
        return canSizeWindow;
    case vst2::audioMasterSizeWindow:
        return sizesWindow;
    case vst2::audioMasterIdle:
        if (duringIdle)
            duringIdle();
        return 0;
    default:
        return 0;
    }
}

int idleCalls()
{
    return (int) std::count_if (calls.begin(), calls.end(),
                                [] (const HostCall& c)
                                { return c.opcode == vst2::audioMasterIdle; });
}

class EditorHosting : public ::testing::Test
{
protected:
    EditorProcessor* processor = nullptr;
    JuceVSTWrapper* adapter = nullptr;
    vst2::AEffect* effect = nullptr;

    void SetUp() override
    {
        lifeEvents.clear();
        calls.clear();
        canSizeWindow = sizesWindow = 0;
        duringIdle = nullptr;
        now = 100000;
        buttonHeld = false;
        JuceVSTWrapper::lastHostIdleTime = 0;
        make (true);
    }

    void make (bool givesEditor, bool messageThreadIsTheHosts = true)
    {
        close();
        EditorHostingEnvironment environment;
        environment.milliseconds = [] { return now; };
        environment.approximateMilliseconds = [] { return now; };
        environment.mouseButtonDown = [] { return buttonHeld; };
        environment.messageThreadIsTheHosts = messageThreadIsTheHosts;
        processor = new EditorProcessor (givesEditor);
        adapter = new JuceVSTWrapper (testHost, std::unique_ptr<juce::AudioProcessor> (processor),
                                      environment);
        effect = adapter->getAeffect();
        dispatch (vst2::effOpen);
    }

    void close()
    {
        if (effect != nullptr)
            dispatch (vst2::effClose);
        effect = nullptr;
    }

    void TearDown() override
    {
        close();
        pumpMessages();
    }

    vst2::VstIntPtr dispatch (vst2::VstInt32 opcode, void* ptr = nullptr)
    {
        return effect->dispatcher (effect, opcode, 0, 0, ptr, 0.0f);
    }

    EditorCompWrapper* wrapper() const
    {
        auto* editor = processor->getActiveEditor();
        return editor != nullptr ? dynamic_cast<EditorCompWrapper*> (editor->getParentComponent())
                                 : nullptr;
    }
};
} // namespace

TEST_F (EditorHosting, SizeQueryMakesOneHiddenEditorAndAnswersItsSize)
{
    vst2::ERect* rect = nullptr;
    const auto answer = dispatch (vst2::effEditGetRect, &rect);
    ASSERT_NE (rect, nullptr);
    EXPECT_EQ (answer, (vst2::VstIntPtr) rect);
    EXPECT_EQ (std::vector<int> ({rect->top, rect->left, rect->bottom, rect->right}),
               std::vector<int> ({0, 0, 450, 600}));
    ASSERT_NE (wrapper(), nullptr);
    EXPECT_FALSE (wrapper()->isOnDesktop());
    EXPECT_EQ (wrapper()->getNumChildComponents(), 1);

    dispatch (vst2::effEditGetRect, &rect);
    EXPECT_EQ (processor->editorsMade, 1);

    // A processor without an editor: nothing made, the host's pointer left alone, and 0.
    make (false);
    vst2::ERect untouched{};
    rect = &untouched;
    EXPECT_EQ (dispatch (vst2::effEditGetRect, &rect), 0);
    EXPECT_EQ (rect, &untouched);
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    EXPECT_EQ (dispatch (vst2::effEditOpen, (void*) DefaultRootWindow (display)), 0);
    XCloseDisplay (display);
}

TEST_F (EditorHosting, OpenReplacesTheSizeQuerysEditorAndCloseDeletesIt)
{
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    const auto hostWindow =
        XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 600, 450, 0, 0, 0);
    XSync (display, False);

    vst2::ERect* rect = nullptr;
    dispatch (vst2::effEditGetRect, &rect);
    EXPECT_EQ (dispatch (vst2::effEditOpen, (void*) hostWindow), 1);
    EXPECT_EQ (processor->editorsMade, 2);
    EXPECT_EQ (lifeEvents, std::vector<std::string> ({"editor deleted"}));
    ASSERT_NE (wrapper(), nullptr);
    EXPECT_TRUE (wrapper()->isOnDesktop());
    EXPECT_TRUE (wrapper()->isVisible());

    EXPECT_EQ (dispatch (vst2::effEditClose), 0);
    EXPECT_EQ (processor->getActiveEditor(), nullptr);
    EXPECT_EQ (lifeEvents.size(), 2u);
    EXPECT_EQ (dispatch (vst2::effEditClose), 0); // nothing left to close
    EXPECT_EQ (lifeEvents.size(), 2u);
    EXPECT_FALSE (JuceVSTWrapper::reentryGuard);

    // No window to open in: nothing is made, and the host hears so.
    EXPECT_EQ (dispatch (vst2::effEditOpen, nullptr), 0);
    EXPECT_EQ (processor->editorsMade, 2);

    XDestroyWindow (display, hostWindow);
    XCloseDisplay (display);
}

TEST_F (EditorHosting, ClosingThePlugInDeletesTheEditorBeforeTheProcessor)
{
    dispatch (vst2::effEditGetRect);
    close();
    EXPECT_EQ (lifeEvents, std::vector<std::string> ({"editor deleted", "processor deleted"}));
}

TEST_F (EditorHosting, HostIsAskedForIdleOnlyWithAButtonHeldAndAtMostEvery20Ms)
{
    struct Tick
    {
        juce::uint32 time;
        bool held;
        int idleCallsAfter;
    };
    const Tick ticks[] = {
        {100000, false, 0}, {100500, false, 0},                    // no button: never
        {100600, true, 1},  {100610, true, 1},  {100620, true, 1}, // 20 ms is not more than 20
        {100621, true, 2},  {100641, false, 2}, {100700, true, 3},
    };

    // Without an editor the host is never asked.
    buttonHeld = true;
    adapter->timerCallback();
    EXPECT_EQ (idleCalls(), 0);

    dispatch (vst2::effEditGetRect);
    for (const auto& tick : ticks)
    {
        now = tick.time;
        buttonHeld = tick.held;
        adapter->timerCallback();
        EXPECT_EQ (idleCalls(), tick.idleCallsAfter) << "at " << tick.time;
    }
}

TEST_F (EditorHosting, EveryRepaintOfTheEditorAsksForIdleOnceDelivered)
{
    dispatch (vst2::effEditGetRect);
    buttonHeld = true;
    wrapper()->createComponentSnapshot (wrapper()->getLocalBounds());
    wrapper()->createComponentSnapshot (wrapper()->getLocalBounds());
    EXPECT_EQ (idleCalls(), 0); // asynchronous
    pumpMessages();
    EXPECT_EQ (idleCalls(), 1); // the two repaints' requests folded into one

    buttonHeld = false;
    now += 1000;
    wrapper()->createComponentSnapshot (wrapper()->getLocalBounds());
    pumpMessages();
    EXPECT_EQ (idleCalls(), 1);
}

// An hour of the instance's life with the editor never opened, on the test's clock: a host that
// saves every minute and restores now and then leaves nothing behind but the latest answer.
TEST_F (EditorHosting, AnHourOfSavesAndRestoresWithTheEditorClosedKeepsNothing)
{
    size_t mostKept = 0;
    std::vector<char> restored (256, 0);

    for (int tick = 0; tick < 60 * 60 * 4; ++tick) // every 250 ms
    {
        now += JuceVSTWrapper::timerIntervalMs;
        void* data = nullptr;

        if (tick % (60 * 4) == 0)
        {
            ASSERT_EQ (effect->dispatcher (effect, vst2::effGetChunk, 0, 0, &data, 0.0f), 256);
        }
        if (tick % (10 * 60 * 4) == 7)
            effect->dispatcher (effect, vst2::effSetChunk, 0, 256, restored.data(), 0.0f);

        adapter->timerCallback();
        mostKept = std::max (mostKept, adapter->getHandedOutStateSize());
    }

    EXPECT_EQ (mostKept, 256u);
    EXPECT_EQ (adapter->getHandedOutStateSize(), 0u);
    EXPECT_EQ (idleCalls(), 0);
}

// effEditIdle runs the toolkit's due timers within the host's call, but not when the host calls
// it back from audioMasterIdle.
TEST_F (EditorHosting, EditIdleRunsDueTimersExceptWhenTheHostCallsBackFromIdle)
{
    struct CountingTimer : juce::Timer
    {
        int ticks = 0;
        void timerCallback() override { ++ticks; }
    } timer;
    const auto makeDue = [&]
    {
        timer.startTimer (1);
        juce::Thread::sleep (5);
    };

    dispatch (vst2::effEditGetRect);
    buttonHeld = true;

    int ticksInNestedIdle = -1, nestedIdleCalls = -1;
    duringIdle = [&]
    {
        makeDue();
        dispatch (vst2::effEditIdle); // does nothing
        ticksInNestedIdle = timer.ticks;
        now += 1000;
        adapter->timerCallback(); // asks nothing more while the host is being asked
        nestedIdleCalls = idleCalls();
    };
    adapter->timerCallback();
    duringIdle = nullptr;

    EXPECT_EQ (nestedIdleCalls, 1);
    EXPECT_EQ (ticksInNestedIdle, 0);
    EXPECT_FALSE (JuceVSTWrapper::reentryGuard);

    // Nothing else delivers the toolkit's messages on this thread: the ticks come from the calls.
    const auto end = juce::Time::getMillisecondCounter() + 2000;
    while (timer.ticks == 0 && juce::Time::getMillisecondCounter() < end)
    {
        dispatch (vst2::effEditIdle);
        juce::Thread::sleep (2);
    }
    EXPECT_GE (timer.ticks, 1);
    timer.stopTimer();
}

TEST_F (EditorHosting, HandedOutChunkIsFreedOnlyAfterMoreThan2000Ms)
{
    void* data = nullptr;
    ASSERT_EQ (effect->dispatcher (effect, vst2::effGetChunk, 0, 0, &data, 0.0f), 256);
    const auto handedOut = now;

    const std::pair<juce::uint32, size_t> ticks[] = {
        {0, 256}, {1000, 256}, {2000, 256}, {2001, 0}, {5000, 0}};
    for (auto [after, size] : ticks)
    {
        now = handedOut + after;
        adapter->timerCallback();
        EXPECT_EQ (adapter->getHandedOutStateSize(), size) << after << " ms after";
    }

    // Not while an editor is being deleted or the host is asked for idle time.
    effect->dispatcher (effect, vst2::effGetChunk, 0, 0, &data, 0.0f);
    now += 5000;
    {
        const JuceVSTWrapper::ScopedReentryGuard guard;
        adapter->timerCallback();
    }
    EXPECT_EQ (adapter->getHandedOutStateSize(), 256u);
    adapter->timerCallback();
    EXPECT_EQ (adapter->getHandedOutStateSize(), 0u);
}

TEST_F (EditorHosting, EditorThatChangesSizeAsksTheHostToResizeFirst)
{
    dispatch (vst2::effEditGetRect);
    auto* editor = processor->getActiveEditor();

    canSizeWindow = 1;
    sizesWindow = 1;
    calls.clear();
    editor->setSize (640, 480);
    ASSERT_EQ (calls.size(), 2u);
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterCanDo);
    EXPECT_EQ (calls[0].text, "sizeWindow");
    EXPECT_EQ (calls[1].opcode, vst2::audioMasterSizeWindow);
    EXPECT_EQ (std::make_pair (calls[1].index, calls[1].value),
               std::make_pair (640, (vst2::VstIntPtr) 480));
    EXPECT_EQ (wrapper()->getBounds(), juce::Rectangle<int> (0, 0, 640, 480));

    // A host that cannot resize is not asked to.
    canSizeWindow = 0;
    calls.clear();
    editor->setBounds (10, 20, 500, 400);
    ASSERT_EQ (calls.size(), 1u);
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterCanDo);
    EXPECT_EQ (editor->getPosition(), juce::Point<int>());
    vst2::ERect* rect = nullptr;
    dispatch (vst2::effEditGetRect, &rect);
    EXPECT_EQ (std::vector<int> ({rect->bottom, rect->right}), std::vector<int> ({400, 500}));
}

// Where the message thread is the plug-in's own, nothing done there calls the host: no idle time
// is asked for, and fitting the host's window waits for the host's next effEditIdle.
TEST_F (EditorHosting, MessageThreadOfThePluginsOwnLeavesHostCallsToTheHostsThreads)
{
    make (true, false);
    dispatch (vst2::effEditGetRect);
    canSizeWindow = sizesWindow = 1;
    buttonHeld = true;
    calls.clear();

    now += 1000;
    adapter->timerCallback();
    wrapper()->createComponentSnapshot (wrapper()->getLocalBounds());
    pumpMessages();
    processor->getActiveEditor()->setSize (640, 480);
    EXPECT_TRUE (calls.empty());

    dispatch (vst2::effEditIdle);
    ASSERT_EQ (calls.size(), 2u);
    EXPECT_EQ (calls[1].opcode, vst2::audioMasterSizeWindow);
    EXPECT_EQ (std::make_pair (calls[1].index, calls[1].value),
               std::make_pair (640, (vst2::VstIntPtr) 480));
    dispatch (vst2::effEditIdle);
    EXPECT_EQ (calls.size(), 2u); // asked once
}
