#include "plugin/PluginParameterManager.h"

#include "plugin/QuennellFilterBase.h"

PluginParameterManager::PluginParameterManager (QuennellFilterBase* owner) : ownerFilter (owner)
{
}

PluginParameterManager::~PluginParameterManager() = default;

void PluginParameterManager::addParameter (float* value, const juce::String& name, float minimum,
                                           float maximum)
{
    parameters.add (new ParameterInfo{value, name, minimum, maximum});
}

int PluginParameterManager::getNumParameters() const
{
    return parameters.size();
}

const PluginParameterManager::ParameterInfo* PluginParameterManager::find (int index) const
{
    return juce::isPositiveAndBelow (index, parameters.size()) ? parameters.getUnchecked (index)
                                                               : nullptr;
}

float PluginParameterManager::normalise (const ParameterInfo& info, float rawValue)
{
    return (rawValue - info.minimum) / (info.maximum - info.minimum);
}

float PluginParameterManager::getParameter (int index) const
{
    auto* info = find (index);
    return info != nullptr ? normalise (*info, *info->value) : 0.0f;
}

float PluginParameterManager::getParameterValue (int index) const
{
    auto* info = find (index);
    return info != nullptr ? *info->value : 0.0f;
}

juce::String PluginParameterManager::getParameterName (int index) const
{
    auto* info = find (index);
    return info != nullptr ? info->name : juce::String (unknownParameter);
}

juce::String PluginParameterManager::getParameterText (int index) const
{
    auto* info = find (index);

    if (info == nullptr)
        return unknownParameter;

    char text[32];
    std::snprintf (text, sizeof (text), "%.9g", (double) *info->value);
    return text;
}

void PluginParameterManager::setParameter (int index, float newValue)
{
    if (auto* info = find (index))
    {
        *info->value = info->minimum + (info->maximum - info->minimum) * newValue;
        sendChangeMessage();
    }
}

void PluginParameterManager::setParameterValue (int index, float rawValue)
{
    if (auto* info = find (index))
    {
        *info->value = rawValue;
        sendChangeMessage();
        ownerFilter->notifyHostOfParameter (index, normalise (*info, rawValue));
    }
}

void PluginParameterManager::writeParameterValues (juce::MemoryBlock& destData) const
{
    for (auto* info : parameters)
    {
        juce::uint32 bits;
        std::memcpy (&bits, info->value, sizeof (bits));
        bits = juce::ByteOrder::swapIfBigEndian (bits);
        destData.append (&bits, sizeof (bits));
    }
}

void PluginParameterManager::readParameterValues (const void* data, int sizeInBytes)
{
    auto* bytes = static_cast<const juce::uint8*> (data);

    for (int i = 0; i < parameters.size() && (i + 1) * 4 <= sizeInBytes; ++i)
    {
        const auto bits = juce::ByteOrder::littleEndianInt (bytes + i * 4);
        float value;
        std::memcpy (&value, &bits, sizeof (value));
        setParameterValue (i, value);
    }

    sendChangeMessage();
}
