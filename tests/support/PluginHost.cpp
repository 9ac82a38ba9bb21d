#include "PluginHost.h"

#include "plugin/RoutingMatrix.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

namespace
{
// Which test host owns which record. The record's `user` field is left alone, so that tests can
// see it as the plug-in filled it.
std::mutex hostsLock;
std::map<const vst2::AEffect*, TestHost*> hostOf;

// Calls the plug-in makes while `main` is still building it carry a record the host has not been
// given yet; they belong to the host that is calling `main`.
thread_local TestHost* hostBeingBuilt = nullptr;

// How deep the calling thread is in calls of a host's into the plug-in.
thread_local int hostCallDepth = 0;
} // namespace

class TestHost::CallScope
{
public:
    explicit CallScope (TestHost& host) : lock (host.guard, std::defer_lock)
    {
        if (host.guardsEachCall)
            lock.lock();
        ++hostCallDepth;
    }
    ~CallScope() { --hostCallDepth; }

private:
    std::unique_lock<std::recursive_mutex> lock;
};

std::vector<std::uint8_t> ReceivedEvent::bytes (int count) const
{
    return {record.midiData, record.midiData + count};
}

TestHost::TestHost (const PluginLibrary& library, vst2::VstIntPtr version) : versionAnswer (version)
{
    for (auto& channel : audio)
        channel.assign (maxFrames, sentinel);

    if (library.entry() == nullptr)
        return;

    {
        const CallScope scope (*this);
        hostBeingBuilt = this;
        effect = library.entry() (callback);
        hostBeingBuilt = nullptr;
    }

    if (effect != nullptr)
    {
        const std::lock_guard<std::mutex> lock (hostsLock);
        hostOf[effect] = this;
    }
}

TestHost::~TestHost()
{
    close();
}

void TestHost::close()
{
    if (effect != nullptr)
    {
        auto* closing = effect;
        effect = nullptr;
        {
            const CallScope scope (*this);
            closing->dispatcher (closing, vst2::effClose, 0, 0, nullptr, 0.0f);
        }
        const std::lock_guard<std::mutex> lock (hostsLock);
        hostOf.erase (closing);
    }
}

vst2::VstIntPtr VSTCALLBACK TestHost::callback (vst2::AEffect* effect, vst2::VstInt32 opcode,
                                                vst2::VstInt32 index, vst2::VstIntPtr value,
                                                void* ptr, float opt)
{
    TestHost* host = hostBeingBuilt;
    {
        const std::lock_guard<std::mutex> lock (hostsLock);
        if (const auto found = hostOf.find (effect); found != hostOf.end())
            host = found->second;
    }
    if (host == nullptr)
        return 0;

    std::unique_lock<std::recursive_mutex> guarded (host->guard, std::defer_lock);
    if (host->guardsEachCall)
        guarded.lock();

    HostCall call{opcode, index, value, opt, effect != nullptr, hostCallDepth > 0, {}};

    if (opcode == vst2::audioMasterProcessEvents && ptr != nullptr)
    {
        const auto* list = static_cast<const vst2::VstEvents*> (ptr);
        vst2::VstEvent* const* entries = list->events;

        for (int i = 0; i < list->numEvents; ++i)
        {
            ReceivedEvent received;
            std::memcpy (&received.record, entries[i], sizeof (received.record));
            received.address = entries[i];
            call.events.push_back (received);

            if (host->scribblesOnEvents)
                std::memset (entries[i], 0xa5, sizeof (vst2::VstMidiEvent));
        }
    }

    {
        const std::lock_guard<std::mutex> lock (host->callsLock);
        host->calls.push_back (call);
    }

    if (effect != nullptr && host->duringCallback)
        host->duringCallback (opcode);

    return opcode == vst2::audioMasterVersion ? host->versionAnswer : 0;
}

vst2::VstIntPtr TestHost::dispatch (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                    vst2::VstIntPtr value, void* ptr, float opt)
{
    if (effect == nullptr) // closed: a host calls it no more
        return 0;

    const CallScope scope (*this);
    return effect->dispatcher (effect, opcode, index, value, ptr, opt);
}

vst2::VstIntPtr TestHost::sendEvents (const std::vector<vst2::VstMidiEvent>& events)
{
    if (effect == nullptr)
        return 0;

    auto records = events;
    vst2client::EventList list (records);
    const CallScope scope (*this);
    return vst2client::sendEvents (*effect, list);
}

void TestHost::processReplacing (int frames)
{
    float* inputs[] = {audio[0].data(), audio[1].data()};
    float* outputs[] = {audio[2].data(), audio[3].data()};
    const CallScope scope (*this);
    effect->processReplacing (effect, inputs, outputs, frames);
}

void TestHost::process (int frames)
{
    float* inputs[] = {audio[0].data(), audio[1].data()};
    float* outputs[] = {audio[2].data(), audio[3].data()};
    const CallScope scope (*this);
    effect->process (effect, inputs, outputs, frames);
}

std::string TestHost::text (vst2::VstInt32 opcode, vst2::VstInt32 index)
{
    char buffer[256];
    std::memset (buffer, 'x', sizeof (buffer));
    dispatch (opcode, index, 0, buffer);
    return std::string (buffer, strnlen (buffer, sizeof (buffer)));
}

std::vector<std::uint8_t> TestHost::getChunk (vst2::VstInt32 index)
{
    if (effect == nullptr)
        return {};

    const CallScope scope (*this);
    return vst2client::getChunk (*effect, index);
}

void TestHost::setRoutes (std::initializer_list<std::pair<int, int>> routes)
{
    auto state = stateWith (routes);
    dispatch (vst2::effSetChunk, 0, (vst2::VstIntPtr) state.size(), state.data());
}

std::vector<HostCall> TestHost::recordedCalls() const
{
    const std::lock_guard<std::mutex> lock (callsLock);
    return calls;
}

std::vector<HostCall>
TestHost::callsWhere (const std::function<bool (const HostCall&)>& wanted) const
{
    const std::lock_guard<std::mutex> lock (callsLock);
    std::vector<HostCall> found;
    std::copy_if (calls.begin(), calls.end(), std::back_inserter (found), wanted);
    return found;
}

std::vector<HostCall> TestHost::callsWith (vst2::VstInt32 opcode) const
{
    return callsWhere ([opcode] (const HostCall& call) { return call.opcode == opcode; });
}

std::vector<HostCall> TestHost::callsFromPluginThreads() const
{
    return callsWhere ([] (const HostCall& call) { return ! call.duringHostCall; });
}

std::vector<ReceivedEvent> TestHost::takeSentEvents()
{
    const std::lock_guard<std::mutex> lock (callsLock);
    std::vector<ReceivedEvent> events;

    for (; taken < calls.size(); ++taken)
        if (calls[taken].opcode == vst2::audioMasterProcessEvents)
            events.insert (events.end(), calls[taken].events.begin(), calls[taken].events.end());

    return events;
}

std::vector<std::uint8_t> stateWith (std::initializer_list<std::pair<int, int>> routes)
{
    std::vector<std::uint8_t> state (256, 0);
    for (const auto& [in, out] : routes)
        state[(size_t) routing::cell (in, out)] = 1;
    return state;
}
