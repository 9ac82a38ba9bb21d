#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The real-time paths read and write a MidiBuffer's events in the buffer's own layout: in one
    byte array, in position order, each event a 32-bit sample position, a 16-bit byte count, then
    its bytes. MidiBuffer::addEvent searches the buffer from the start for each event's place,
    which makes a block of n events cost O(n^2), and the buffer's iterator is not inlined; these
    few steps are. The tests read every buffer built this way back through the toolkit's own
    iterator. */
class MidiBufferLayout
{
public:
    static constexpr int headerBytes = sizeof (juce::int32) + sizeof (juce::uint16);

    static int positionOf (const juce::uint8* event) noexcept
    {
        return juce::readUnaligned<juce::int32> (event);
    }

    static int numBytesOf (const juce::uint8* event) noexcept
    {
        return juce::readUnaligned<juce::uint16> (event + sizeof (juce::int32));
    }

    static const juce::uint8* bytesOf (const juce::uint8* event) noexcept
    {
        return event + headerBytes;
    }

    static const juce::uint8* next (const juce::uint8* event) noexcept
    {
        return event + headerBytes + numBytesOf (event);
    }

    /** next() for an event known to hold numBytes. Where the caller has branched on the byte
        count, the walk then need not wait for each count to load before it reads on. */
    template <int numBytes> static const juce::uint8* nextAfter (const juce::uint8* event) noexcept
    {
        return event + headerBytes + numBytes;
    }

    /** Writes one event at out, and answers where the next one goes. */
    static juce::uint8* write (juce::uint8* out, int position, const juce::uint8* bytes,
                               int numBytes) noexcept
    {
        juce::writeUnaligned<juce::int32> (out, position);
        juce::writeUnaligned<juce::uint16> (out + sizeof (juce::int32), (juce::uint16) numBytes);
        std::memcpy (out + headerBytes, bytes, (size_t) numBytes);
        return out + headerBytes + numBytes;
    }

    static int countEvents (const juce::MidiBuffer& buffer) noexcept
    {
        int count = 0;
        for (const juce::uint8* e = buffer.data.begin(); e < buffer.data.end(); e = next (e))
            ++count;
        return count;
    }

    /** Where events are laid out before they go into a buffer in one step. Its storage is kept
        from block to block and only grows, so a steady stream of blocks allocates nothing. */
    class Scratch
    {
    public:
        juce::uint8* begin() noexcept { return storage.get(); }

        /** Makes room for numBytes more after end (a place in the scratch), keeping what is
            before it, and answers where end is now. */
        juce::uint8* roomAfter (juce::uint8* end, size_t numBytes)
        {
            const auto used = (size_t) (end - storage.get());

            if (used + numBytes > capacity)
            {
                capacity = juce::jmax (capacity * 2, used + numBytes);
                storage.realloc (capacity);
            }

            return storage.get() + used;
        }

        /** Appends the bytes from the start of the scratch up to end to the buffer. */
        void appendTo (juce::MidiBuffer& buffer, const juce::uint8* end) const
        {
            buffer.data.addArray (storage.get(), (int) (end - storage.get()));
        }

    private:
        juce::HeapBlock<juce::uint8> storage;
        size_t capacity = 0;
    };
};
