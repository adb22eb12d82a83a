// A test module that records what it is sent, so the host's binding and
// sending can be checked from outside. Its journal is reached through a
// second export, which a real module would not have.
#include "protocol/MyMessages.h"

#include <atomic>
#include <cstring>

namespace {

struct Journal {
    uint32_t codes[4096];
    uintptr_t cell0[4096];
    uint32_t dc[4096];
    std::atomic<int> count{0};
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    TTestStatus* status = nullptr;
};
Journal g_journal;

} // namespace

extern "C" __attribute__((visibility("default"))) Journal* FakeModuleJournal() { return &g_journal; }

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    int now = ++g_journal.inside;
    int most = g_journal.mostInside.load();
    while (now > most && !g_journal.mostInside.compare_exchange_weak(most, now)) {
    }
    int i = g_journal.count.load();
    if (i < 4096) {
        g_journal.codes[i] = code;
        g_journal.cell0[i] = cells ? cells[0] : 0;
        g_journal.dc[i] = g_journal.status ? g_journal.status->DC : 0;
        g_journal.count.store(i + 1);
    }
    switch (code) {
    case MSG_INFO: {
        auto* info = reinterpret_cast<TTestInfo*>(cells[0]);
        const char title[] = "Fake-Test";
        info->Title.Length = sizeof title - 1;
        std::memcpy(info->Title.Chars, title, sizeof title - 1);
        info->KeepsResults = 0;
        info->Countdown = 1234;
        break;
    }
    case MSG_INIT:
        g_journal.status = reinterpret_cast<TTestStatus*>(cells[0]);
        break;
    case MSG_TICK:
        if (g_journal.status && g_journal.status->ElapsedMs == g_journal.status->DurationMs)
            g_journal.status->OnTestEnd.Code(g_journal.status->OnTestEnd.Context);
        break;
    case MSG_KEYDOWN:
        if (cells[0] == 'P' && g_journal.status) {
            TShortString name{};
            name.Length = 4;
            std::memcpy(name.Chars, "beep", 4);
            int32_t slot = g_journal.status->PlaySound.Code(g_journal.status->PlaySound.Context, &name, 32768, 0);
            cells[1] = static_cast<uintptr_t>(static_cast<uint32_t>(slot));
        }
        break;
    default:
        break;
    }
    --g_journal.inside;
}
