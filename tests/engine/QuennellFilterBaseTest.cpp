#include "TestFilter.h"
#include "plugin/Switchyard.h"

#include <gtest/gtest.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
TEST (QuennellFilterBase, SwitchyardHasNoParametersOrPrograms)
{
    Switchyard router;
    juce::AudioProcessor& host = router; // the host's view

    EXPECT_EQ (host.getNumParameters(), 0);
    EXPECT_EQ (host.getNumPrograms(), 0);
    EXPECT_EQ (host.getCurrentProgram(), 0);
    EXPECT_EQ (host.getProgramName (0), "Unknown Program");
    EXPECT_EQ (host.getProgramName (-1), "Unknown Program");
    EXPECT_EQ (host.getParameterName (0), "Unknown Parameter");
    EXPECT_EQ (host.getParameterText (5), "Unknown Parameter");
    EXPECT_EQ (host.getParameter (0), 0.0f);

    for (int index : {0, 3, -1})
    {
        host.setCurrentProgram (index);
        EXPECT_EQ (host.getCurrentProgram(), 0) << index;
    }

    host.setParameter (0, 0.5f);
    EXPECT_EQ (host.getParameter (0), 0.0f);
    host.changeProgramName (0, "Renamed");
    EXPECT_EQ (host.getProgramName (0), "Unknown Program");
}

class FilterWithPrograms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        filter.addTestParameters();
        filter.setCurrentProgramIndex (0);
        const auto state = DefaultStateWriter (2)
                               .program ("Soft", {-5.0f, 200.0f})
                               .program ("Bright", {5.0f, 1000.0f})
                               .block;
        filter.setStateInformation (state.getData(), (int) state.getSize());
    }

    TestFilter filter;
};

TEST_F (FilterWithPrograms, RestoreLoadsTheCurrentProgram)
{
    EXPECT_EQ (filter.getNumPrograms(), 2);
    EXPECT_EQ (filter.getProgramName (1), "Bright");
    EXPECT_EQ (filter.getCurrentProgram(), 0);
    EXPECT_FLOAT_EQ (filter.gain, -5.0f);
    EXPECT_FLOAT_EQ (filter.cutoff, 200.0f);
}

TEST_F (FilterWithPrograms, SwitchingStoresTheProgramLeftAndLoadsTheNext)
{
    filter.gain = 1.0f; // an edit to program 0

    filter.setCurrentProgram (1);
    EXPECT_EQ (filter.getCurrentProgram(), 1);
    EXPECT_FLOAT_EQ (filter.gain, 5.0f);
    EXPECT_FLOAT_EQ (filter.cutoff, 1000.0f);

    filter.setCurrentProgram (0);
    EXPECT_FLOAT_EQ (filter.gain, 1.0f);

    filter.setCurrentProgram (2);  // beyond the list
    filter.setCurrentProgram (-1); // saves program 0, loads nothing
    EXPECT_EQ (filter.getCurrentProgram(), 0);
    EXPECT_FLOAT_EQ (filter.gain, 1.0f);
}

TEST_F (FilterWithPrograms, SwitchingToTheCurrentProgramStoresNothing)
{
    filter.gain = 9.0f;
    filter.setCurrentProgram (0);
    filter.gain = 0.0f;

    filter.setCurrentProgram (1);
    filter.setCurrentProgram (0);
    EXPECT_FLOAT_EQ (filter.gain, 0.0f); // the 9 was never stored
}

TEST_F (FilterWithPrograms, NamesChangeOnlyForExistingEntries)
{
    filter.changeProgramName (1, "Harsh");
    filter.changeProgramName (2, "Nowhere");
    EXPECT_EQ (filter.getProgramName (1), "Harsh");
    EXPECT_EQ (filter.getProgramName (2), "Unknown Program");
}

TEST_F (FilterWithPrograms, StateRoundTripsAndSavesTheCurrentProgramFirst)
{
    filter.gain = 2.0f;
    filter.changeProgramName (1, juce::String::repeatedString ("x", 40));

    juce::MemoryBlock saved;
    filter.getStateInformation (saved);

    const auto expected =
        DefaultStateWriter (2)
            .program ("Soft", {2.0f, 200.0f})
            .program (juce::String::repeatedString ("x", 32).toRawUTF8(), {5.0f, 1000.0f})
            .block;
    EXPECT_EQ (saved, expected);
}

TEST (QuennellFilterBaseState, EntriesCutShortAreNotAdded)
{
    struct Case
    {
        const char* name;
        juce::MemoryBlock state;
        std::vector<juce::String> expectedNames;
    };
    const auto whole = DefaultStateWriter (3).program ("A", {1.0f}).program ("B", {2.0f}).block;

    std::vector<Case> cases;
    cases.push_back ({"empty", {}, {}});
    cases.push_back ({"count only", DefaultStateWriter (0).block, {}});
    cases.push_back ({"announced more than present", whole, {"A", "B"}});
    cases.push_back (
        {"values cut", juce::MemoryBlock (whole.getData(), whole.getSize() - 1), {"A"}});
    cases.push_back ({"name without end", DefaultStateWriter (1).raw ({'A', 'B'}).block, {}});
    cases.push_back ({"size cut", DefaultStateWriter (1).raw ({'A', 0, 4, 0}).block, {}});
    cases.push_back (
        {"negative size", DefaultStateWriter (1).raw ({'A', 0, 0xff, 0xff, 0xff, 0xff}).block, {}});
    cases.push_back ({"count stops early",
                      DefaultStateWriter (1).program ("A", {1.0f}).program ("B", {2.0f}).block,
                      {"A"}});

    for (const auto& c : cases)
    {
        TestFilter filter;
        filter.addTestParameters();
        filter.setStateInformation (c.state.getData(), (int) c.state.getSize());

        std::vector<juce::String> names;
        for (int i = 0; i < filter.getNumPrograms(); ++i)
            names.push_back (filter.getProgramName (i));
        EXPECT_EQ (names, c.expectedNames) << c.name;
        EXPECT_EQ (filter.getCurrentProgram(), -1) << c.name;
    }
}
} // namespace

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
