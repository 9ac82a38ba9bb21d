#pragma once

#include <juce_events/juce_events.h>

/** Counts the change messages a broadcaster delivers while the counter listens. */
class ChangeCounter : public juce::ChangeListener
{
public:
    explicit ChangeCounter (juce::ChangeBroadcaster& b) : broadcaster (b)
    {
        broadcaster.addChangeListener (this);
    }

    ~ChangeCounter() override { broadcaster.removeChangeListener (this); }

    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }

    int count = 0;

private:
    juce::ChangeBroadcaster& broadcaster;
};
