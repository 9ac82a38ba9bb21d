// The adapter's editor hosting around a processor that records its editors: the editor opcodes'
// states, the deletion order, the calls to the host and the freeing of handed-out chunks, with the
// clock under the test's control. Runs on a private X server, since effEditOpen gives the editor a
// window.

#include "MessagePump.h"
#include "StubProcessor.h"

#include "host/EditorCompWrapper.h"
#include "host/JuceVSTWrapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// The test's clock, for the adapter to read.
juce::uint32 now = 0;

// The test host: records the calls the plug-in makes, and answers the window questions as told.
struct HostCall
{
    int opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    std::string text;
};
std::vector<HostCall> calls;
vst2::VstIntPtr canSizeWindow = 0, sizesWindow = 0;

// What the host calls back, once, from inside the plug-in's next call of the given opcode.
vst2::VstInt32 callBackDuring = -1;
std::function<void (vst2::AEffect*)> callBack;

vst2::VstIntPtr VSTCALLBACK testHost (vst2::AEffect* effect, vst2::VstInt32 opcode,
                                      vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float)
{
    calls.push_back ({opcode, index, value,
                      opcode == vst2::audioMasterCanDo ? static_cast<const char*> (ptr) : ""});
    if (opcode == callBackDuring)
    {
        callBackDuring = -1;
        callBack (effect);
    }
    switch (opcode)
    {
    case vst2::audioMasterVersion:
        return 2400;
    case vst2::audioMasterCanDo:
        return canSizeWindow;
    case vst2::audioMasterSizeWindow:
        return sizesWindow;
    default:
        return 0;
    }
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
        callBackDuring = -1;
        now = 100000;
        make (true);
    }

    void make (bool givesEditor)
    {
        close();
        EditorHostingEnvironment environment;
        environment.approximateMilliseconds = [] { return now; };
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
    EXPECT_FALSE (EditorHost::reentryGuard);

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
}

// effEditIdle runs the toolkit's due timers within the host's call while an editor is shown, but
// not while an editor is being deleted or the idle work already runs; with no editor shown it
// leaves the message thread alone.
TEST_F (EditorHosting, EditIdleRunsDueTimersOnlyForAShownEditorAndNotUnderTheReentryGuard)
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

    dispatch (vst2::effEditGetRect); // an editor, but in no window
    makeDue();
    dispatch (vst2::effEditIdle);
    EXPECT_EQ (timer.ticks, 0);

    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    const auto hostWindow =
        XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 600, 450, 0, 0, 0);
    XSync (display, False);
    ASSERT_EQ (dispatch (vst2::effEditOpen, (void*) hostWindow), 1);
    {
        const EditorHost::ScopedReentryGuard guard;
        makeDue();
        dispatch (vst2::effEditIdle); // does nothing
        EXPECT_EQ (timer.ticks, 0);
    }
    EXPECT_FALSE (EditorHost::reentryGuard);

    // Nothing else delivers the toolkit's messages on this thread: the ticks come from the calls.
    const auto end = juce::Time::getMillisecondCounter() + 2000;
    while (timer.ticks == 0 && juce::Time::getMillisecondCounter() < end)
    {
        dispatch (vst2::effEditIdle);
        juce::Thread::sleep (2);
    }
    EXPECT_GE (timer.ticks, 1);
    timer.stopTimer();
    dispatch (vst2::effEditClose);
    XDestroyWindow (display, hostWindow);
    XCloseDisplay (display);
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

    // Not while an editor is being deleted or the idle work runs.
    effect->dispatcher (effect, vst2::effGetChunk, 0, 0, &data, 0.0f);
    now += 5000;
    {
        const EditorHost::ScopedReentryGuard guard;
        adapter->timerCallback();
    }
    EXPECT_EQ (adapter->getHandedOutStateSize(), 256u);
    adapter->timerCallback();
    EXPECT_EQ (adapter->getHandedOutStateSize(), 0u);
}

// Nothing done on the message thread calls the host: an editor that changes size has the host
// asked to resize at the host's next effEditIdle, on the host's thread, once.
TEST_F (EditorHosting, EditorThatChangesSizeAsksTheHostToResizeFirstAtTheNextIdle)
{
    dispatch (vst2::effEditGetRect);
    auto* editor = processor->getActiveEditor();

    canSizeWindow = 1;
    sizesWindow = 1;
    calls.clear();
    editor->setSize (640, 480);
    adapter->timerCallback();
    pumpMessages();
    EXPECT_TRUE (calls.empty());
    EXPECT_EQ (wrapper()->getBounds(), juce::Rectangle<int> (0, 0, 640, 480));

    dispatch (vst2::effEditIdle);
    ASSERT_EQ (calls.size(), 2u);
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterCanDo);
    EXPECT_EQ (calls[0].text, "sizeWindow");
    EXPECT_EQ (calls[1].opcode, vst2::audioMasterSizeWindow);
    EXPECT_EQ (std::make_pair (calls[1].index, calls[1].value),
               std::make_pair (640, (vst2::VstIntPtr) 480));
    dispatch (vst2::effEditIdle);
    EXPECT_EQ (calls.size(), 2u); // asked once

    // A host that cannot resize is not asked to.
    canSizeWindow = 0;
    calls.clear();
    editor->setBounds (10, 20, 500, 400);
    dispatch (vst2::effEditIdle);
    ASSERT_EQ (calls.size(), 1u);
    EXPECT_EQ (calls[0].opcode, vst2::audioMasterCanDo);
    EXPECT_EQ (editor->getPosition(), juce::Point<int>());
    vst2::ERect* rect = nullptr;
    dispatch (vst2::effEditGetRect, &rect);
    EXPECT_EQ (std::vector<int> ({rect->bottom, rect->right}), std::vector<int> ({400, 500}));

    // A window that reads back empty (its host window gone) is no size for the editor.
    wrapper()->setSize (0, 0);
    dispatch (vst2::effEditGetRect, &rect);
    EXPECT_EQ (std::vector<int> ({rect->bottom, rect->right}), std::vector<int> ({400, 500}));
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 500, 400));
}

