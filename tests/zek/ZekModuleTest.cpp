// The built ZEK.TST, loaded the way the host loads it and driven through its
// one export.
#include "ZekTestSupport.h"

#include "modules/zek/ZekResult.h"
#include "modules/zek/ZekState.h"
#include "protocol/MyMessages.h"

#include <cstring>
#include <filesystem>
#include <memory>

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

} // namespace
} // namespace kestrava::zek::testing
