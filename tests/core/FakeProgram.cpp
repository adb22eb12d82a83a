// A program file that chooses every test that keeps results.
#include "protocol/MyMessages.h"

#include <cstdio>

extern "C" __attribute__((visibility("default"))) void PROG(TShortString* text, TProgEntry* entries, int32_t count)
{
    int chosen = 0;
    for (int32_t i = 0; i < count; ++i) {
        entries[i].Chosen = entries[i].KeepsResults != 0 ? 1 : 0;
        chosen += entries[i].Chosen;
    }
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%d gew\xE4hlt", chosen);
    text->Length = static_cast<uint8_t>(length);
    for (int i = 0; i < length; ++i)
        text->Chars[i] = static_cast<uint8_t>(buffer[i]);
}