// Any call the plug-in makes to the host may come back in, from a host that closes, reopens or
// restores the instance from inside it. The instance stays whole until the host's outermost call
// returns, asks nothing more of the host once closed, and is deleted then, editor first.
TEST_F (EditorHosting, HostCallingBackFromInsideEachCallbackFindsTheInstanceWhole)
{
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    const auto window = [display]
    { return XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 600, 450, 0, 0, 0); };
    const auto hostWindow = window(), secondWindow = window();
    XSync (display, False);

    const auto stateEdited = [this]
    {
        processor->updateHostDisplay (
            juce::AudioProcessor::ChangeDetails().withNonParameterStateChanged (true));
    };
    const auto resizeEditor = [this] { processor->getActiveEditor()->setSize (640, 480); };
    struct Callback
    {
        const char* name;
        vst2::VstInt32 opcode;
        std::function<void()> prepare, trigger;
    };
    const Callback callbacks[] = {
        {"updateDisplay in effEditIdle", vst2::audioMasterUpdateDisplay, stateEdited,
         [this] { dispatch (vst2::effEditIdle); }},
        {"updateDisplay in effEditClose", vst2::audioMasterUpdateDisplay, stateEdited,
         [this] { dispatch (vst2::effEditClose); }},
        {"canDo in effEditIdle", vst2::audioMasterCanDo, resizeEditor,
         [this] { dispatch (vst2::effEditIdle); }},
        {"sizeWindow in effEditIdle", vst2::audioMasterSizeWindow, resizeEditor,
         [this] { dispatch (vst2::effEditIdle); }},
        {"wantMidi in effMainsChanged", vst2::audioMasterWantMidi, [] {},
         [this] { effect->dispatcher (effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f); }},
        {"processEvents in processReplacing", vst2::audioMasterProcessEvents,
         [this]
         {
             vst2::VstMidiEvent note{};
             note.type = vst2::kVstMidiType;
             note.byteSize = sizeof (note);
             note.midiData[0] = (char) 0x90;
             note.midiData[1] = 60;
             note.midiData[2] = 100;
             vst2::VstEvents list{};
             list.numEvents = 1;
             list.events[0] = reinterpret_cast<vst2::VstEvent*> (&note);
             effect->dispatcher (effect, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
             dispatch (vst2::effProcessEvents, &list);
         },
         [this]
         {
             std::vector<float> left (64), right (64);
             float* channels[] = {left.data(), right.data()};
             effect->processReplacing (effect, channels, channels, 64);
         }},
    };

    std::vector<char> state (256, 1);
    const std::pair<const char*, std::function<void (vst2::AEffect*)>> nestedCalls[] = {
        {"effClose",
         [&] (vst2::AEffect* e)
         {
             EXPECT_EQ (e->dispatcher (e, vst2::effClose, 0, 0, nullptr, 0.0f), 1);
             EXPECT_EQ (std::count (lifeEvents.begin(), lifeEvents.end(), "processor deleted"), 0);
             calls.clear();
         }},
        {"effEditClose",
         [] (vst2::AEffect* e) { e->dispatcher (e, vst2::effEditClose, 0, 0, nullptr, 0.0f); }},
        {"effEditOpen", [&] (vst2::AEffect* e)
         { e->dispatcher (e, vst2::effEditOpen, 0, 0, (void*) secondWindow, 0.0f); }},
        {"effSetChunk", [&] (vst2::AEffect* e)
         { e->dispatcher (e, vst2::effSetChunk, 0, 256, state.data(), 0.0f); }},
    };

    for (const auto& callback : callbacks)
    {
        for (const auto& [nestedName, nested] : nestedCalls)
        {
            SCOPED_TRACE (std::string (callback.name) + ", then " + nestedName);
            make (true);
            canSizeWindow = 1;
            ASSERT_EQ (dispatch (vst2::effEditOpen, (void*) hostWindow), 1);
            callback.prepare();
            calls.clear();
            lifeEvents.clear();
            callBackDuring = callback.opcode;
            callBack = nested;
            callback.trigger();
            EXPECT_EQ (callBackDuring, -1) << "the plug-in never made the callback";

            if (std::string (nestedName) == "effClose")
            {
                EXPECT_TRUE (calls.empty()) << "asked the host after it was closed";
                const std::vector<std::string> deleted ({"editor deleted", "processor deleted"});
                EXPECT_EQ (std::vector<std::string> (lifeEvents.end() -
                                                         std::min<size_t> (lifeEvents.size(), 2),
                                                     lifeEvents.end()),
                           deleted);
                effect = nullptr;
                continue;
            }

            // The instance goes on as before.
            vst2::ERect* rect = nullptr;
            dispatch (vst2::effEditGetRect, &rect);
            ASSERT_NE (rect, nullptr);
            EXPECT_GT (rect->right, 0);
            close();
            EXPECT_EQ (lifeEvents.back(), "processor deleted");
        }
    }

    XDestroyWindow (display, hostWindow);
    XDestroyWindow (display, secondWindow);
    XCloseDisplay (display);
}
