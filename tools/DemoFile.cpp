#include "DemoFile.h"

namespace
{
constexpr int ticksPerQuarter = 480;

void addNote (juce::MidiMessageSequence& track, int channel, int note, int startTick,
              int lengthTicks, juce::uint8 velocity)
{
    track.addEvent (juce::MidiMessage::noteOn (channel, note, velocity), startTick);
    track.addEvent (juce::MidiMessage::noteOff (channel, note), startTick + lengthTicks);
}
} // namespace

juce::MidiFile DemoFile::create()
{
    juce::MidiMessageSequence conductor;
    conductor.addEvent (juce::MidiMessage::tempoMetaEvent (500000), 0); // 120 beats per minute

    juce::MidiMessageSequence melody, bass, chords, drums;
    const int melodyNotes[] = {72, 74, 76, 77, 79, 77, 76, 74};
    for (int i = 0; i < 8; ++i)
        addNote (melody, 1, melodyNotes[i], i * ticksPerQuarter, ticksPerQuarter / 2, 100);

    const int bassNotes[] = {36, 43, 41, 43};
    for (int i = 0; i < 4; ++i)
        addNote (bass, 2, bassNotes[i], i * 2 * ticksPerQuarter, 2 * ticksPerQuarter - 10, 90);

    chords.addEvent (juce::MidiMessage::programChange (3, 48), 0);
    chords.addEvent (juce::MidiMessage::controllerEvent (3, 7, 100), 0);
    for (int bar = 0; bar < 2; ++bar)
        for (int note : {60, 64, 67})
            addNote (chords, 3, note + bar * 5, bar * 4 * ticksPerQuarter, 4 * ticksPerQuarter - 10,
                     70);

    for (int beat = 0; beat < 8; ++beat)
    {
        addNote (drums, 10, beat % 2 == 0 ? 36 : 38, beat * ticksPerQuarter, 60, 110);
        addNote (drums, 10, 42, beat * ticksPerQuarter + ticksPerQuarter / 2, 60, 80);
    }

    juce::MidiFile file;
    file.setTicksPerQuarterNote (ticksPerQuarter);
    for (auto* track : {&conductor, &melody, &bass, &chords, &drums})
    {
        track->updateMatchedPairs();
        file.addTrack (*track);
    }
    return file;
}
