// The built MFR.TST, loaded the way the host loads it and driven through its
// one export: its info, its tones by name through the callbacks, the sound
// end and the state block. Whole runs with their records are played by the
// host's own code in the integration and program tests.
#include "MfrTestSupport.h"

#include "host/results/ResultReaders.h"
#include "modules/mfr/MfrState.h"
#include "protocol/MyMessages.h"

#include <cstring>
#include <random>

#include <dlfcn.h>

namespace kestrava::mfr::testing {
namespace {

struct HostLog {
    std::vector<std::string> calls;
    int ends = 0;
    int32_t slot = 3;
};
HostLog g_host;

void OnEnd(void* context)
{
    EXPECT_EQ(context, &g_host);
    ++g_host.ends;
}
int32_t OnPlay(void* context, const TShortString* name, uint16_t volume, int16_t pan)
{
    EXPECT_EQ(context, &g_host);
    g_host.calls.push_back("play " + std::string(ShortStringView(*name)) + " " + std::to_string(volume) + " " +
                           std::to_string(pan));
    return g_host.slot;
}
void OnLoad(void*, const TShortString* name) { g_host.calls.push_back("load " + std::string(ShortStringView(*name))); }
void OnUnload(void*, const TShortString* name)
{
    g_host.calls.push_back("unload " + std::string(ShortStringView(*name)));
}
void OnStop(void*, int32_t slot) { g_host.calls.push_back("stop " + std::to_string(slot)); }

class MfrModule : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_library = ::dlopen(MFR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_library, nullptr) << ::dlerror();
        s_dispatch = reinterpret_cast<TDispatchMessageProc>(::dlsym(s_library, KESTRAVA_DISPATCH_SYMBOL));
        ASSERT_NE(s_dispatch, nullptr);
    }
    static void TearDownTestSuite() { ::dlclose(s_library); }
    void SetUp() override
    {
        ASSERT_NE(s_dispatch, nullptr);
        g_host = HostLog{};
    }
    void TearDown() override { Send(MSG_STOP); }

    static void Send(uint32_t code, TArgCell cell0 = 0)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {cell0, 0, 0};
        s_dispatch(code, cells);
    }
    static TArgCell Address(const void* p) { return reinterpret_cast<TArgCell>(p); }
    TTestInfo Info()
    {
        TTestInfo info;
        std::memset(&info, 0xCC, sizeof info);
        SetShortStringUtf8(info.ModulePath, m_folder.File("MFR.TST"));
        Send(MSG_INFO, Address(&info));
        return info;
    }
    MfrState* Block(uint32_t code = MSG_SAVESTATE)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {0, 0, 0};
        s_dispatch(code, cells);
        EXPECT_EQ(cells[1], sizeof(MfrState));
        return reinterpret_cast<MfrState*>(cells[0]);
    }
    void Init(uint32_t durationMs)
    {
        m_status = TTestStatus{};
        SetShortStringUtf8(m_status.ModulePath, m_folder.File("MFR.TST"));
        SetShortStringUtf8(m_status.ModuleDir, m_folder.Path().string() + "/");
        m_status.Scale = 1.0;
        m_status.DurationMs = durationMs;
        m_status.OnTestEnd = {OnEnd, &g_host};
        m_status.PlaySound = {OnPlay, &g_host};
        m_status.LoadSound = {OnLoad, &g_host};
        m_status.UnloadSound = {OnUnload, &g_host};
        m_status.StopSound = {OnStop, &g_host};
        Send(MSG_INIT, Address(&m_status));
    }
    // Ticks on until the block shows a tone, at most to `limit`.
    uint32_t TickUntilTone(uint32_t from, uint32_t limit, const MfrState& s)
    {
        uint32_t e = from;
        for (; e <= limit && s.Tone == kToneNone; e += 10) {
            m_status.ElapsedMs = e;
            Send(MSG_TICK);
        }
        return e;
    }

    ScratchFolder m_folder;
    TTestStatus m_status{};
    static inline void* s_library = nullptr;
    static inline TDispatchMessageProc s_dispatch = nullptr;
};

TEST_F(MfrModule, InfoAnswersFromTheIniBesideTheModule)
{
    TTestInfo info = Info();
    EXPECT_EQ(ShortStringView(info.Title), "Mehrfachreaktion");
    EXPECT_EQ(info.KeepsResults, 1);
    EXPECT_EQ(info.MinDuration, 60000);
    EXPECT_EQ(info.MaxDuration, 3600000);
    EXPECT_EQ(info.DurationStep, 30000);
    EXPECT_EQ(info.DefaultDuration, 300000);
    EXPECT_EQ(info.Countdown, 3000);
    m_folder.WriteFile("MFR.ini", "[GLOBAL]\nMAX=600000\nCOUNTDOWN=0\n");
    info = Info();
    EXPECT_EQ(info.MaxDuration, 600000);
    EXPECT_EQ(info.Countdown, 0);
}

