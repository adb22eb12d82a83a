// Filtered two-pass resampling: every destination column is built from a
// weighted sum of source columns (into an intermediate bitmap that is
// destination-wide and source-high), then every destination row from a
// weighted sum of intermediate rows. The weights depend only on the position,
// so they are computed once per column and once per row; the passes only
// multiply and add.
//
// Filters, weights and sums are single precision on purpose: the scaled
// pictures must come out the same bit for bit on every build, and a change of
// precision would move some channels by one step where a sum lands near a
// half. Ties round to even (the default rounding mode).
#include "platform/gdi/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace kestrava::gdi {

namespace {

constexpr float kPi = 3.14159265358979f;

float Sinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    x *= kPi;
    return std::sin(x) / x;
}

} // namespace

// The box is the one filter that is not symmetric: its interval is open at
// -0.5 and closed at 0.5, so a destination pixel that falls exactly halfway
// between two source pixels takes one of them, not both at full weight.
float BoxFilter(float x) { return x > -0.5f && x <= 0.5f ? 1.0f : 0.0f; }

float TriangleFilter(float x)
{
    const float t = std::fabs(x);
    return t < 1.0f ? 1.0f - t : 0.0f;
}

float HermiteFilter(float x)
{
    const float t = std::fabs(x);
    return t < 1.0f ? (2.0f * t - 3.0f) * t * t + 1.0f : 0.0f;
}

float BellFilter(float x)
{
    const float t = std::fabs(x);
    if (t < 0.5f)
        return 0.75f - t * t;
    if (t < 1.5f) {
        const float u = t - 1.5f;
        return 0.5f * u * u;
    }
    return 0.0f;
}

float SplineFilter(float x)
{
    const float t = std::fabs(x);
    if (t < 1.0f)
        return 0.5f * t * t * t - t * t + 2.0f / 3.0f;
    if (t < 2.0f) {
        const float u = 2.0f - t;
        return u * u * u / 6.0f;
    }
    return 0.0f;
}

float Lanczos3Filter(float x)
{
    const float t = std::fabs(x);
    return t < 3.0f ? Sinc(t) * Sinc(t / 3.0f) : 0.0f;
}

// The Mitchell-Netravali cubic with B = C = 1/3, its coefficients worked out.
float MitchellFilter(float x)
{
    const float t = std::fabs(x);
    const float t2 = t * t;
    if (t < 1.0f)
        return (7.0f * t2 * t - 12.0f * t2 + 16.0f / 3.0f) / 6.0f;
    if (t < 2.0f)
        return (-(7.0f / 3.0f) * t2 * t + 12.0f * t2 - 20.0f * t + 32.0f / 3.0f) / 6.0f;
    return 0.0f;
}

const std::array<FilterEntry, 7> FilterTable{{
    {"Box", BoxFilter, 0.5f},
    {"Triangle", TriangleFilter, 1.0f},
    {"Hermite", HermiteFilter, 1.0f},
    {"Bell", BellFilter, 1.5f},
    {"B-Spline", SplineFilter, 2.0f},
    {"Lanczos3", Lanczos3Filter, 3.0f},
    {"Mitchell", MitchellFilter, 2.0f},
}};

namespace {

// Beyond this the index range of a contributor list could leave int32 and the
// lists would hold millions of entries; no reconstruction filter reaches that
// far. A negative (or not-a-number) support describes no filter at all.
constexpr float kMaxSupport = 64.0f;

struct Contributor {
    int32_t index;
    float weight;
};

// The contributor lists of all destination columns (or rows), back to back:
// list i is entries[start[i]] up to entries[start[i + 1]].
struct ContributorLists {
    std::vector<Contributor> entries;
    std::vector<size_t> start;
};

// Sources so small that the mirrored neighbour still lies outside (a one or
// two pixel picture under a filter that reaches further) are clamped to the
// edge pixel instead.
int32_t MirrorIndex(int32_t j, int32_t size)
{
    int32_t n = j;
    if (j < 0)
        n = -j;
    else if (j >= size)
        n = 2 * size - 1 - j;
    if (n < 0)
        return 0;
    if (n >= size)
        return size - 1;
    return n;
}

float ScaleFactor(int32_t destinationSize, int32_t sourceSize)
{
    if (sourceSize == 1)
        return static_cast<float>(destinationSize) / static_cast<float>(sourceSize);
    return static_cast<float>(destinationSize - 1) / static_cast<float>(sourceSize - 1);
}

ContributorLists BuildContributors(int32_t destinationSize, int32_t sourceSize, float scale, FilterFunction filter,
                                   float support)
{
    const bool shrinking = scale < 1.0f;
    // When shrinking, the filter is stretched to cover 1/scale source pixels
    // per destination pixel and flattened by the same factor.
    const float width = shrinking ? support / scale : support;
    const float fscale = 1.0f / scale;

    ContributorLists lists;
    lists.start.reserve(static_cast<size_t>(destinationSize) + 1);
    // A list normally fits in Trunc(2 * width + 1) entries: the weights that
    // are not zero lie strictly within width of the centre. A caller may pass
    // a support smaller than the filter's own reach, though, and then every
    // one of the up to 2 * width + 3 positions from Floor(centre - width) to
    // Ceil(centre + width) can carry a weight; the lists therefore grow to the
    // actual count and the formula only sizes the first allocation.
    const auto room = static_cast<size_t>(2.0f * width + 1.0f);
    lists.entries.reserve(static_cast<size_t>(destinationSize) * room);

    for (int32_t i = 0; i < destinationSize; ++i) {
        lists.start.push_back(lists.entries.size());
        const float center = static_cast<float>(i) / scale;
        const auto left = static_cast<int32_t>(std::floor(center - width));
        const auto right = static_cast<int32_t>(std::ceil(center + width));
        for (int32_t j = left; j <= right; ++j) {
            const float distance = center - static_cast<float>(j);
            const float weight = shrinking ? filter(distance / fscale) / fscale : filter(distance);
            if (weight == 0.0f)
                continue;
            lists.entries.push_back({MirrorIndex(j, sourceSize), weight});
        }
    }
    lists.start.push_back(lists.entries.size());
    return lists;
}

uint32_t ToChannel(float sum)
{
    if (sum > 255.0f)
        return 255;
    if (sum < 0.0f)
        return 0;
    // The default rounding mode sends ties to the even integer.
    return static_cast<uint32_t>(std::nearbyint(sum));
}

Pixel ToPixel(float blue, float green, float red)
{
    return ToChannel(blue) | ToChannel(green) << 8 | ToChannel(red) << 16 | 0xFF000000u;
}

float Blue(Pixel p) { return static_cast<float>(p & 0xFF); }
float Green(Pixel p) { return static_cast<float>((p >> 8) & 0xFF); }
float Red(Pixel p) { return static_cast<float>((p >> 16) & 0xFF); }

} // namespace

