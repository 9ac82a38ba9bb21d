#pragma once

/** Delivers every message waiting on JUCE's queue (change messages, async updates), as the
    message thread of a host would between two calls. */
void pumpMessages();
