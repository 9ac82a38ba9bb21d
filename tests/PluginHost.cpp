#include "PluginHost.h"

#include <cstring>
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
} // namespace

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

    hostBeingBuilt = this;
    effect = library.entry() (callback);
    hostBeingBuilt = nullptr;

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
        effect->dispatcher (effect, vst2::effClose, 0, 0, nullptr, 0.0f);
        const std::lock_guard<std::mutex> lock (hostsLock);
        hostOf.erase (effect);
    }

    effect = nullptr;
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

    HostCall call{opcode, index, value, opt, effect != nullptr, {}};

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

    const std::lock_guard<std::mutex> lock (host->callsLock);
    host->calls.push_back (call);
    return opcode == vst2::audioMasterVersion ? host->versionAnswer : 0;
}

vst2::VstIntPtr TestHost::dispatch (vst2::VstInt32 opcode, vst2::VstInt32 index,
                                    vst2::VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher (effect, opcode, index, value, ptr, opt);
}

vst2::VstIntPtr TestHost::sendEvents (const std::vector<vst2::VstMidiEvent>& events)
{
    std::vector<char> list (sizeof (vst2::VstEvents) + events.size() * sizeof (vst2::VstEvent*));
    auto* header = reinterpret_cast<vst2::VstEvents*> (list.data());
    vst2::VstEvent** entries = header->events;
    header->numEvents = (vst2::VstInt32) events.size();

    for (size_t i = 0; i < events.size(); ++i)
        entries[i] =
            reinterpret_cast<vst2::VstEvent*> (const_cast<vst2::VstMidiEvent*> (&events[i]));

    return dispatch (vst2::effProcessEvents, 0, 0, header);
}

void TestHost::processReplacing (int frames)
{
    float* inputs[] = {audio[0].data(), audio[1].data()};
    float* outputs[] = {audio[2].data(), audio[3].data()};
    effect->processReplacing (effect, inputs, outputs, frames);
}

void TestHost::process (int frames)
{
    float* inputs[] = {audio[0].data(), audio[1].data()};
    float* outputs[] = {audio[2].data(), audio[3].data()};
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
    void* data = nullptr;
    const auto size = dispatch (vst2::effGetChunk, index, 0, &data);

    if (data == nullptr || size <= 0)
        return {};

    const auto* bytes = static_cast<const std::uint8_t*> (data);
    return {bytes, bytes + size};
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

std::vector<HostCall> TestHost::callsWith (vst2::VstInt32 opcode) const
{
    const std::lock_guard<std::mutex> lock (callsLock);
    std::vector<HostCall> found;
    for (const auto& call : calls)
        if (call.opcode == opcode)
            found.push_back (call);
    return found;
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

vst2::VstMidiEvent midiEvent (std::initializer_list<std::uint8_t> bytes, int deltaFrames,
                              vst2::VstInt32 type)
{
    vst2::VstMidiEvent event{};
    event.type = type;
    event.byteSize = sizeof (event);
    event.deltaFrames = deltaFrames;
    std::memcpy (event.midiData, bytes.begin(), std::min<size_t> (bytes.size(), 4));
    return event;
}

std::vector<std::uint8_t> stateWith (std::initializer_list<std::pair<int, int>> routes)
{
    std::vector<std::uint8_t> state (256, 0);
    for (const auto& [in, out] : routes)
        state[(size_t) (in * 16 + out)] = 1;
    return state;
}
