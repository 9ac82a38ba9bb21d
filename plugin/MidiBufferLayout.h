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

    /** Writes an event's position and byte count at out, and answers where its bytes go. */
    static juce::uint8* writeHeader (juce::uint8* out, int position, int numBytes) noexcept
    {
        juce::writeUnaligned<juce::int32> (out, position);
        juce::writeUnaligned<juce::uint16> (out + sizeof (juce::int32), (juce::uint16) numBytes);
        return out + headerBytes;
    }

    /** Writes one event at out, and answers where the next one goes. */
    static juce::uint8* write (juce::uint8* out, int position, const juce::uint8* bytes,
                               int numBytes) noexcept
    {
        out = writeHeader (out, position, numBytes);
        std::memcpy (out, bytes, (size_t) numBytes);
        return out + numBytes;
    }

    /** The events from the one at event up to end. */
    static int countEvents (const juce::uint8* event, const juce::uint8* end) noexcept
    {
        int count = 0;
        for (; event < end; event = next (event))
            ++count;
        return count;
    }

    /** Where events are laid out before they go into a buffer in one step. Its storage is kept
        from block to block and only grows, so a steady stream of blocks allocates nothing. */
    class Scratch
    {
    public:
        /** Lays out one run of events in a Scratch, from its start, and then appends them all to
            a buffer. Keeps its place in locals, so writing costs a compare per room asked for. */
        class Writer
        {
        public:
            explicit Writer (Scratch& s) noexcept
                : scratch (s), out (s.storage.get()), limit (out + s.capacity)
            {
            }

            /** Where the next numBytes go: room for them, after what is written so far. */
            juce::uint8* room (size_t numBytes)
            {
                if ((size_t) (limit - out) < numBytes)
                    grow (numBytes);

                return out;
            }

            /** What was written into the room, up to end, is kept. */
            void wrote (juce::uint8* end) noexcept { out = end; }

            /** Appends everything written to the buffer. */
            void appendTo (juce::MidiBuffer& buffer) const
            {
                buffer.data.addArray (scratch.storage.get(), (int) (out - scratch.storage.get()));
            }

        private:
            void grow (size_t numBytes)
            {
                // Into new storage first: if there is none to be had, the exception leaves the
                // scratch as it was.
                const auto used = (size_t) (out - scratch.storage.get());
                const auto capacity = juce::jmax (scratch.capacity * 2, used + numBytes);
                juce::HeapBlock<juce::uint8, true> larger (capacity);

                if (used > 0)
                    std::memcpy (larger.get(), scratch.storage.get(), used);

                scratch.storage.swapWith (larger);
                scratch.capacity = capacity;
                out = scratch.storage.get() + used;
                limit = scratch.storage.get() + capacity;
            }

            Scratch& scratch;
            juce::uint8* out;
            juce::uint8* limit;
        };

        /** Makes room for numBytes from the start, so that blocks of that size never grow it. */
        void reserve (size_t numBytes) { Writer (*this).room (numBytes); }

    private:
        juce::HeapBlock<juce::uint8, true> storage;
        size_t capacity = 0;
    };
};
