#pragma once

#include "client/PluginLibrary.h"
#include "client/Vst2Client.h"
#include "host/VstInterface.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

/** The plug-in this build made, loaded as a host loads it. */
class BuiltPlugin : public PluginLibrary
{
public:
    BuiltPlugin() : PluginLibrary (LAMPWICK_PATH) {}
};

/** One event as the host received it from the plug-in, every field copied. */
struct ReceivedEvent
{
    vst2::VstMidiEvent record{};
    const void* address = nullptr;

    std::vector<std::uint8_t> bytes (int count) const;
};

/** One call the plug-in made to the host. */
struct HostCall
{
    vst2::VstInt32 opcode = 0;
    vst2::VstInt32 index = 0;
    vst2::VstIntPtr value = 0;
    float opt = 0.0f;
    bool hadRecord = false;
    bool duringHostCall = false;       // made on a thread that was inside one of the host's calls
    std::vector<ReceivedEvent> events; // audioMasterProcessEvents only
};

/** A host with one plug-in instance: it records every call the plug-in makes to it, from whichever
    thread the plug-in makes it, and drives the instance through the record only. */
class TestHost
{
public:
    static constexpr int maxFrames = 8192;
    static constexpr float sentinel = 0.25f;

    explicit TestHost (const PluginLibrary& library, vst2::VstIntPtr versionAnswer = 2400);
    ~TestHost();

    TestHost (const TestHost&) = delete;
    TestHost& operator= (const TestHost&) = delete;

    vst2::AEffect* effect = nullptr;

    vst2::VstIntPtr dispatch (vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                              vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    /** effProcessEvents with the given events (any type), as one host list. */
    vst2::VstIntPtr sendEvents (const std::vector<vst2::VstMidiEvent>& events);
    void resume() { dispatch (vst2::effMainsChanged, 0, 1); }
    void processReplacing (int frames);
    void process (int frames);

    /** The dispatcher's text into a buffer of 256 bytes pre-filled with 'x'. */
    std::string text (vst2::VstInt32 opcode, vst2::VstInt32 index = 0);

    std::vector<std::uint8_t> getChunk (vst2::VstInt32 index = 0);
    void setRoutes (std::initializer_list<std::pair<int, int>> inputToOutput); // 0-based

    std::vector<HostCall> recordedCalls() const;
    std::vector<HostCall> callsWith (vst2::VstInt32 opcode) const;
    /** The calls the plug-in made from a thread of its own, outside every call of a host's. */
    std::vector<HostCall> callsFromPluginThreads() const;
    /** The events of every audioMasterProcessEvents call since the last take, in order. */
    std::vector<ReceivedEvent> takeSentEvents();
    void close();

    // The host's own audio buffers, filled with the sentinel.
    std::vector<float> audio[4];

    /** When set, the host writes over every field of the event records it is given, once it has
        copied them, as a host may. */
    bool scribblesOnEvents = false;

    /** When set, the host holds a lock of the instance's own around every call into it, and its
        callback takes the same lock, as hosts that serialise each plug-in do. */
    bool guardsEachCall = false;

    /** Called from inside every call the plug-in makes to the host once it has the record, with
        the call's opcode, when set: a host may call the plug-in back from there. */
    std::function<void (vst2::VstInt32 opcode)> duringCallback;

private:
    /** Marks the calling thread as inside a call into the plug-in, holding the guard if asked. */
    class CallScope;

    std::vector<HostCall> callsWhere (const std::function<bool (const HostCall&)>& wanted) const;

    static vst2::VstIntPtr VSTCALLBACK callback (vst2::AEffect*, vst2::VstInt32 opcode,
                                                 vst2::VstInt32 index, vst2::VstIntPtr value,
                                                 void* ptr, float opt);
    vst2::VstIntPtr versionAnswer;
    std::recursive_mutex guard;
    mutable std::mutex callsLock;
    std::vector<HostCall> calls;
    size_t taken = 0;
};

using vst2client::midiEvent;

/** The 256-byte state with the given routes switched on (0-based input, output channel). */
std::vector<std::uint8_t> stateWith (std::initializer_list<std::pair<int, int>> routes);
