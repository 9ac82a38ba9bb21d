// The plug-in as a release package delivers it, loaded as a host loads it from the folder the
// package was unpacked into (tests/check-package unpacks it): it must be Lampwick, of the version
// the package is named after; on Windows, the DLL's version resource must say the same.
//   package_tests PLUGIN_PATH VERSION

#include "PluginHost.h"

#include <cstdio>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{
std::string pluginPath, version;
int majorVersion = -1, minorVersion = -1, patchVersion = -1;
} // namespace

TEST (PackagedPlugin, IsLampwickOfThePackagesVersion)
{
    PluginLibrary library (pluginPath.c_str());
    TestHost host (library);
    ASSERT_NE (host.effect, nullptr) << pluginPath << ": " << library.error();
    EXPECT_EQ (host.text (vst2::effGetEffectName), "Lampwick");
    EXPECT_EQ (host.text (vst2::effGetVendorString), "Quennell music");
    EXPECT_EQ (host.dispatch (vst2::effGetVendorVersion),
               majorVersion * 1000 + minorVersion * 100 + patchVersion);

#ifdef _WIN32
    // What Explorer's file properties and hosts' plug-in lists read.
    std::vector<char> info (GetFileVersionInfoSizeA (pluginPath.c_str(), nullptr));
    ASSERT_FALSE (info.empty()) << "no version resource";
    ASSERT_TRUE (GetFileVersionInfoA (pluginPath.c_str(), 0, (DWORD) info.size(), info.data()));
    const auto text = [&] (const std::string& name) -> std::string
    {
        char* value = nullptr;
        UINT length = 0;
        const auto path = "\\StringFileInfo\\040904B0\\" + name;
        return VerQueryValueA (info.data(), path.c_str(), (void**) &value, &length) ? value : "";
    };
    EXPECT_EQ (text ("ProductName"), host.text (vst2::effGetProductString));
    EXPECT_EQ (text ("CompanyName"), host.text (vst2::effGetVendorString));
    EXPECT_EQ (text ("ProductVersion"), version);
    EXPECT_EQ (text ("FileVersion"), version);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE (VerQueryValueA (info.data(), "\\", (void**) &fixed, &size));
    EXPECT_EQ (fixed->dwFileVersionMS, DWORD (majorVersion << 16 | minorVersion));
    EXPECT_EQ (fixed->dwFileVersionLS, DWORD (patchVersion << 16));
#endif
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    if (argc != 3 ||
        std::sscanf (argv[2], "%d.%d.%d", &majorVersion, &minorVersion, &patchVersion) != 3)
    {
        std::fprintf (stderr, "usage: %s PLUGIN_PATH MAJOR.MINOR.PATCH\n", argv[0]);
        return 2;
    }
    pluginPath = argv[1];
    version = argv[2];
    return RUN_ALL_TESTS();
}
