#include "plugin/QuennellFilterBase.h"

namespace
{
constexpr int maxProgramNameLength = 32;

void appendInt32 (juce::MemoryBlock& block, int value)
{
    const auto bits = juce::ByteOrder::swapIfBigEndian ((juce::uint32) value);
    block.append (&bits, sizeof (bits));
}

/** Reads the default state format without ever looking past the end of the data. */
class StateReader
{
public:
    StateReader (const void* data, int size)
        : bytes (static_cast<const char*> (data)),
          remaining (data != nullptr ? juce::jmax (0, size) : 0)
    {
    }

    bool readInt32 (int& value)
    {
        if (remaining < 4)
            return false;

        value = (int) juce::ByteOrder::littleEndianInt (bytes);
        skip (4);
        return true;
    }

    bool readName (juce::String& name)
    {
        auto* end = static_cast<const char*> (std::memchr (bytes, 0, (size_t) remaining));

        if (end == nullptr)
            return false;

        name = juce::String::fromUTF8 (bytes, (int) (end - bytes));
        skip ((int) (end - bytes) + 1);
        return true;
    }

    bool readBlock (int size, juce::MemoryBlock& block)
    {
        if (size < 0 || size > remaining)
            return false;

        block.replaceAll (bytes, (size_t) size);
        skip (size);
        return true;
    }

private:
    void skip (int n)
    {
        bytes += n;
        remaining -= n;
    }

    const char* bytes;
    int remaining;
};
} // namespace

QuennellFilterBase::QuennellFilterBase (const BusesProperties& buses)
    : juce::AudioProcessor (buses), parameterManager (new PluginParameterManager (this))
{
}

QuennellFilterBase::~QuennellFilterBase()
{
    delete parameterManager;
    programs.clear(); // last entry first
}

int QuennellFilterBase::getNumParameters()
{
    return parameterManager->getNumParameters();
}

const juce::String QuennellFilterBase::getParameterName (int parameterIndex)
{
    return parameterManager->getParameterName (parameterIndex);
}

float QuennellFilterBase::getParameter (int parameterIndex)
{
    return parameterManager->getParameter (parameterIndex);
}

const juce::String QuennellFilterBase::getParameterText (int parameterIndex)
{
    return parameterManager->getParameterText (parameterIndex);
}

void QuennellFilterBase::setParameter (int parameterIndex, float newValue)
{
    parameterManager->setParameter (parameterIndex, newValue);
}

void QuennellFilterBase::notifyHostOfParameter (int parameterIndex, float normalisedValue)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    setParameterNotifyingHost (parameterIndex, normalisedValue);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

int QuennellFilterBase::getNumPrograms()
{
    return programs.size();
}

int QuennellFilterBase::getCurrentProgram()
{
    return currentProgram;
}

FilterProgram* QuennellFilterBase::findProgram (int index) const
{
    return juce::isPositiveAndBelow (index, programs.size()) ? programs.getUnchecked (index)
                                                             : nullptr;
}

void QuennellFilterBase::saveCurrentProgram()
{
    if (auto* program = findProgram (currentProgram))
    {
        program->parameterValues.reset();
        parameterManager->writeParameterValues (program->parameterValues);
    }
}

void QuennellFilterBase::setCurrentProgram (int index)
{
    if (index >= programs.size() || index == currentProgram)
        return;

    saveCurrentProgram();

    if (auto* program = findProgram (index))
    {
        parameterManager->readParameterValues (program->parameterValues.getData(),
                                               (int) program->parameterValues.getSize());
        currentProgram = index;
    }
}

const juce::String QuennellFilterBase::getProgramName (int index)
{
    auto* program = findProgram (index);
    return program != nullptr ? program->name : juce::String (unknownProgram);
}

void QuennellFilterBase::changeProgramName (int index, const juce::String& newName)
{
    if (auto* program = findProgram (index))
        program->name = newName;
}

void QuennellFilterBase::getStateInformation (juce::MemoryBlock& destData)
{
    saveCurrentProgram();
    appendInt32 (destData, programs.size());

    for (auto* program : programs)
    {
        // A named String, so that its UTF-8 bytes outlive the append.
        const auto name = program->name.substring (0, maxProgramNameLength);
        destData.append (name.toRawUTF8(), name.getNumBytesAsUTF8() + 1); // with its terminating zero
        appendInt32 (destData, (int) program->parameterValues.getSize());
        destData.append (program->parameterValues.getData(), program->parameterValues.getSize());
    }
}

void QuennellFilterBase::setStateInformation (const void* data, int sizeInBytes)
{
    programs.clear();

    StateReader reader (data, sizeInBytes);
    int count = 0;

    if (reader.readInt32 (count))
    {
        for (int i = 0; i < count; ++i)
        {
            auto program = std::make_unique<FilterProgram>();
            int size = 0;

            if (! (reader.readName (program->name) && reader.readInt32 (size) &&
                   reader.readBlock (size, program->parameterValues)))
                break;

            programs.add (program.release());
        }
    }

    if (auto* program = findProgram (currentProgram))
        parameterManager->readParameterValues (program->parameterValues.getData(),
                                               (int) program->parameterValues.getSize());
}
