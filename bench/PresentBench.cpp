// Presenting the back buffer on a real X display, both ways SDL offers:
// the window surface (dirty rectangles only) and a renderer texture (the
// whole frame each time). Run under a virtual display:
//   xvfb-run -s '-screen 0 1920x1080x24' build/bench/bench_present
// Targets: a 150 x 150 rectangle under 0.5 ms, a full frame under 3 ms
// (median of 200 presents each).
#include "platform/sdl/SdlBackend.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using kestrava::sdl::PresentPath;
using kestrava::sdl::SdlBackend;

// One window at a time: the presentation path is chosen when the window is
// made, so switching paths means a new window.
SdlBackend* BackendFor(PresentPath path)
{
    static std::unique_ptr<SdlBackend> backend;
    if (backend && backend->Path() == path)
        return backend.get();
    backend.reset();
    backend = std::make_unique<SdlBackend>(path);
    std::string error;
    if (!backend->Open(error)) {
        backend.reset();
        return nullptr;
    }
    // Let the window map and settle before timing anything.
    while (backend->WaitEvent(200)) {
    }
    return backend.get();
}

void Present(benchmark::State& state, PresentPath path, bool fullFrame)
{
    SdlBackend* backend = BackendFor(path);
    if (!backend) {
        state.SkipWithError("no display (run under xvfb-run)");
        return;
    }
    kestrava::gdi::Bitmap back(backend->ScreenWidth(), backend->ScreenHeight());
    const kestrava::gdi::Rect rect =
        fullFrame ? kestrava::gdi::Rect{0, 0, back.Width(), back.Height()} : kestrava::gdi::Rect{600, 400, 750, 550};
    std::vector<double> times;
    times.reserve(size_t(state.max_iterations));
    uint32_t shade = 0;
    for (auto _ : state) {
        // New content each time, so nothing can be skipped as unchanged.
        back.Fill(0xFF000000u | (shade++ * 0x010305u & 0xFFFFFFu));
        auto start = std::chrono::steady_clock::now();
        backend->Present(back, {rect});
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        backend->WaitEvent(0); // keep the event queue drained, as the program does
    }
    state.SetLabel(backend->PresentInfo());
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["p90_ms"] = times[times.size() * 9 / 10];
    state.counters["width"] = back.Width();
    state.counters["height"] = back.Height();
}

void SurfaceRect(benchmark::State& s) { Present(s, PresentPath::WindowSurface, false); }
void SurfaceFull(benchmark::State& s) { Present(s, PresentPath::WindowSurface, true); }
void RendererRect(benchmark::State& s) { Present(s, PresentPath::Renderer, false); }
void RendererFull(benchmark::State& s) { Present(s, PresentPath::Renderer, true); }

BENCHMARK(SurfaceRect)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(SurfaceFull)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(RendererRect)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(RendererFull)->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
