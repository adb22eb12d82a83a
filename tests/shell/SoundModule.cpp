// A test module for the sound service: its info comes from a text file
// beside it (see InfoReply.h). It loads TONE at init; on the first tick it
// plays TONE at half volume in the centre, CLICK at full volume to the
// right, and a name nobody has; at 1 s it plays TONE again to the left,
// stops it 10 ms later and unloads it 10 ms after that. Every slot it got
// and every MSG_SOUNDEND goes to "<module>.log". It ends its test when
// ElapsedMs reaches DurationMs.
#include "InfoReply.h"

#include <cstdio>
#include <string>

namespace {

TTestStatus* g_status = nullptr;
std::string g_log;
int32_t g_tone = -1;

void Log(const std::string& line)
{
    if (std::FILE* f = g_log.empty() ? nullptr : std::fopen(g_log.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

TShortString Name(const char* text)
{
    TShortString s{};
    const std::string t = text;
    s.Length = static_cast<uint8_t>(t.size());
    for (size_t i = 0; i < t.size(); ++i)
        s.Chars[i] = static_cast<uint8_t>(t[i]);
    return s;
}

int32_t Play(const char* name, uint16_t volume, int16_t pan)
{
    const TShortString n = Name(name);
    return g_status->PlaySound.Code(g_status->PlaySound.Context, &n, volume, pan);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    switch (code) {
    case MSG_INFO:
        if (cells && cells[0])
            kestrava::testing::AnswerFromInfoFile(*reinterpret_cast<TTestInfo*>(cells[0]));
        break;
    case MSG_INIT: {
        g_status = cells ? reinterpret_cast<TTestStatus*>(cells[0]) : nullptr;
        if (!g_status)
            break;
        g_log = kestrava::testing::ModulePathWith(g_status->ModulePath, ".log");
        const TShortString tone = Name("tone");
        g_status->LoadSound.Code(g_status->LoadSound.Context, &tone);
        Log("init");
        break;
    }
    case MSG_TICK:
        if (!g_status)
            break;
        if (g_status->ElapsedMs == 0) {
            g_tone = Play("Tone", 32768, 0);
            const int32_t click = Play("CLICK", 65535, 32767);
            const int32_t none = Play("NONE", 65535, 0);
            Log("play tone " + std::to_string(g_tone) + " click " + std::to_string(click) + " none " +
                std::to_string(none));
        } else if (g_status->ElapsedMs == 1000) {
            Log("again " + std::to_string(Play("TONE", 65535, -32768)));
        } else if (g_status->ElapsedMs == 1010) {
            g_status->StopSound.Code(g_status->StopSound.Context, g_tone);
        } else if (g_status->ElapsedMs == 1020) {
            const TShortString tone = Name("TONE");
            g_status->UnloadSound.Code(g_status->UnloadSound.Context, &tone);
        }
        if (g_status->ElapsedMs == g_status->DurationMs) {
            Log("end");
            g_status->OnTestEnd.Code(g_status->OnTestEnd.Context);
        }
        break;
    case MSG_SOUNDEND:
        Log("soundend " + std::to_string(cells ? cells[0] : 99) + " at " +
            std::to_string(g_status ? g_status->ElapsedMs : 0));
        break;
    case MSG_STOP:
        Log("stop");
        break;
    default:
        break;
    }
}
