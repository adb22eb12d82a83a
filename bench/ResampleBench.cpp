// Times the resampler on the module's picture sizes: a 64 x 64 picture (a
// little larger than the module's 60 and 40 pixel sources) scaled to 144 and
// 96 pixels square, the sprite and light sizes at scale 2.4, with the Bell
// filter and support 2.0 as the scaled loader uses them. Each iteration is
// one full ResampleBitmap call, intermediate bitmap and weight lists
// included.
#include "platform/gdi/Resample.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace kestrava::gdi;

// A picture with edges and gradients in every channel, so that no sum is
// trivially zero.
Bitmap TestPicture()
{
    Bitmap picture(64, 64);
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const auto r = static_cast<uint8_t>(x * 4);
            const auto g = static_cast<uint8_t>(y * 4);
            const auto b = static_cast<uint8_t>((x / 8 + y / 8) % 2 ? 255 : 0);
            picture.SetPixel(x, y, PixelOf(Rgb(r, g, b)));
        }
    return picture;
}

void BM_Resample64To(benchmark::State& state)
{
    const auto size = static_cast<int32_t>(state.range(0));
    Bitmap source = TestPicture();
    Bitmap destination(size, size);
    for (auto _ : state) {
        ResampleBitmap(source, destination, BellFilter, 2.0f);
        benchmark::DoNotOptimize(destination.Row(0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Resample64To)->Arg(144)->Arg(96)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
