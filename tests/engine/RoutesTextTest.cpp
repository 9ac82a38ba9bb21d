#include "plugin/RoutesText.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
RoutesText::Cells cellsWith (const std::vector<std::pair<int, int>>& routes) // 1-based channels
{
    RoutesText::Cells cells{};
    for (const auto& [in, out] : routes)
        cells[(size_t) routing::cell (in - 1, out - 1)] = 1;
    return cells;
}
} // namespace

TEST (RoutesText, ReadsRoutesAsMusiciansWriteThemAndWritesThemBackInOrder)
{
    struct Case
    {
        const char* text;
        std::vector<std::pair<int, int>> routes;
        const char* written;
    };
    const Case cases[] = {
        {"", {}, ""},
        {"1:4,10 2:2", {{1, 4}, {1, 10}, {2, 2}}, "1:4,10 2:2"},
        {"2:2\n1:10,4", {{1, 4}, {1, 10}, {2, 2}}, "1:4,10 2:2"},
        {"  1: 4, 10\t 2 :2 ", {{1, 4}, {1, 10}, {2, 2}}, "1:4,10 2:2"},
        {"1:4 1:4,4 16:16", {{1, 4}, {16, 16}}, "1:4 16:16"},
        {"01:016", {{1, 16}}, "1:16"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        RoutesText::Cells cells{};
        EXPECT_EQ (RoutesText::read (c.text, cells), "");
        EXPECT_EQ (cells, cellsWith (c.routes));
        EXPECT_EQ (RoutesText::write (cells), c.written);
    }

    // Every one of the 256 routes on reads back from its own text.
    RoutesText::Cells all{}, again{};
    all.fill (1);
    EXPECT_EQ (RoutesText::read (RoutesText::write (all), again), "");
    EXPECT_EQ (again, all);
}

TEST (RoutesText, TextThatIsNotRoutesChangesNothingAndSaysWhy)
{
    for (const auto* text : {"17:2", "1:0", "0:1", "1:", ":3", "x", "1", "1:2,,3", "1:2 3", "a:b",
                             "-1:2", "1:2;3", "1:2:3", "1:4 hello"})
    {
        SCOPED_TRACE (text);
        auto cells = cellsWith ({{3, 3}});
        const auto problem = RoutesText::read (text, cells);
        EXPECT_TRUE (problem.contains ("channels 1 to 16")) << problem;
        EXPECT_EQ (cells, cellsWith ({{3, 3}}));
    }
}
