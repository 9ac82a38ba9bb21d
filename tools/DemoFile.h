#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The project's own small demo song: a melody on channel 1, a bass line on channel 2, chords on
    channel 3 and drums on channel 10, two bars at 120 beats per minute. */
struct DemoFile
{
    static juce::MidiFile create();
};
