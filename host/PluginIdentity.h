#pragma once

#include "host/VstInterface.h"

/** What the plug-in tells a host about itself: the record's fixed values, the identity texts with
    their copy limits, and the capability table. Kept in one place so that the answers the host
    sees can be read off at a glance. */
struct PluginIdentity
{
    static constexpr vst2::VstInt32 uniqueID = vst2::fourCharacters ('Q', 'S', 'Y', 'D');
    static constexpr vst2::VstInt32 version = 1;
    static constexpr vst2::VstInt32 numInputs = 2;
    static constexpr vst2::VstInt32 numOutputs = 2;
    static constexpr vst2::VstInt32 flags = vst2::effFlagsHasEditor | vst2::effFlagsCanReplacing |
                                            vst2::effFlagsProgramChunks | vst2::effFlagsIsSynth;

    static constexpr const char* effectName = "Lampwick";
    static constexpr const char* vendorName = "Quennell music";
    // The project's version (CMakeLists.txt) as one number, one digit for the minor version and
    // two for the patch: 1.2.3 is 1203.
    static constexpr vst2::VstInt32 vendorVersion =
        LAMPWICK_VERSION_MAJOR * 1000 + LAMPWICK_VERSION_MINOR * 100 + LAMPWICK_VERSION_PATCH;
    static_assert (LAMPWICK_VERSION_MINOR < 10 && LAMPWICK_VERSION_PATCH < 100,
                   "the version does not fit the vendor version's digits");
    static constexpr vst2::VstInt32 category = vst2::kPlugCategSynth;
    static constexpr vst2::VstInt32 vstVersion = 2300;
    static constexpr vst2::VstInt32 identify = vst2::fourCharacters ('N', 'v', 'E', 'f');

    // Longest copies, in characters, of the texts handed to the host; a zero always follows.
    static constexpr int maxNameLength = 64;
    static constexpr int maxProgramNameLength = 24;
    static constexpr int maxParameterTextLength = 64;
    static constexpr int maxParameterNameLength = 8;

    // Defaults until the host sets its own.
    static constexpr float defaultSampleRate = 44100.0f;
    static constexpr vst2::VstInt32 defaultBlockSize = 1024;

    /** True when the text is one of the capability keys, matched exactly: same letters, same case,
        same length. */
    static bool canDo (const char* text);
};
