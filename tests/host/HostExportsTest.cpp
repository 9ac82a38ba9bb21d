// What the built shared object exports: `main`, and nothing else.

#include "PluginHost.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
std::vector<std::string> definedDynamicSymbols (const std::string& path)
{
    std::vector<std::string> names;
    const auto command = "nm -D --defined-only '" + path + "'";
    FILE* pipe = popen (command.c_str(), "r");

    if (pipe == nullptr)
        return names;

    char line[1024];
    while (std::fgets (line, sizeof (line), pipe) != nullptr)
    {
        std::istringstream fields (line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.push_back (name);
    }

    EXPECT_EQ (pclose (pipe), 0) << command;
    return names;
}
} // namespace

TEST (HostLibrary, ExportsOnlyMain)
{
    EXPECT_EQ (definedDynamicSymbols (LAMPWICK_PATH), std::vector<std::string>{"main"});
}
