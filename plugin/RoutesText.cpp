#include "plugin/RoutesText.h"

namespace
{
bool readChannel (const juce::String& text, int& channel)
{
    if (text.isEmpty() || text.length() > 9 || ! text.containsOnly ("0123456789"))
        return false;

    channel = text.getIntValue();
    return channel >= 1 && channel <= routing::numChannels;
}

/** The routes, one a token: space next to a colon or a comma belongs to the route ("1: 4, 10"). */
juce::StringArray routesOf (const juce::String& text)
{
    juce::String joined;
    auto pendingSpace = false;

    for (auto c : text)
    {
        if (juce::CharacterFunctions::isWhitespace (c))
        {
            pendingSpace = true;
            continue;
        }

        const auto joins =
            c == ':' || c == ',' || joined.endsWithChar (':') || joined.endsWithChar (',');

        if (pendingSpace && ! joins && joined.isNotEmpty())
            joined << ' ';

        joined << juce::String::charToString (c);
        pendingSpace = false;
    }

    return juce::StringArray::fromTokens (joined, " ", "");
}
} // namespace

juce::String RoutesText::read (const juce::String& text, Cells& routes)
{
    auto read = routes;

    for (const auto& route : routesOf (text))
    {
        const auto problem = "route '" + route +
                             "' must look like IN:OUT[,OUT...] with channels 1 to " +
                             juce::String (routing::numChannels);
        int input = 0;

        if (! route.containsChar (':') ||
            ! readChannel (route.upToFirstOccurrenceOf (":", false, false), input))
            return problem;

        const auto outputs = juce::StringArray::fromTokens (
            route.fromFirstOccurrenceOf (":", false, false), ",", "");

        if (outputs.isEmpty())
            return problem;

        for (const auto& out : outputs)
        {
            int output = 0;

            if (! readChannel (out, output))
                return problem;

            read[(size_t) routing::cell (input - 1, output - 1)] = 1;
        }
    }

    routes = read;
    return {};
}

juce::String RoutesText::write (const Cells& routes)
{
    juce::StringArray written;

    for (int input = 0; input < routing::numChannels; ++input)
    {
        juce::StringArray outputs;

        for (int output = 0; output < routing::numChannels; ++output)
            if (routes[(size_t) routing::cell (input, output)] != 0)
                outputs.add (juce::String (output + 1));

        if (! outputs.isEmpty())
            written.add (juce::String (input + 1) + ":" + outputs.joinIntoString (","));
    }

    return written.joinIntoString (" ");
}
