// The training program "Alle Tests": every listed test that keeps results.
// Tests that keep none can only be run on their own, so they are left out.
//
// The host hands one entry per line of its test list and reads back which
// entries are chosen; the text returned says how many.
#include "protocol/MyMessages.h"

#include <cstdio>

extern "C" __attribute__((visibility("default"))) void PROG(TShortString* text, TProgEntry* entries, int32_t count)
{
    int32_t chosen = 0;
    for (int32_t i = 0; entries && i < count; ++i) {
        entries[i].Chosen = entries[i].KeepsResults != 0 ? 1 : 0;
        chosen += entries[i].Chosen;
    }
    if (!text)
        return;
    // Windows-1252: 0xE4 is the a with umlaut.
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%d Tests gew\xE4hlt", static_cast<int>(chosen));
    text->Length = static_cast<uint8_t>(length > 0 ? length : 0);
    for (int i = 0; i < length; ++i)
        text->Chars[i] = static_cast<uint8_t>(buffer[i]);
}
