// Cursor files: every colour depth with its row order and bit order, the
// hotspot, transparency from the mask or the alpha channel, animations with
// rates and sequences, and files that lie about their sizes.
#include "platform/sdl/CursorFile.h"

#include "tests/sdl/CursorBytes.h"
#include "tests/support/Fifo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace kestrava::sdl {
namespace {

using namespace testing;

constexpr gdi::Pixel kClear = 0; // what a see-through pixel of a black colour bitmap reads as

CursorImage Decode(const Bytes& bytes)
{
    CursorImage image;
    std::string error;
    EXPECT_TRUE(DecodeCursor(bytes, image, error)) << error;
    return image;
}

std::string Reject(const Bytes& bytes)
{
    CursorImage image;
    std::string error;
    EXPECT_FALSE(DecodeCursor(bytes, image, error));
    EXPECT_TRUE(image.frames.empty());
    return error;
}

// 4 x 2, 24 bit: top row red, green, blue, white; bottom row black. The
// mask clears the top-left and bottom-right pixels.
Bytes Cursor24()
{
    Bytes top = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    Bytes bottom(12, 0);
    Bytes maskTop = {0x80, 0, 0, 0};
    Bytes maskBottom = {0x10, 0, 0, 0};
    return IconFile(2, Dib(4, 2, 24, {}, {top, bottom}, {maskTop, maskBottom}), 3, 1, 4, 2);
}

TEST(CursorFile, TrueColourCursorKeepsRowOrderHotspotAndMask)
{
    CursorImage c = Decode(Cursor24());
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_FALSE(c.Animated());
    ASSERT_EQ(c.steps.size(), 1u);
    const CursorFrame& f = c.frames[0];
    ASSERT_EQ(f.image.Width(), 4);
    ASSERT_EQ(f.image.Height(), 2);
    EXPECT_EQ(f.hotX, 3);
    EXPECT_EQ(f.hotY, 1);
    EXPECT_EQ(f.image.GetPixel(0, 0) >> 24, 0u) << "masked pixel must be see-through";
    EXPECT_EQ(f.image.GetPixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(f.image.GetPixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(f.image.GetPixel(3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(f.image.GetPixel(0, 1), 0xFF000000u);
    EXPECT_EQ(f.image.GetPixel(3, 1), kClear);
}

TEST(CursorFile, PaletteDepthsReadBitsAndNibblesHighFirst)
{
    const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00};
    Bytes mask = {0, 0, 0, 0};
    {
        // 1 bit: 1 0 1 (MSB first) on top, 0 1 0 below.
        Bytes top = {0xA0, 0, 0, 0}, bottom = {0x40, 0, 0, 0};
        CursorImage c = Decode(IconFile(2, Dib(3, 2, 1, {0x000000, 0xFFFFFF}, {top, bottom}, {mask, mask})));
        const gdi::Bitmap& b = c.frames.at(0).image;
        EXPECT_EQ(b.GetPixel(0, 0), 0xFFFFFFFFu);
        EXPECT_EQ(b.GetPixel(1, 0), 0xFF000000u);
        EXPECT_EQ(b.GetPixel(2, 0), 0xFFFFFFFFu);
        EXPECT_EQ(b.GetPixel(1, 1), 0xFFFFFFFFu);
    }
    {
        // 4 bit: indices 2, 3, 1 on top; a short palette is padded with black.
        Bytes top = {0x23, 0x10, 0, 0}, bottom = {0x00, 0x00, 0, 0};
        CursorImage c = Decode(IconFile(2, Dib(3, 2, 4, palette, {top, bottom}, {mask, mask})));
        const gdi::Bitmap& b = c.frames.at(0).image;
        EXPECT_EQ(b.GetPixel(0, 0), 0xFF0000FFu);
        EXPECT_EQ(b.GetPixel(1, 0), 0xFF00FF00u);
        EXPECT_EQ(b.GetPixel(2, 0), 0xFFFFFFFFu);
        EXPECT_EQ(b.GetPixel(0, 1), 0xFF000000u);
    }
    {
        // 8 bit, with index 9 past the four given colours: black, not a crash.
        Bytes top = {3, 1, 9, 0}, bottom = {2, 2, 2, 0};
        CursorImage c = Decode(IconFile(2, Dib(3, 2, 8, palette, {top, bottom}, {mask, mask})));
        const gdi::Bitmap& b = c.frames.at(0).image;
        EXPECT_EQ(b.GetPixel(0, 0), 0xFF00FF00u);
        EXPECT_EQ(b.GetPixel(1, 0), 0xFFFFFFFFu);
        EXPECT_EQ(b.GetPixel(2, 0), 0xFF000000u);
        EXPECT_EQ(b.GetPixel(2, 1), 0xFF0000FFu);
    }
}

TEST(CursorFile, AlphaChannelWinsOverMaskUnlessItIsEmpty)
{
    Bytes row = {10, 20, 30, 128, 40, 50, 60, 0};
    Bytes fullMask = {0xC0, 0, 0, 0};
    CursorImage c = Decode(IconFile(2, Dib(2, 1, 32, {}, {row}, {fullMask})));
    EXPECT_EQ(c.frames.at(0).image.GetPixel(0, 0), 0x801E140Au);
    EXPECT_EQ(c.frames.at(0).image.GetPixel(1, 0), 0x003C3228u);

    // Old 32-bit cursors leave the alpha bytes 0 and rely on the mask.
    Bytes noAlpha = {10, 20, 30, 0, 40, 50, 60, 0};
    Bytes halfMask = {0x40, 0, 0, 0};
    CursorImage old = Decode(IconFile(2, Dib(2, 1, 32, {}, {noAlpha}, {halfMask})));
    EXPECT_EQ(old.frames.at(0).image.GetPixel(0, 0), 0xFF1E140Au);
    EXPECT_EQ(old.frames.at(0).image.GetPixel(1, 0) >> 24, 0u);

    // With real alpha the mask may be missing altogether.
    Bytes dib = Dib(2, 1, 32, {}, {row}, {});
    EXPECT_EQ(Decode(IconFile(2, dib)).frames.at(0).image.GetPixel(0, 0), 0x801E140Au);
}

TEST(CursorFile, IconsHaveNoHotspot)
{
    Bytes row = {1, 2, 3, 4, 5, 6, 0, 0};
    Bytes mask = {0, 0, 0, 0};
    // The hotspot fields of an icon hold planes and depth (1 and 24 here).
    CursorImage c = Decode(IconFile(1, Dib(2, 1, 24, {}, {row}, {mask}), 1, 24));
    EXPECT_EQ(c.frames.at(0).hotX, 0);
    EXPECT_EQ(c.frames.at(0).hotY, 0);
}

TEST(CursorFile, BrokenStillCursorsAreRejected)
{
    const Bytes good = Cursor24();
    for (size_t n = 0; n < good.size(); ++n)
        Reject(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)));

    Bytes png = IconFile(2, {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0});
    EXPECT_NE(Reject(png).find("PNG"), std::string::npos);

    Bytes mask = {0, 0, 0, 0};
    Bytes row = {0, 0, 0, 0, 0, 0, 0, 0};
    Bytes huge = Dib(2, 1, 24, {}, {row}, {mask});
    huge[4] = 0xFF; // width 0x...FF02: far more than any cursor
    huge[5] = 0xFF;
    Reject(IconFile(2, huge));
    Reject(IconFile(2, Dib(2, 1, 16, {}, {row}, {mask})));
    Bytes compressed = Dib(2, 1, 24, {}, {row}, {mask});
    compressed[16] = 1;
    Reject(IconFile(2, compressed));
    Reject(IconFile(2, Dib(2, 1, 1, {0, 0, 0}, {mask}, {mask}))); // three colours in a 1-bit palette
    Reject(IconFile(2, Dib(2, 1, 24, {}, {row}, {mask}), 2, 0)); // hotspot beyond the image
    Reject(IconFile(2, Dib(2, 1, 24, {}, {row}, {}))); // no mask and no alpha

    Bytes noImages = Cursor24();
    noImages[4] = 0;
    Reject(noImages);
    Bytes badOffset = Cursor24();
    badOffset[18] = 0xF0; // image offset far past the end
    Reject(badOffset);
    Bytes badType = Cursor24();
    badType[2] = 3;
    Reject(badType);
}

TEST(CursorFile, AnimationTakesFramesAndRates)
{
    CursorImage c = Decode(TwoFrameAni());
    ASSERT_EQ(c.frames.size(), 2u);
    ASSERT_EQ(c.steps.size(), 2u);
    EXPECT_TRUE(c.Animated());
    EXPECT_EQ(c.steps[0].frame, 0u);
    EXPECT_EQ(c.steps[0].jiffies, 6u);
    EXPECT_EQ(c.steps[1].frame, 1u);
    EXPECT_EQ(c.steps[1].jiffies, 30u);
    EXPECT_EQ(c.frames[0].image.GetPixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(c.frames[1].image.GetPixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(c.frames[1].hotX, 1);
}

TEST(CursorFile, AnimationSequenceAndDefaultRate)
{
    // Three steps over two frames, no rate list: every step takes the
    // header's rate.
    Bytes chunks;
    Append(chunks, AniHeader(2, 3, 12, 3));
    Append(chunks, Chunk("seq ", Words({1, 0, 1})));
    Bytes frames;
    Append(frames, Chunk("icon", SolidCursor(0x00FF00)));
    Append(frames, Chunk("icon", SolidCursor(0xFFFFFF)));
    Append(chunks, ListChunk("fram", frames));
    CursorImage c = Decode(Riff(chunks));
    ASSERT_EQ(c.steps.size(), 3u);
    EXPECT_EQ(c.steps[0].frame, 1u);
    EXPECT_EQ(c.steps[1].frame, 0u);
    EXPECT_EQ(c.steps[2].frame, 1u);
    for (const CursorStep& s : c.steps)
        EXPECT_EQ(s.jiffies, 12u);

    // A zero rate would make the animation spin; it counts as one jiffy.
    Bytes still;
    Append(still, AniHeader(2, 2, 0, 1));
    Append(still, ListChunk("fram", frames));
    CursorImage z = Decode(Riff(still));
    ASSERT_EQ(z.steps.size(), 2u);
    EXPECT_EQ(z.steps[0].jiffies, 1u);
}

TEST(CursorFile, BrokenAnimationsAreRejected)
{
    const Bytes good = TwoFrameAni();
    for (size_t n = 0; n < good.size(); ++n)
        Reject(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)));

    Bytes frames;
    Append(frames, Chunk("icon", SolidCursor(0x00FF00)));
    Append(frames, Chunk("icon", SolidCursor(0xFFFFFF)));
    auto ani = [&](const Bytes& header, const Bytes& extra) {
        Bytes chunks = header;
        Append(chunks, extra);
        Append(chunks, ListChunk("fram", frames));
        return Riff(chunks);
    };
    EXPECT_NE(Reject(ani(AniHeader(3, 3, 5, 1), {})).find("frame count"), std::string::npos);
    Reject(ani(AniHeader(2, 2, 5, 3), Chunk("seq ", Words({0, 5}))));  // names frame 5
    Reject(ani(AniHeader(2, 3, 5, 3), Chunk("seq ", Words({0, 1}))));  // shorter than the steps
    Reject(ani(AniHeader(2, 2, 5, 1), Chunk("rate", Words({4}))));     // shorter than the steps
    Reject(ani(AniHeader(2, 2, 5, 0), {}));                             // raw bitmap frames
    Reject(ani(AniHeader(0, 0, 5, 1), {}));
    Reject(ani(AniHeader(2, 0xFFFFFFFF, 5, 3), {}));
    Reject(ani({}, {}));                                                // no header at all

    Bytes lying = good;
    lying[4] = 0xFF; // RIFF length beyond the file
    Reject(lying);
    Bytes wrongForm = good;
    wrongForm[8] = 'W';
    Reject(wrongForm);
}

TEST(CursorAnimation, StepsFollowTheirRatesRoundAndRound)
{
    // 6 jiffies = 100 ms, 30 jiffies = 500 ms, from t = 1000.
    CursorAnimation a({{0, 6}, {1, 30}}, 1000);
    EXPECT_TRUE(a.Animated());
    EXPECT_EQ(a.Frame(), 0u);
    EXPECT_EQ(a.StepEndsMs(), 1100u);
    EXPECT_FALSE(a.Advance(1099));
    EXPECT_TRUE(a.Advance(1100));
    EXPECT_EQ(a.Frame(), 1u);
    EXPECT_EQ(a.StepEndsMs(), 1600u);
    EXPECT_FALSE(a.Advance(1599));
    EXPECT_TRUE(a.Advance(1600));
    EXPECT_EQ(a.Frame(), 0u);
    // A stall of many cycles lands where the clock says, in the right step:
    // cycles of 600 ms, so 1600 + 600 * 1000 + 150 is 50 ms into frame 1.
    EXPECT_TRUE(a.Advance(1600 + 600000 + 150));
    EXPECT_EQ(a.Frame(), 1u);
    EXPECT_EQ(a.StepEndsMs(), 1600u + 600000 + 600);
}

TEST(CursorAnimation, StillCursorsAndRepeatedFramesNeverChange)
{
    CursorAnimation still({{0, 0}}, 0);
    EXPECT_FALSE(still.Animated());
    EXPECT_EQ(still.StepEndsMs(), UINT64_MAX);
    EXPECT_FALSE(still.Advance(1000000));
    // Two steps showing the same frame: time moves on, the picture does not.
    CursorAnimation same({{2, 1}, {2, 0}}, 0);
    EXPECT_FALSE(same.Advance(17));
    EXPECT_EQ(same.Frame(), 2u);
    EXPECT_EQ(same.StepEndsMs(), 18u); // a zero rate still lasts 1 ms, never 0
    CursorAnimation none;
    EXPECT_FALSE(none.Advance(5));
    EXPECT_EQ(none.Frame(), 0u);
}

TEST(CursorFile, ACursorThatIsAFifoIsRefusedAtOnce)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                               ("kestrava-cursor-" + std::to_string(::getpid()) + ".CUR")).string();
    kestrava::testing::FifoInPlace fifo(path);
    ASSERT_TRUE(fifo.Made());
    CursorImage image;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(LoadCursor(path, image, error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, kestrava::testing::FifoInPlace::kRelease);
    EXPECT_FALSE(fifo.ReleasedAReader());
    EXPECT_EQ(error, "cannot read the cursor file: not a regular file");
}

} // namespace
} // namespace kestrava::sdl