void ResampleBitmap(Bitmap& source, Bitmap& destination, FilterFunction filter, float support)
{
    const int32_t sw = source.Width();
    const int32_t sh = source.Height();
    const int32_t dw = destination.Width();
    const int32_t dh = destination.Height();
    if (sw < 1 || sh < 1)
        throw ResampleError("Source bitmap too small");
    if (!(support >= 0.0f && support <= kMaxSupport))
        throw ResampleError("Filter support out of range");

    const float xscale = ScaleFactor(dw, sw);
    const float yscale = ScaleFactor(dh, sh);
    // A single destination column (or row) from a wider source makes the
    // scale 0 and leaves no position to sample at. No picture is ever scaled
    // that far; refuse it before anything is changed.
    if (!destination.Empty() && (xscale == 0.0f || yscale == 0.0f))
        throw ResampleError("Destination bitmap too small");

    Bitmap work(dw, sh);
    source.SetBitsPerPixel(24);
    destination.SetBitsPerPixel(24);
    work.SetBitsPerPixel(24);
    if (destination.Empty())
        return;

    {
        const ContributorLists columns = BuildContributors(dw, sw, xscale, filter, support);
        for (int32_t k = 0; k < sh; ++k) {
            const Pixel* in = source.Row(k);
            Pixel* out = work.Row(k);
            for (int32_t i = 0; i < dw; ++i) {
                float blue = 0.0f, green = 0.0f, red = 0.0f;
                const size_t end = columns.start[static_cast<size_t>(i) + 1];
                for (size_t c = columns.start[static_cast<size_t>(i)]; c < end; ++c) {
                    const Contributor& contributor = columns.entries[c];
                    const Pixel p = in[contributor.index];
                    blue += contributor.weight * Blue(p);
                    green += contributor.weight * Green(p);
                    red += contributor.weight * Red(p);
                }
                out[i] = ToPixel(blue, green, red);
            }
        }
    }

    // Each destination row is accumulated a whole intermediate row at a time
    // so that memory is read in order. Every pixel still adds its
    // contributions in list order, starting from zero, so the sums are the
    // same as when each pixel is summed on its own.
    const ContributorLists rows = BuildContributors(dh, sh, yscale, filter, support);
    std::vector<float> sums(static_cast<size_t>(dw) * 3);
    for (int32_t k = 0; k < dh; ++k) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        const size_t end = rows.start[static_cast<size_t>(k) + 1];
        for (size_t c = rows.start[static_cast<size_t>(k)]; c < end; ++c) {
            const Contributor& contributor = rows.entries[c];
            const Pixel* in = work.Row(contributor.index);
            float* sum = sums.data();
            for (int32_t i = 0; i < dw; ++i, sum += 3) {
                const Pixel p = in[i];
                sum[0] += contributor.weight * Blue(p);
                sum[1] += contributor.weight * Green(p);
                sum[2] += contributor.weight * Red(p);
            }
        }
        Pixel* out = destination.Row(k);
        const float* sum = sums.data();
        for (int32_t i = 0; i < dw; ++i, sum += 3)
            out[i] = ToPixel(sum[0], sum[1], sum[2]);
    }
}

void LoadScaledBitmap(Bitmap& image, const std::string& path, int32_t width, int32_t height)
{
    image = Bitmap(width, height);
    Bitmap picture;
    std::string error;
    if (!LoadBmp(path, picture, &error))
        throw std::runtime_error(error.empty() ? "Cannot read " + path : error);
    ResampleBitmap(picture, image, BellFilter, 2.0f);
}

} // namespace kestrava::gdi
