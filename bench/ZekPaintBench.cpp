// The ZEK screen at scale 2.4 (a 1920-pixel-wide test area): the paint of
// the tracking fields (targets: under 0.3 ms), the full repaint (under 5 ms)
// and loading and scaling the ten pictures (under 20 ms).
#include "modules/zek/ZekPainter.h"
#include "modules/zek/ZekSettings.h"
#include "modules/zek/ZekState.h"
#include "platform/gdi/Bitmap.h"

#include <benchmark/benchmark.h>

using namespace kestrava;
using namespace kestrava::zek;

namespace {

struct Scene {
    Scene()
        : screen(1920, 1440)
    {
        status.DC = screen.Handle();
        status.Scale = 2.4;
        SetShortStringUtf8(status.ModuleDir, KESTRAVA_MODULE_DIR "/");
        painter.SetStatus(&status);
        painter.LoadImages();
        state.TargetX = state.TargetXDrawn = 300;
        state.TargetY = state.TargetYDrawn = 200;
        state.CursorX = state.CursorXDrawn = 320;
        state.CursorY = state.CursorYDrawn = 230;
        state.VTargetY = state.VTargetYDrawn = 200;
        state.VCursorY = state.VCursorYDrawn = 240;
        state.Light = 3;
        SetShortStringUtf8(state.TaskText, "57 + 8 + 3 = ?");
        SetShortStringUtf8(state.AnswerText, "6");
    }
    // One step of movement, as between two paints at the default rates.
    void Move(int i)
    {
        const double d = (i % 2) ? 3.0 : -3.0;
        state.TargetXDrawn = state.TargetX, state.TargetYDrawn = state.TargetY;
        state.CursorXDrawn = state.CursorX, state.CursorYDrawn = state.CursorY;
        state.VTargetYDrawn = state.VTargetY, state.VCursorYDrawn = state.VCursorY;
        state.TargetX += d, state.TargetY += d;
        state.CursorX -= d, state.VTargetY += d, state.VCursorY -= d;
    }
    gdi::Bitmap screen;
    TTestStatus status{};
    ZekSettings settings;
    ZekPainter painter{settings};
    ZekState state{};
};

void BM_PaintTrackingFields(benchmark::State& run)
{
    Scene scene;
    int i = 0;
    for (auto _ : run) {
        scene.Move(i++);
        scene.painter.PaintTrackingFields(scene.state);
    }
    if (scene.painter.MissingPictures() != 0)
        run.SkipWithError("pictures missing");
}
BENCHMARK(BM_PaintTrackingFields)->Unit(benchmark::kMillisecond);

void BM_PaintAll(benchmark::State& run)
{
    Scene scene;
    for (auto _ : run)
        scene.painter.PaintAll(scene.state);
}
BENCHMARK(BM_PaintAll)->Unit(benchmark::kMillisecond);

void BM_LoadImages(benchmark::State& run)
{
    Scene scene;
    for (auto _ : run)
        scene.painter.LoadImages();
    if (scene.painter.MissingPictures() != 0)
        run.SkipWithError("pictures missing");
}
BENCHMARK(BM_LoadImages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
