// A test module that misbehaves, for the tests of the host's distrust: its
// info comes from a text file beside it (see InfoReply.h), and the word in
// "<module>.rogue" beside it chooses what it does wrong. Otherwise it
// behaves like the timed module: it ends its test on the tick where
// ElapsedMs reaches DurationMs. What it was sent goes to "<module>.log".
//
//   throw-info, throw-init, throw-tick, throw-paint, throw-stop,
//   throw-restore     throw out of that message (the tick one at 1 s)
//   save-null         names a state block of 16 bytes at no address
//   save-huge         names its block with a length of 2^40 bytes
//   save-max          names its block with the largest length there is
//   save-past         names two pages of which only the first is mapped
//   end-twice         reports its end twice in the tick that ends it
//   end-at-paint      reports its end from inside MSG_PAINT, never a tick
//   end-never         never reports its end
//   sound-bad         calls the sound service with bad names and slots
//   title-long        a title whose length byte exceeds the text before a NUL
//   title-unterminated a title of 255 letters and no terminator
#include "InfoReply.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

TTestStatus* g_status = nullptr;
std::string g_log;
std::string g_mode;
int64_t g_state[2] = {};
bool g_ticked = false;

void Log(const std::string& line)
{
    if (std::FILE* f = g_log.empty() ? nullptr : std::fopen(g_log.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

void ReadMode(const TShortString& modulePath)
{
    g_mode.clear();
    if (std::FILE* f = std::fopen(kestrava::testing::ModulePathWith(modulePath, ".rogue").c_str(), "rb")) {
        char word[64] = {};
        if (std::fgets(word, sizeof word, f))
            g_mode.assign(word, std::strcspn(word, " \r\n"));
        std::fclose(f);
    }
}

void ThrowAt(const char* step)
{
    if (g_mode == std::string("throw-") + step)
        throw std::runtime_error(std::string("rogue at ") + step);
}

void ReportEnd() { g_status->OnTestEnd.Code(g_status->OnTestEnd.Context); }

// The sound service handed everything a careless module might: an empty
// name, 255 bytes with no terminator, a name of NULs, no name at all, and
// slots outside the sixteen.
void AbuseSounds()
{
    TShortString empty{};
    TShortString unterminated{};
    unterminated.Length = 255;
    std::memset(unterminated.Chars, 0xFF, sizeof unterminated.Chars);
    TShortString nuls{};
    nuls.Length = 255;
    std::string slots;
    const TShortString* const names[] = {&empty, &unterminated, &nuls, nullptr};
    for (const TShortString* name : names) {
        g_status->LoadSound.Code(g_status->LoadSound.Context, name);
        slots += " " + std::to_string(g_status->PlaySound.Code(g_status->PlaySound.Context, name, 65535, 0));
        g_status->UnloadSound.Code(g_status->UnloadSound.Context, name);
    }
    for (int32_t slot : {-1, 16, INT32_MAX, INT32_MIN})
        g_status->StopSound.Code(g_status->StopSound.Context, slot);
    Log("sounds" + slots);
}

// Two pages, the second unmapped again: a block that runs off its memory.
// The first page stays for the module's lifetime.
void NameHalfMappedBlock(TArgCell* cells)
{
    static void* page = nullptr;
    const size_t size = size_t(::sysconf(_SC_PAGESIZE));
    if (!page) {
        void* two = ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (two == MAP_FAILED)
            return;
        ::munmap(static_cast<char*>(two) + size, size);
        page = two;
    }
    cells[0] = reinterpret_cast<TArgCell>(page);
    cells[1] = 2 * size;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    switch (code) {
    case MSG_INFO: {
        if (!cells || !cells[0])
            break;
        auto& info = *reinterpret_cast<TTestInfo*>(cells[0]);
        ReadMode(info.ModulePath);
        ThrowAt("info");
        kestrava::testing::AnswerFromInfoFile(info);
        if (g_mode == "title-long") {
            std::memset(info.Title.Chars, 0, sizeof info.Title.Chars);
            std::memcpy(info.Title.Chars, "Rogue", 5);
            info.Title.Length = 200;
        } else if (g_mode == "title-unterminated") {
            std::memset(info.Title.Chars, 'X', sizeof info.Title.Chars);
            info.Title.Length = 255;
        }
        break;
    }
    case MSG_INIT:
        g_status = cells ? reinterpret_cast<TTestStatus*>(cells[0]) : nullptr;
        if (!g_status)
            break;
        ReadMode(g_status->ModulePath);
        g_log = kestrava::testing::ModulePathWith(g_status->ModulePath, ".log");
        Log("init");
        ThrowAt("init");
        break;
    case MSG_PAINT:
        Log("paint");
        ThrowAt("paint");
        if (g_status && g_mode == "end-at-paint")
            ReportEnd();
        break;
    case MSG_TICK:
        if (!g_status)
            break;
        if (g_status->ElapsedMs == 1000)
            ThrowAt("tick");
        if (!g_ticked && g_mode == "sound-bad")
            AbuseSounds();
        g_ticked = true;
        if (g_status->ElapsedMs == g_status->DurationMs && g_mode != "end-never" && g_mode != "end-at-paint") {
            Log("end");
            ReportEnd();
            if (g_mode == "end-twice")
                ReportEnd();
        }
        if (g_status->ElapsedMs == g_status->DurationMs + 10)
            Log("late");
        break;
    case MSG_STOP:
        Log("stop");
        ThrowAt("stop");
        break;
    case MSG_SAVESTATE:
    case MSG_RESTORESTATE:
        if (!cells)
            break;
        if (code == MSG_RESTORESTATE)
            ThrowAt("restore");
        cells[0] = reinterpret_cast<TArgCell>(&g_state);
        cells[1] = sizeof g_state;
        if (g_mode == "save-null")
            cells[0] = 0;
        else if (g_mode == "save-huge")
            cells[1] = TArgCell(1) << 40;
        else if (g_mode == "save-max")
            cells[1] = ~TArgCell(0);
        else if (g_mode == "save-past")
            NameHalfMappedBlock(cells);
        Log(code == MSG_SAVESTATE ? "save" : "restore");
        break;
    default:
        break;
    }
}
