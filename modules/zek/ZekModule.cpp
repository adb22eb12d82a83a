// ZEK.TST's only export. It unpacks the host's argument block and forwards
// to the simulation.
//
// The state lives in globals: the host loads the module afresh for every
// test and never enters it from two threads at once (it holds the test
// area's lock for the whole call), so one test per process and no locking.
#include "modules/zek/ZekPainter.h"
#include "modules/zek/ZekResult.h"
#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekSimulation.h"
#include "modules/zek/ZekSources.h"
#include "modules/zek/ZekState.h"
#include "platform/gdi/Paths.h"
#include "protocol/MyMessages.h"

#include <cstdio>
#include <exception>
#include <type_traits>

namespace {

using namespace kestrava::zek;

ZekState g_state;
SeededRandom g_random;
SystemClock g_clock;
ZekSimulation g_simulation(g_state, g_random, g_clock);
ZekPainter g_painter(g_simulation.Settings());
// The host's status record from MSG_INIT until MSG_STOP; the host keeps it
// alive that long and never moves it.
const TTestStatus* g_status = nullptr;
// The host has been told where the block is (MSG_RESTORESTATE) and may
// have copied a saved one in; it is checked before anything uses it.
bool g_restored = false;

Joysticks CurrentJoysticks(const TTestStatus& status)
{
    Joysticks joysticks;
    joysticks.Joy1X = status.Joy1X;
    joysticks.Joy1Y = status.Joy1Y;
    joysticks.Joy2Y = status.Joy2Y;
    return joysticks;
}

// [any message thread] Reads the settings beside the module and answers.
void OnInfo(TTestInfo& info)
{
    const std::string iniPath = kestrava::ChangeFileExt(kestrava::ShortStringToUtf8(info.ModulePath), ".ini");
    const ZekSettings settings = ReadZekSettings(iniPath);
    g_simulation.SetSettings(settings);

    kestrava::SetShortString(info.Title, "ZEK-Test");
    info.KeepsResults = 1;
    info.MinDuration = settings.MinDuration;
    info.MaxDuration = settings.MaxDuration;
    info.DurationStep = 1000;
    info.DefaultDuration = settings.DefaultDuration;
    info.Countdown = settings.Countdown;
}

// [ui-thread]
void OnInit(const TTestStatus& status)
{
    g_status = &status;
    g_painter.SetStatus(&status);
    g_simulation.SetView(&g_painter);
    g_random.Seed(ClockSeed());
    g_simulation.Init();
}

// [tick-thread] The tick that meets the duration writes the record and
// tells the host; OnTestEnd is called from inside this message, as the host
// expects.
void OnTick(const TTestStatus& status)
{
    const uint32_t elapsed = status.ElapsedMs;
    if (g_simulation.Tick(elapsed, status.DurationMs, CurrentJoysticks(status)) != TickOutcome::Finished)
        return;
    // Nothing between here and OnTestEnd may throw past it: a test whose
    // end is never reported leaves the host waiting for good. AppendResult
    // reports an empty path as a failed write.
    std::string resultPath;
    try {
        const std::string modulePath = kestrava::ShortStringToUtf8(status.ModulePath);
        if (!modulePath.empty())
            resultPath = kestrava::ChangeFileExt(modulePath, ".RLT");
    } catch (const std::exception&) {
        resultPath.clear();
    }
    AppendResult(resultPath, MakeResultRecord(g_state, elapsed, LocalTimestampNow()), status.OnTestEnd);
}

void NameStateBlock(TArgCell* cells)
{
    cells[0] = reinterpret_cast<TArgCell>(&g_state);
    cells[1] = sizeof g_state;
}

void Dispatch(uint32_t code, TArgCell* cells)
{
    if (g_restored && g_status && code != MSG_RESTORESTATE && code != MSG_SAVESTATE) {
        g_restored = false;
        CorrectRestoredState(g_state, g_status->ElapsedMs);
    }
    switch (code) {
    case MSG_INFO:
        if (auto* info = reinterpret_cast<TTestInfo*>(cells[0]))
            OnInfo(*info);
        break;
    case MSG_INIT:
        if (auto* status = reinterpret_cast<const TTestStatus*>(cells[0])) {
            g_restored = false;
            OnInit(*status);
        }
        break;
    case MSG_STOP:
        g_simulation.Stop();
        g_painter.SetStatus(nullptr);
        g_status = nullptr;
        break;
    case MSG_RESIZE:
        if (g_status)
            g_simulation.Resize();
        break;
    case MSG_PAINT:
        if (g_status)
            g_simulation.Paint();
        break;
    case MSG_KEYDOWN:
        // Key codes are bytes; anything larger is not a key.
        if (g_status && cells[0] <= 0xFF)
            g_simulation.KeyDown(static_cast<uint32_t>(cells[0]), g_status->ElapsedMs);
        break;
    case MSG_TICK:
        if (g_status)
            OnTick(*g_status);
        break;
    case MSG_RESTORESTATE:
        g_restored = true;
        NameStateBlock(cells);
        break;
    case MSG_SAVESTATE:
        NameStateBlock(cells);
        break;
    default:
        break;
    }
}

} // namespace

// The host's calls arrive here: [ui-thread] for everything but MSG_TICK,
// which comes on [tick-thread]; never two at once. An exception escaping
// into the host would end it, so every failure stops at this line and is
// reported on stderr; the message is then simply left.
extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    if (!cells)
        return;
    try {
        Dispatch(code, cells);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ZEK: message %u failed: %s\n", code, e.what());
    } catch (...) {
        std::fprintf(stderr, "ZEK: message %u failed\n", code);
    }
}

static_assert(std::is_same_v<decltype(&DispatchMessage), TDispatchMessageProc>,
              "the export must match the protocol's entry type");
