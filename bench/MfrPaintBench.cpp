// Mehrfachreaktion's drawing against ZEK's, in one run on the same machine,
// on the test area of a 1920 x 1080 screen (1440 x 1080, scale 1.8) and on a
// 1920-pixel-wide one (scale 2.4, as ZEK's own benchmark):
//
// - a minute of ticks (6000 MSG_TICKs) of each module's simulation with its
//   painter drawing into the area, reported per tick: what the tick thread
//   spends in the module on average. Mehrfachreaktion is answered by a
//   scripted candidate, ZEK runs with its sticks at rest;
// - the paint of one stimulus coming or going (lamps and status band), the
//   most a Mehrfachreaktion tick ever draws, and ZEK's tracking-field paint,
//   the most it draws on an ordinary tick;
// - the full repaint of both screens.
//
// Target: Mehrfachreaktion below ZEK per tick and per full repaint.
#include "modules/mfr/MfrPainter.h"
#include "modules/mfr/MfrSimulation.h"
#include "modules/zek/ZekPainter.h"
#include "modules/zek/ZekSimulation.h"
#include "platform/gdi/Bitmap.h"

#include <benchmark/benchmark.h>

using namespace kestrava;

namespace {

struct Area {
    explicit Area(int64_t width)
        : bitmap(int32_t(width), int32_t(width * 3 / 4))
    {
        status.DC = bitmap.Handle();
        status.Scale = double(width) / 800.0;
        status.DurationMs = 60000;
    }
    void Folder(const char* dir) { SetShortStringUtf8(status.ModuleDir, dir); }
    gdi::Bitmap bitmap;
    TTestStatus status{};
};

struct MfrScene {
    explicit MfrScene(int64_t width)
        : area(width)
    {
        area.Folder(KESTRAVA_MFR_DIR "/");
        painter.SetStatus(&area.status);
        simulation.SetView(&painter);
    }
    Area area;
    mfr::MfrState state{};
    mfr::BlockRandom random{state.RandomState};
    mfr::MfrSimulation simulation{state, random};
    mfr::MfrPainter painter{simulation.Settings()};
};

struct ZekScene {
    explicit ZekScene(int64_t width)
        : area(width)
    {
        area.Folder(KESTRAVA_ZEK_DIR "/");
        painter.SetStatus(&area.status);
        simulation.SetView(&painter);
    }
    Area area;
    zek::ZekState state{};
    zek::SeededRandom random;
    zek::SystemClock clock;
    zek::ZekSimulation simulation{state, random, clock};
    zek::ZekPainter painter{simulation.Settings()};
};

void BM_MfrMinutePerTick(benchmark::State& run)
{
    MfrScene scene(run.range(0));
    int64_t ticks = 0;
    for (auto _ : run) {
        scene.simulation.Init(4711);
        for (uint32_t e = 0; e <= 60000; e += 10) {
            scene.simulation.Tick(e, 60000);
            const mfr::MfrState& s = scene.state;
            if (s.Lamp != 0 && !(s.Answered & mfr::kAnsweredLamp) && e - s.Onset == 300)
                scene.simulation.KeyDown(mfr::kKeyF1 + uint32_t(s.Lamp - 1), e);
            if (s.Tone != mfr::kToneNone && !(s.Answered & mfr::kAnsweredTone) && e - s.Onset == 450)
                scene.simulation.KeyDown(mfr::ToneKey(mfr::Tone(s.Tone)), e);
            ++ticks;
        }
    }
    run.counters["per_tick"] = benchmark::Counter(double(ticks), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (scene.painter.MissingPictures() != 0)
        run.SkipWithError("pictures missing");
}
BENCHMARK(BM_MfrMinutePerTick)->Arg(1440)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_ZekMinutePerTick(benchmark::State& run)
{
    ZekScene scene(run.range(0));
    int64_t ticks = 0;
    for (auto _ : run) {
        scene.random.Seed(4711);
        scene.simulation.Init();
        for (uint32_t e = 0; e <= 60000; e += 10) {
            scene.simulation.Tick(e, 60000, zek::Joysticks{});
            ++ticks;
        }
    }
    run.counters["per_tick"] = benchmark::Counter(double(ticks), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (scene.painter.MissingPictures() != 0)
        run.SkipWithError("pictures missing");
}
BENCHMARK(BM_ZekMinutePerTick)->Arg(1440)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_MfrStimulusPaint(benchmark::State& run)
{
    MfrScene scene(run.range(0));
    scene.painter.LoadImages();
    scene.state.Interval = 1500;
    int i = 0;
    for (auto _ : run) {
        scene.state.Lamp = (i % 2) ? 1 + (i / 2) % 4 : 0;
        scene.state.LastOutcome = (i % 2) ? mfr::kOutcomeNone : mfr::kOutcomeCorrect;
        scene.painter.PaintLamps(scene.state);
        scene.painter.PaintStatus(scene.state);
        ++i;
    }
}
BENCHMARK(BM_MfrStimulusPaint)->Arg(1440)->Arg(1920)->Unit(benchmark::kMicrosecond);

void BM_ZekTrackingPaint(benchmark::State& run)
{
    ZekScene scene(run.range(0));
    scene.painter.LoadImages();
    zek::ZekState& s = scene.state;
    s.TargetX = s.TargetY = s.CursorX = s.CursorY = s.VTargetY = s.VCursorY = 300;
    int i = 0;
    for (auto _ : run) {
        const double d = (i++ % 2) ? 3.0 : -3.0;
        s.TargetXDrawn = s.TargetX, s.TargetYDrawn = s.TargetY, s.CursorXDrawn = s.CursorX;
        s.CursorYDrawn = s.CursorY, s.VTargetYDrawn = s.VTargetY, s.VCursorYDrawn = s.VCursorY;
        s.TargetX += d, s.TargetY += d, s.CursorX -= d, s.VTargetY += d, s.VCursorY -= d;
        scene.painter.PaintTrackingFields(s);
    }
}
BENCHMARK(BM_ZekTrackingPaint)->Arg(1440)->Arg(1920)->Unit(benchmark::kMicrosecond);

void BM_MfrPaintAll(benchmark::State& run)
{
    MfrScene scene(run.range(0));
    scene.painter.LoadImages();
    scene.state.Lamp = 2;
    scene.state.Interval = 1500;
    scene.state.LastOutcome = mfr::kOutcomeCorrect;
    for (auto _ : run)
        scene.painter.PaintAll(scene.state);
}
BENCHMARK(BM_MfrPaintAll)->Arg(1440)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_ZekPaintAll(benchmark::State& run)
{
    ZekScene scene(run.range(0));
    scene.painter.LoadImages();
    zek::ZekState& s = scene.state;
    s.TargetX = s.TargetY = s.CursorX = s.CursorY = s.VTargetY = s.VCursorY = 300;
    s.Light = 3;
    SetShortStringUtf8(s.TaskText, "57 + 8 + 3 = ?");
    for (auto _ : run)
        scene.painter.PaintAll(s);
}
BENCHMARK(BM_ZekPaintAll)->Arg(1440)->Arg(1920)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
