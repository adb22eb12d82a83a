// The built ZEK.TST, loaded the way the host loads it and driven through its
// one export.
#include "ZekTestSupport.h"

#include "host/results/ResultReaders.h"
#include "modules/zek/ZekResult.h"
#include "modules/zek/ZekState.h"
#include "protocol/MyMessages.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#include <dlfcn.h>

namespace kestrava::zek::testing {
namespace {

int g_testEnds = 0;
void CountTestEnd(void* context)
{
    EXPECT_EQ(context, &g_testEnds);
    ++g_testEnds;
}

class ZekModule : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_library = ::dlopen(ZEK_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_library, nullptr) << ::dlerror();
        s_dispatch = reinterpret_cast<TDispatchMessageProc>(::dlsym(s_library, KESTRAVA_DISPATCH_SYMBOL));
        ASSERT_NE(s_dispatch, nullptr);
    }
    static void TearDownTestSuite() { ::dlclose(s_library); }

    void SetUp() override
    {
        ASSERT_NE(s_dispatch, nullptr);
        g_testEnds = 0;
    }
    // The module may hold the status record until MSG_STOP; every test's
    // record dies with the test.
    void TearDown() override { Send(MSG_STOP); }

    static void Send(uint32_t code, TArgCell cell0 = 0)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {cell0, 0, 0};
        s_dispatch(code, cells);
    }
    static TArgCell Address(const void* p) { return reinterpret_cast<TArgCell>(p); }

    TTestInfo Info(const std::string& modulePath)
    {
        TTestInfo info;
        std::memset(&info, 0xCC, sizeof info);
        SetShortStringUtf8(info.ModulePath, modulePath);
        Send(MSG_INFO, Address(&info));
        return info;
    }
    ZekState* StateBlock(uint32_t code = MSG_SAVESTATE)
    {
        TArgCell cells[KESTRAVA_ARG_CELLS] = {0, 0, 0};
        s_dispatch(code, cells);
        EXPECT_EQ(cells[1], sizeof(ZekState));
        return reinterpret_cast<ZekState*>(cells[0]);
    }

    ScratchFolder m_folder;

    static inline void* s_library = nullptr;
    static inline TDispatchMessageProc s_dispatch = nullptr;
};

TEST_F(ZekModule, InfoAnswersFromTheIniBesideTheModule)
{
    TTestInfo info = Info(m_folder.File("ZEK.TST"));
    EXPECT_EQ(ShortStringView(info.Title), "ZEK-Test");
    EXPECT_EQ(info.KeepsResults, 1);
    EXPECT_EQ(info.MinDuration, 60000);
    EXPECT_EQ(info.MaxDuration, 7200000);
    EXPECT_EQ(info.DurationStep, 1000);
    EXPECT_EQ(info.DefaultDuration, 600000);
    EXPECT_EQ(info.Countdown, 2000);

    m_folder.WriteFile("ZEK.ini", "[GLOBAL]\nMIN=120000\nCOUNTDOWN=0\n");
    info = Info(m_folder.File("ZEK.TST"));
    EXPECT_EQ(info.MinDuration, 120000);
    EXPECT_EQ(info.Countdown, 0);
    EXPECT_EQ(info.MaxDuration, 7200000);
}

TEST_F(ZekModule, StateMessagesNameTheBlockAndChangeNothing)
{
    ZekState* saved = StateBlock(MSG_SAVESTATE);
    ASSERT_NE(saved, nullptr);
    ZekState before;
    std::memcpy(&before, saved, sizeof before);
    EXPECT_EQ(StateBlock(MSG_RESTORESTATE), saved);
    EXPECT_EQ(std::memcmp(&before, saved, sizeof before), 0);
}

TEST_F(ZekModule, NullArgumentsAreIgnored)
{
    for (uint32_t code = 0; code <= 20; ++code) {
        s_dispatch(code, nullptr);
        Send(code, 0);  // a null TTestInfo or TTestStatus, and no MSG_INIT before a tick
    }
    Send(MSG_KEYDOWN, kKeyDigit0);
    EXPECT_EQ(g_testEnds, 0);
}

