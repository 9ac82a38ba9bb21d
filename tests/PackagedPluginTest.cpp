// The plug-in as a release package delivers it, loaded as a host loads it from the folder the
// package was unpacked into (tests/check-package unpacks it): it must be Lampwick, of the version
// the package is named after, and route.
//   package_tests PLUGIN_PATH VERSION

#include "PluginHost.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace
{
std::string pluginPath;
std::string packageVersion;

struct Version
{
    int major = -1, minor = -1, patch = -1;
};

Version parse (const std::string& text)
{
    Version v;
    char rest = 0;
    if (std::sscanf (text.c_str(), "%d.%d.%d%c", &v.major, &v.minor, &v.patch, &rest) != 3)
        ADD_FAILURE() << "not a version: " << text;
    return v;
}

class PackagedPlugin : public ::testing::Test
{
protected:
    PluginLibrary library{pluginPath.c_str()};
    TestHost host{library};

    void SetUp() override
    {
        ASSERT_NE (host.effect, nullptr) << pluginPath << ": " << library.error();
    }
};
} // namespace

TEST_F (PackagedPlugin, IsLampwickOfThePackagesVersion)
{
    const auto version = parse (packageVersion);
    EXPECT_EQ (host.effect->uniqueID, vst2::fourCharacters ('Q', 'S', 'Y', 'D'));
    EXPECT_EQ (host.text (vst2::effGetEffectName), "Lampwick");
    EXPECT_EQ (host.text (vst2::effGetVendorString), "Quennell music");
    EXPECT_EQ (host.dispatch (vst2::effGetVendorVersion),
               version.major * 1000 + version.minor * 100 + version.patch);
}

TEST_F (PackagedPlugin, Routes)
{
    host.resume();
    host.setRoutes ({{0, 3}});
    host.sendEvents ({midiEvent ({0x90, 60, 100}, 5)});
    host.processReplacing (64);

    const auto sent = host.takeSentEvents();
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (sent[0].bytes (3), (std::vector<std::uint8_t>{0x93, 60, 100}));
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: %s PLUGIN_PATH VERSION\n", argv[0]);
        return 2;
    }
    pluginPath = argv[1];
    packageVersion = argv[2];
    return RUN_ALL_TESTS();
}
