#include "host/PluginIdentity.h"

#include <cstring>

namespace
{
// The plural "receiveVstMidiEvents" is the key this plug-in has always answered; the singular
// form is not in the table.
constexpr const char* capabilities[] = {
    "receiveVstEvents", "receiveVstMidiEvents", "sendVstEvents",
    "sendVstMidiEvent", "receiveVstTimeInfo",   "conformsToWindowRules",
};
} // namespace

bool PluginIdentity::canDo (const char* text)
{
    if (text == nullptr)
        return false;

    for (auto* key : capabilities)
        if (std::strcmp (text, key) == 0)
            return true;

    return false;
}