TEST_F(ZekModule, ShortRunWritesOneRecordAndEndsTheTestOnce)
{
    const std::string modulePath = m_folder.File("ZEK.TST");
    Info(modulePath);
    TTestStatus status{};
    SetShortStringUtf8(status.ModulePath, modulePath);
    SetShortStringUtf8(status.ModuleDir, m_folder.Path().string() + "/");
    status.Scale = 1.0;
    status.DurationMs = 100;
    status.OnTestEnd = {CountTestEnd, &g_testEnds};
    Send(MSG_INIT, Address(&status));
    Send(MSG_PAINT);
    Send(MSG_RESIZE);

    const std::string resultPath = m_folder.File("ZEK.RLT");
    for (uint32_t e = 0; e < 100; e += 10) {
        status.ElapsedMs = e;
        Send(MSG_TICK);
    }
    status.ElapsedMs = 50;
    Send(MSG_KEYDOWN, kKeyDigit0 + 7);
    Send(MSG_KEYDOWN, 0x100 + kKeyDigit0 + 8);  // no key code
    ZekState* state = StateBlock();
    EXPECT_EQ(ShortStringView(state->AnswerText), "7");
    EXPECT_EQ(state->LastKeyTime, 50u);
    EXPECT_EQ(g_testEnds, 0);
    EXPECT_FALSE(std::filesystem::exists(resultPath));

    status.ElapsedMs = 100;
    Send(MSG_TICK);
    EXPECT_EQ(g_testEnds, 1);
    status.ElapsedMs = 110;
    Send(MSG_TICK);
    EXPECT_EQ(g_testEnds, 1);
    EXPECT_EQ(state->SamplesV, 5);
    EXPECT_EQ(std::filesystem::file_size(resultPath), 1028u + 56u);

    // The next test in the same binding starts from scratch.
    Send(MSG_INIT, Address(&status));
    EXPECT_EQ(state->SamplesV, 0);
    EXPECT_EQ(state->TargetX, 300.0);
}

// A saved run's block is untrusted: whatever bytes the host copies in, the
// module corrects them before it uses them, and the record stays a record.
TEST_F(ZekModule, ARandomRestoredBlockIsCorrectedAndItsRecordStaysWithinRange)
{
    const std::string modulePath = m_folder.File("ZEK.TST");
    Info(modulePath);
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        TTestStatus status{};
        SetShortStringUtf8(status.ModulePath, modulePath);
        SetShortStringUtf8(status.ModuleDir, m_folder.Path().string() + "/");
        status.Scale = 1.0;
        status.ElapsedMs = 30000;
        status.DurationMs = 30200;
        status.OnTestEnd = {CountTestEnd, &g_testEnds};
        Send(MSG_INIT, Address(&status));
        ZekState* s = StateBlock(MSG_RESTORESTATE);
        std::mt19937 random(seed);
        auto* bytes = reinterpret_cast<uint8_t*>(s);
        for (size_t i = 0; i < sizeof *s; ++i)
            bytes[i] = static_cast<uint8_t>(random());
        if (seed == 1)
            SetShortStringUtf8(s->TaskText, "7 • 8 + 3 = ?");  // a task stays, with its own value
        Send(MSG_PAINT);
        EXPECT_GE(s->Light, 0);
        EXPECT_LE(s->Light, 4);
        EXPECT_LE(s->AnswerText.Length, 5);
        for (uint8_t i = 0; i < s->AnswerText.Length; ++i)
            EXPECT_TRUE(std::isdigit(s->AnswerText.Chars[i]));
        if (seed == 1)
            EXPECT_EQ(s->TaskResult, 59);
        else
            EXPECT_EQ(s->TaskText.Length, 0) << ShortStringView(s->TaskText);
        for (double y : {s->VTargetY, s->VCursorY, s->TargetY, s->CursorY, s->TargetYDrawn, s->VCursorYDrawn})
            EXPECT_TRUE(y >= 0.0 && y <= 430.0) << y;
        for (double x : {s->TargetX, s->CursorX, s->TargetXDrawn, s->CursorXDrawn})
            EXPECT_TRUE(x >= 0.0 && x <= 640.0) << x;
        EXPECT_TRUE(std::isfinite(s->Heading) && std::isfinite(s->VHeading));
        for (auto [hits, trials] : {std::pair{s->HitsV, s->SamplesV}, {s->Hits2D, s->Samples2D},
                                    {s->LightsAnswered, s->LightsShown}, {s->TasksCorrect, s->TasksDone}}) {
            EXPECT_GE(hits, 0);
            EXPECT_LE(hits, trials);
            EXPECT_LE(trials, 3001);
        }
        EXPECT_LE(s->LightOnTime, 30000u);
        EXPECT_LE(s->TaskStartTime, 30000u);
        for (uint32_t e = 30000; e <= 30200; e += 10) {
            status.ElapsedMs = e;
            Send(MSG_TICK);
        }
        Send(MSG_STOP);
        const LastRecord last = ReadLastRecord(m_folder.File("ZEK.RLT"));
        ASSERT_TRUE(last.present);
        for (double part : last.record.parts)
            EXPECT_TRUE(part >= 0.0 && part <= 100.0) << part;
        EXPECT_TRUE(last.record.overall >= 0.0 && last.record.overall <= 100.0) << last.record.overall;
    }
    EXPECT_EQ(g_testEnds, 12);
}

} // namespace
} // namespace kestrava::zek::testing
