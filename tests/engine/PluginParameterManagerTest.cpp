#include "ChangeCounter.h"
#include "MessagePump.h"
#include "TestFilter.h"

#include <gtest/gtest.h>

namespace
{
/** Records what reaches the host side of a processor: every parameter change it reports. */
struct HostRecorder : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        changes.push_back ({index, value});
    }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

    std::vector<std::pair<int, float>> changes;
};

TEST (PluginParameterManager, WithoutParametersEveryIndexAnswersTheFallback)
{
    TestFilter filter;
    auto& manager = filter.manager();
    ChangeCounter changes (manager);

    EXPECT_EQ (manager.getNumParameters(), 0);
    for (int index : {0, -1, 5})
    {
        EXPECT_EQ (manager.getParameterName (index), "Unknown Parameter");
        EXPECT_EQ (manager.getParameterText (index), "Unknown Parameter");
        EXPECT_EQ (manager.getParameter (index), 0.0f);
        EXPECT_EQ (manager.getParameterValue (index), 0.0f);
    }

    manager.setParameter (0, 1.0f);
    manager.setParameterValue (0, 3.0f);
    pumpMessages();
    EXPECT_EQ (changes.count, 0);

    juce::MemoryBlock values;
    manager.writeParameterValues (values);
    EXPECT_EQ (values.getSize(), 0u);

    manager.readParameterValues (nullptr, 0);
    pumpMessages();
    EXPECT_EQ (changes.count, 1);
}

TEST (PluginParameterManager, ConvertsBetweenNormalisedAndRawValues)
{
    TestFilter filter;
    filter.addTestParameters();
    auto& manager = filter.manager();

    manager.setParameter (0, 0.75f);
    EXPECT_FLOAT_EQ (filter.gain, 5.0f);
    EXPECT_FLOAT_EQ (manager.getParameterValue (0), 5.0f);
    EXPECT_FLOAT_EQ (manager.getParameter (0), 0.75f);

    filter.cutoff = 350.0f;
    EXPECT_FLOAT_EQ (manager.getParameter (1), 0.25f);
    EXPECT_EQ (manager.getParameterName (1), "Cutoff");
    EXPECT_EQ (manager.getParameterText (1), "350");

    filter.gain = 1.0f / 3.0f;
    EXPECT_EQ (manager.getParameterText (0), "0.333333343"); // nine significant digits
    EXPECT_EQ (manager.getParameterName (2), "Unknown Parameter");
}

TEST (PluginParameterManager, RawValueChangesReachTheHostNormalised)
{
    TestFilter filter;
    filter.addTestParameters();
    HostRecorder host;
    filter.addListener (&host);

    filter.manager().setParameterValue (1, 600.0f);

    EXPECT_FLOAT_EQ (filter.cutoff, 600.0f);
    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0].first, 1);
    EXPECT_FLOAT_EQ (host.changes[0].second, 0.5f);
    filter.removeListener (&host);
}

TEST (PluginParameterManager, ValuesRoundTripAsLittleEndianFloats)
{
    TestFilter filter;
    filter.addTestParameters();
    filter.gain = -2.5f;
    filter.cutoff = 1000.0f;

    juce::MemoryBlock values;
    filter.manager().writeParameterValues (values);
    ASSERT_EQ (values.getSize(), 8u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (values.getData()), 0xc0200000u); // -2.5f

    filter.gain = 0.0f;
    filter.cutoff = 0.0f;
    filter.manager().readParameterValues (values.getData(), 6); // the second value is cut short
    EXPECT_FLOAT_EQ (filter.gain, -2.5f);
    EXPECT_FLOAT_EQ (filter.cutoff, 0.0f);

    filter.manager().readParameterValues (values.getData(), 8);
    EXPECT_FLOAT_EQ (filter.cutoff, 1000.0f);
}
} // namespace
