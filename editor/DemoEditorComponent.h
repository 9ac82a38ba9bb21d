#pragma once

#include "editor/CVisualGraphObject.h"
#include "plugin/Switchyard.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

/** The plug-in's editor: a fixed patch canvas with a box of sixteen input-channel connectors on
    the left and a box of sixteen output-channel connectors on the right. A link from left
    connector i to right connector j stands for matrix cell (i, j). Every change of the links
    rewrites the whole matrix; every restore of the processor's state rebuilds every link.

    Every change of the routes made here can be undone and redone, for as long as the processor
    lives and the host restores no state. The routes can be copied and pasted as text ("1:4,10
    2:2"), a paste replacing them all. The boxes' menus and the usual keys do both. */
class DemoEditorComponent : public juce::AudioProcessorEditor,
                            public juce::ChangeListener,
                            public juce::Button::Listener,
                            private CVisualGraphObject::MenuItems,
                            private juce::Timer
{
public:
    explicit DemoEditorComponent (Switchyard* processor);
    ~DemoEditorComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void changeListenerCallback (juce::ChangeBroadcaster* objectThatHasChanged) override;

    bool keyPressed (const juce::KeyPress& key) override;

    void undo();
    void redo();
    void copyRoutes();
    /** Replaces the routes with those the clipboard's text names, or the text's; text that names
        none changes nothing and the bottom line says why. */
    void pasteRoutes();
    void pasteRoutes (const juce::String& text);
    void linkEachChannelToItself();
    /** What the bottom line says in place of the title, after a paste that failed; or nothing. */
    juce::String getNotice() const;

    void buttonClicked (juce::Button*) override;
    void buttonStateChanged (juce::Button*) override;

    /** Lights the connectors of the channels in seen (as the processor's takeActivity gives
        them) at now, in milliseconds, and fades the others. */
    void showActivity (juce::uint32 seen, juce::uint32 now);

private:
    using Cells = RoutesText::Cells;

    void timerCallback() override;
    /** Looks for MIDI a few times a second while no light is lit, and animates while one is; the
        processor hears which, for the host's idle calls. */
    void setResting (bool shouldRest);

    void addMenuItems (juce::PopupMenu& menu) override;
    void menuItemChosen (int itemId) override;

    void writeLinksToMatrix();
    /** Sets the matrix to routes unless a restore the canvas does not show yet is waiting, keeps
        the routes it replaced for undo when it is the user's edit, and tells the host. Answers
        whether the routes changed. */
    bool writeRoutes (const Cells& routes, bool isEdit);
    /** The routes of the matrix, or none while a restore the canvas does not show yet waits. */
    std::optional<Cells> readShownRoutes() const;
    /** An edit of all the routes at once, made after any link edit still on its way has been
        written: the links show it once it is made. */
    void editRoutes (const Cells& routes);
    void stepThroughHistory (std::optional<Cells> (RouteHistory::*step) (const Cells&));
    void rebuildLinksFromMatrix();
    bool cancelLooseLinks();
    void showNotice (const juce::String& text);
    void clearNotice();
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
    bool resting = false;
    bool painted = false;
    bool noticeShown = false;

    /** Ends the notice a few seconds after it was shown; stopped with the editor. */
    struct NoticeExpiry : juce::Timer
    {
        explicit NoticeExpiry (DemoEditorComponent& e) : editor (e) {}
        void timerCallback() override { editor.clearNotice(); }
        DemoEditorComponent& editor;
    } noticeExpiry{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DemoEditorComponent)
};
