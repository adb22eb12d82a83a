// Binding and sending: the message gate, the canvas lock, the status record
// and the callbacks, checked against a recording module.
#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace kestrava {
namespace {

struct Journal {
    uint32_t codes[4096];
    uintptr_t cell0[4096];
    uint32_t dc[4096];
    std::atomic<int> count;
    std::atomic<int> inside;
    std::atomic<int> mostInside;
    TTestStatus* status;
};

// The journal of the module instance the host has bound, reached without
// loading a second instance.
Journal* BoundJournal()
{
    void* handle = dlopen(FAKE_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    auto getter = reinterpret_cast<Journal* (*)()>(dlsym(handle, "FakeModuleJournal"));
    Journal* journal = getter ? getter() : nullptr;
    dlclose(handle); // drops only the reference taken above
    return journal;
}

bool FakeModuleLoaded()
{
    void* handle = dlopen(FAKE_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

std::vector<uint32_t> Codes(const Journal& journal)
{
    return {journal.codes, journal.codes + journal.count.load()};
}

class ModuleHostTest : public ::testing::Test {
protected:
    void TearDown() override { UnbindModule(); }
    TestCanvas canvas;
    ModuleHost host{canvas};
};

TEST_F(ModuleHostTest, NothingIsSentWithoutABoundEntry)
{
    BindModule("/nonexistent/NOPE.TST");
    EXPECT_FALSE(ModuleLibraryHeld());
    host.SendModuleMessage(MSG_PAINT); // must simply return

    BindModule(NO_ENTRY_PATH);
    EXPECT_TRUE(ModuleLibraryHeld());
    EXPECT_EQ(BoundDispatchMessage(), nullptr);
    host.SendModuleMessage(MSG_PAINT);
    UnbindModule();
    EXPECT_FALSE(ModuleLibraryHeld());
    UnbindModule(); // a second release is harmless
}

TEST_F(ModuleHostTest, BlockedGatePassesOnlyLifecycleAndStateMessages)
{
    BindModule(FAKE_MODULE_PATH);
    Journal* journal = BoundJournal();
    ASSERT_NE(journal, nullptr);
    host.SetBlocked(true);
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 13u, 14u, 15u, 16u}) {
        if (code == MSG_INFO || code == MSG_INIT)
            continue; // they need a real record; covered elsewhere
        host.SendModuleMessage(code, 65);
    }
    EXPECT_EQ(Codes(*journal), (std::vector<uint32_t>{2, 3, 4, 15, 16}));

    host.SetBlocked(false);
    host.SendModuleMessage(MSG_KEYDOWN, 65);
    host.SendModuleMessage(MSG_TICK);
    EXPECT_EQ(Codes(*journal), (std::vector<uint32_t>{2, 3, 4, 15, 16, 5, 13}));
    EXPECT_EQ(journal->cell0[5], 65u);
}

TEST_F(ModuleHostTest, InfoQueryBindsOnlyForTheQuery)
{
    TTestInfo info{};
    info.MinDuration = 777; // not answered by the module: must stay
    ASSERT_TRUE(host.QueryModuleInfo(FAKE_MODULE_PATH, info));
    EXPECT_EQ(ShortStringToUtf8(info.Title), "Fake-Test");
    EXPECT_EQ(info.Countdown, 1234);
    EXPECT_EQ(info.MinDuration, 777);
    EXPECT_EQ(ShortStringToUtf8(info.ModulePath), FAKE_MODULE_PATH);
    EXPECT_FALSE(ModuleLibraryHeld());
    EXPECT_FALSE(FakeModuleLoaded());

    // A module that cannot be loaded says so and leaves the reply fields
    // untouched.
    TTestInfo untouched{};
    untouched.Countdown = -5;
    EXPECT_FALSE(host.QueryModuleInfo("/nonexistent/X.TST", untouched));
    EXPECT_EQ(untouched.Countdown, -5);
    EXPECT_EQ(untouched.Title.Length, 0);

    // A path that does not fit a short string is refused, not truncated.
    EXPECT_FALSE(host.QueryModuleInfo("/" + std::string(300, 'a') + ".TST", untouched));
}

TEST_F(ModuleHostTest, EveryLoadStartsWithFreshModuleData)
{
    BindModule(FAKE_MODULE_PATH);
    host.SendModuleMessage(MSG_PAINT);
    host.SendModuleMessage(MSG_PAINT);
    ASSERT_EQ(BoundJournal()->count.load(), 2);
    UnbindModule();
    EXPECT_FALSE(FakeModuleLoaded());
    BindModule(FAKE_MODULE_PATH);
    EXPECT_EQ(BoundJournal()->count.load(), 0);
}

TEST_F(ModuleHostTest, StatusRecordIsFilledForATest)
{
    TTestStatus& status = host.Status();
    status.Joy1X = -10; // input fields carry over from before the test
    status.KeyDown[37] = 1;
    status.ElapsedMs = 999;
    canvas.SetDeviceContext(77);
    ASSERT_TRUE(host.FillTestStatus("/opt/kestrava/TESTS/sub/ZEK.TST", 60000, 1.5));
    EXPECT_EQ(ShortStringToUtf8(status.ModulePath), "/opt/kestrava/TESTS/sub/ZEK.TST");
    EXPECT_EQ(ShortStringToUtf8(status.ModuleDir), "/opt/kestrava/TESTS/sub/");
    EXPECT_EQ(status.ElapsedMs, 0u);
    EXPECT_EQ(status.DurationMs, 60000u);
    EXPECT_EQ(status.Scale, 1.5);
    EXPECT_EQ(status.DC, 77u);
    EXPECT_EQ(status.Joy1X, -10);
    EXPECT_EQ(status.KeyDown[37], 1);
    EXPECT_EQ(status.OnTestEnd.Context, &host);
    EXPECT_NE(status.StopSound.Code, nullptr);
    EXPECT_FALSE(host.FillTestStatus("/" + std::string(300, 'b'), 1, 1.0));
}

TEST_F(ModuleHostTest, DeviceContextIsFreshForEveryMessageAndTestEndReachesTheHandler)
{
    int ended = 0;
    host.SetTestEndHandler([&] { ++ended; });
    ASSERT_TRUE(host.FillTestStatus(FAKE_MODULE_PATH, 30, 1.0));
    BindModule(FAKE_MODULE_PATH);
    host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    canvas.SetDeviceContext(5);
    host.SendModuleMessage(MSG_PAINT);
    canvas.SetDeviceContext(9);
    host.SendModuleMessage(MSG_PAINT);
    Journal* journal = BoundJournal();
    EXPECT_EQ(journal->dc[1], 5u);
    EXPECT_EQ(journal->dc[2], 9u);

    for (uint32_t e = 0; e <= 30; e += 10) {
        host.Status().ElapsedMs = e;
        host.SendModuleMessage(MSG_TICK);
    }
    EXPECT_EQ(ended, 1);
}

TEST_F(ModuleHostTest, TickAndInputThreadsNeverEnterTheModuleTogether)
{
    BindModule(FAKE_MODULE_PATH);
    Journal* journal = BoundJournal();
    ASSERT_NE(journal, nullptr);
    std::atomic<bool> go{false};
    std::thread tick([&] {
        while (!go.load()) {
        }
        for (int i = 0; i < 1500; ++i)
            host.SendModuleMessage(MSG_TICK);
    });
    go.store(true);
    for (int i = 0; i < 1500; ++i)
        host.SendModuleMessage(MSG_KEYUP, 40);
    tick.join();
    EXPECT_EQ(journal->mostInside.load(), 1);
    EXPECT_EQ(journal->count.load(), 3000);
}

TEST(CallProgramFileTest, ProgramChoosesTestsAndReturnsItsText)
{
    TProgEntry entries[3]{};
    entries[0].KeepsResults = 1;
    entries[2].KeepsResults = 1;
    EXPECT_EQ(CallProgramFile(FAKE_PROGRAM_PATH, entries, 3), "2 gewählt");
    EXPECT_EQ(entries[0].Chosen, 1);
    EXPECT_EQ(entries[1].Chosen, 0);
    EXPECT_EQ(entries[2].Chosen, 1);

    TProgEntry untouched[1]{};
    untouched[0].KeepsResults = 1;
    EXPECT_EQ(CallProgramFile("/nonexistent/P.PRG", untouched, 1), "");
    EXPECT_EQ(CallProgramFile(NO_ENTRY_PATH, untouched, 1), "");
    EXPECT_EQ(untouched[0].Chosen, 0);
}

// A player that keeps slots in memory, for the sound callbacks.
class FakePlayer : public SoundPlayer {
public:
    int32_t AddSound(const std::string& path) override
    {
        for (int32_t s = 0; s < kSlots; ++s)
            if (loaded[s].empty()) {
                loaded[s] = path;
                temporary[s] = true;
                return s;
            }
        return -1;
    }
    void FreeSound(int32_t slot) override { loaded[slot].clear(), playing[slot] = false; }
    bool HoldsSound(int32_t slot) const override { return !loaded[slot].empty(); }
    bool IsPlaying(int32_t slot) const override { return playing[slot]; }
    void SetTemporary(int32_t slot, bool t) override { temporary[slot] = t; }
    void StopSound(int32_t slot) override
    {
        playing[slot] = false;
        if (temporary[slot])
            FreeSound(slot);
    }
    void Start(int32_t slot, int16_t p, uint16_t v, bool) override
    {
        pan[slot] = p;
        volume[slot] = v;
        playing[slot] = true;
    }
    std::string loaded[kSlots];
    bool playing[kSlots]{};
    bool temporary[kSlots]{};
    int16_t pan[kSlots]{};
    uint16_t volume[kSlots]{};
};

TEST(SoundTableTest, UnknownNamesAndMissingPlayerPlayNothing)
{
    SoundTable table;
    EXPECT_EQ(table.PlaySound("BEEP", 65535, 0), -1);
    table.Add("beep", "/s/beep.wav");
    EXPECT_EQ(table.PlaySound("beep", 65535, 0), -1); // no player yet
    FakePlayer player;
    table.SetPlayer(&player);
    EXPECT_EQ(table.PlaySound("other", 65535, 0), -1);
    table.StopSound(-1);
    table.StopSound(16);
    table.LoadSound("other");
    for (const std::string& path : player.loaded)
        EXPECT_TRUE(path.empty());
}

TEST(SoundTableTest, TemporaryAndPermanentSlots)
{
    SoundTable table;
    FakePlayer player;
    table.SetPlayer(&player);
    table.SetMasterVolume(32768);
    table.Add("beep", "/s/old.wav");
    table.Add("BEEP", "/s/beep.wav"); // the last entry of a name counts

    int32_t temp = table.PlaySound("Beep", 65535, -300);
    ASSERT_EQ(temp, 0);
    EXPECT_EQ(player.loaded[0], "/s/beep.wav");
    EXPECT_EQ(player.volume[0], 32768);
    EXPECT_EQ(player.pan[0], -300);
    table.StopSound(temp); // temporary: released when stopped
    EXPECT_FALSE(player.HoldsSound(0));

    table.LoadSound("beep");
    int32_t permanent = table.Entries().back().slot;
    ASSERT_EQ(permanent, 0);
    EXPECT_EQ(table.PlaySound("beep", 32768, 0), permanent);
    EXPECT_EQ(player.volume[0], 16384); // 32768/65535*32768 = 16384.25
    // While the permanent slot plays, a second play takes a temporary slot.
    int32_t second = table.PlaySound("beep", 65535, 0);
    EXPECT_EQ(second, 1);
    table.StopSound(permanent); // permanent: stopped, kept
    EXPECT_TRUE(player.HoldsSound(permanent));
    EXPECT_FALSE(player.IsPlaying(permanent));

    table.ReleaseAll();
    for (int32_t s = 0; s < SoundPlayer::kSlots; ++s)
        EXPECT_FALSE(player.HoldsSound(s));
    EXPECT_EQ(table.Entries().back().slot, -1);
}

TEST_F(ModuleHostTest, ModulePlaysSoundsThroughTheCallback)
{
    FakePlayer player;
    host.Sounds().SetPlayer(&player);
    ASSERT_TRUE(host.FillTestStatus(FAKE_MODULE_PATH, 1000, 1.0));
    BindModule(FAKE_MODULE_PATH);
    host.SendModuleMessage(MSG_INIT, reinterpret_cast<uintptr_t>(&host.Status()));
    TArgCell cells[3] = {'P', 0, 0};
    host.SendModuleMessage(MSG_KEYDOWN, cells);
    EXPECT_EQ(static_cast<int32_t>(cells[1]), -1); // "beep" is not in the table
    host.Sounds().Add("BEEP", "/s/beep.wav");
    cells[0] = 'P';
    host.SendModuleMessage(MSG_KEYDOWN, cells);
    EXPECT_EQ(static_cast<int32_t>(cells[1]), 0);
    EXPECT_TRUE(player.IsPlaying(0));
}

} // namespace
} // namespace kestrava