TEST_F(MfrModule, TonesPlayByNameAtTheSetVolumeAndASoundEndIsHeard)
{
    m_folder.WriteFile("MFR.ini", "[GLOBAL]\nSEED=11\n[STIMULI]\nLAMPS=0\nTONES=1\nBOTH=0\n[TONES]\nVOLUME=40000\n");
    Init(600000);
    EXPECT_EQ(g_host.calls, (std::vector<std::string>{"load MFRTIEF", "load MFRHOCH"}));
    MfrState* s = Block();
    ASSERT_NE(s, nullptr);

    // The first tone: its end is reported, so answering it stops nothing.
    uint32_t e = TickUntilTone(0, 5000, *s);
    ASSERT_NE(s->Tone, kToneNone);
    const std::string first = s->Tone == kToneHigh ? "play MFRHOCH 40000 0" : "play MFRTIEF 40000 0";
    EXPECT_EQ(g_host.calls.back(), first);
    Send(MSG_SOUNDEND, 3);
    Send(MSG_KEYDOWN, s->Tone == kToneHigh ? 32 : 17);
    EXPECT_EQ(s->Correct, 1);
    EXPECT_EQ(g_host.calls.back(), first);

    // The second one still sounds when a wrong key ends it: stopped.
    g_host.slot = 7;
    e = TickUntilTone(e, e + 10000, *s);
    ASSERT_NE(s->Tone, kToneNone);
    Send(MSG_SOUNDEND, 3);  // another slot's end changes nothing
    Send(MSG_KEYDOWN, s->Tone == kToneHigh ? 17 : 32);
    EXPECT_EQ(s->Errors, 1);
    EXPECT_EQ(g_host.calls.back(), "stop 7");
    EXPECT_EQ(g_host.ends, 0);
}

TEST_F(MfrModule, StateMessagesNameOneBlockAndNullArgumentsAreIgnored)
{
    MfrState* saved = Block(MSG_SAVESTATE);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(Block(MSG_RESTORESTATE), saved);
    for (uint32_t code = 0; code <= 20; ++code) {
        s_dispatch(code, nullptr);
        Send(code, 0);
    }
    Send(MSG_SOUNDEND, ~TArgCell{0});
    EXPECT_EQ(g_host.ends, 0);
}

// A saved run's block is untrusted: whatever bytes the host copies in, the
// module corrects them before it uses them, and the record stays a record.
TEST_F(MfrModule, ARandomRestoredBlockIsCorrectedAndItsRecordStaysWithinRange)
{
    Info();
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        Init(30300);
        m_status.ElapsedMs = 30000;
        MfrState* s = Block(MSG_RESTORESTATE);
        std::mt19937 random(seed);
        auto* bytes = reinterpret_cast<uint8_t*>(s);
        for (size_t i = 0; i < sizeof *s; ++i)
            bytes[i] = static_cast<uint8_t>(random());
        Send(MSG_PAINT);
        EXPECT_TRUE(s->Lamp >= 0 && s->Lamp <= 4) << s->Lamp;
        EXPECT_TRUE(s->Tone >= kToneNone && s->Tone <= kToneHigh) << s->Tone;
        EXPECT_TRUE(s->LastOutcome >= kOutcomeNone && s->LastOutcome <= kOutcomeMissed);
        EXPECT_TRUE(s->Interval >= 700 && s->Interval <= 3000) << s->Interval;
        EXPECT_TRUE(s->Stimuli >= 0 && s->Stimuli <= 3001) << s->Stimuli;
        EXPECT_TRUE(s->Correct >= 0 && s->Errors >= 0 && s->Missed >= 0 && s->FalseKeys >= 0);
        EXPECT_EQ(s->Correct + s->Errors + s->Missed, s->Stimuli);
        EXPECT_LE(s->ReactionSumMs, uint64_t(s->Correct) * 60010);
        if (s->Lamp != 0 || s->Tone != kToneNone) {
            EXPECT_LE(s->Onset, 30000u);
            EXPECT_TRUE(s->Window >= 700 && s->Window <= 3000) << s->Window;
        }
        EXPECT_LE(s->NextOnset, 30000u + 3300);
        for (uint32_t e = 30000; e <= 30300; e += 10) {
            m_status.ElapsedMs = e;
            Send(MSG_TICK);
        }
        Send(MSG_STOP);
        const LastRecord last = ReadLastRecord(m_folder.File("MFR.RLT"));
        ASSERT_TRUE(last.present);
        ASSERT_EQ(last.record.parts.size(), 4u);
        for (size_t p = 0; p < 3; ++p)
            EXPECT_TRUE(last.record.parts[p] >= 0.0 && last.record.parts[p] <= 100.0) << last.record.parts[p];
        EXPECT_TRUE(last.record.parts[3] >= -60010.0 && last.record.parts[3] <= 0.0) << last.record.parts[3];
        EXPECT_TRUE(last.record.overall >= 0.0 && last.record.overall <= 100.0) << last.record.overall;
    }
    EXPECT_EQ(g_host.ends, 12);
}

} // namespace
} // namespace kestrava::mfr::testing
