// The plug-in as a release package delivers it, loaded as a host loads it from the folder the
// package was unpacked into (tests/check-package unpacks it): it must be Lampwick, of the version
// the package is named after, and route. On Windows, the DLL's version resource must say the same.
//   package_tests PLUGIN_PATH VERSION

#include "PluginHost.h"

#include <cstdio>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
// What Explorer's file properties and a host's plug-in list read.
TEST_F (PackagedPlugin, VersionResourceNamesThePlugInAndTheVersion)
{
    DWORD unused = 0;
    std::vector<char> info (GetFileVersionInfoSizeA (pluginPath.c_str(), &unused));
    ASSERT_FALSE (info.empty()) << "no version resource";
    ASSERT_TRUE (GetFileVersionInfoA (pluginPath.c_str(), 0, (DWORD) info.size(), info.data()));

    const auto text = [&] (const std::string& name) -> std::string
    {
        char* value = nullptr;
        UINT length = 0;
        const auto path = "\\StringFileInfo\\040904B0\\" + name;
        if (! VerQueryValueA (info.data(), path.c_str(), (void**) &value, &length) || length == 0)
            return "(missing)";
        return value;
    };
    EXPECT_EQ (text ("ProductName"), host.text (vst2::effGetProductString));
    EXPECT_EQ (text ("CompanyName"), host.text (vst2::effGetVendorString));
    EXPECT_EQ (text ("ProductVersion"), packageVersion);
    EXPECT_EQ (text ("FileVersion"), packageVersion);
    EXPECT_EQ (text ("OriginalFilename"), "Lampwick.dll");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE (VerQueryValueA (info.data(), "\\", (void**) &fixed, &size));
    ASSERT_GE (size, sizeof (VS_FIXEDFILEINFO));
    const auto version = parse (packageVersion);
    const DWORD high = (DWORD (version.major) << 16) | DWORD (version.minor);
    const DWORD low = DWORD (version.patch) << 16;
    EXPECT_EQ (fixed->dwFileVersionMS, high);
    EXPECT_EQ (fixed->dwFileVersionLS, low);
    EXPECT_EQ (fixed->dwProductVersionMS, high);
    EXPECT_EQ (fixed->dwProductVersionLS, low);
    EXPECT_EQ (fixed->dwFileType, DWORD (VFT_DLL));
}
#endif

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
