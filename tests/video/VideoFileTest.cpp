// Reading video files: the credits video the build draws, clips written
// and read back, files that are not videos, and damaged videos.
#include "Clips.h"

#include "platform/video/VideoFile.h"

#include <algorithm>

namespace kestrava::video::testing {
namespace {

// The brightest green value of a frame.
int32_t Brightest(const gdi::Bitmap& frame)
{
    int32_t most = 0;
    for (int32_t y = 0; y < frame.Height(); ++y)
        for (int32_t x = 0; x < frame.Width(); ++x)
            most = std::max<int32_t>(most, gdi::GreenOf(frame.GetColor(x, y)));
    return most;
}

struct Played {
    std::vector<int64_t> times;
    std::vector<int32_t> brightest;
};

Played PlayThrough(VideoFile& file)
{
    Played played;
    gdi::Bitmap frame;
    while (file.NextFrame(frame)) {
        played.times.push_back(file.FrameTimeMs());
        played.brightest.push_back(Brightest(frame));
    }
    return played;
}

// ------------------------------------------------------------ the credits

TEST(CreditsVideo, IsTwelveSecondsOf480By180At25FramesASecond)
{
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(CreditsVideo(), error)) << error;
    EXPECT_EQ(file.Width(), 480);
    EXPECT_EQ(file.Height(), 180);
    EXPECT_DOUBLE_EQ(file.FrameRate(), 25.0);
    EXPECT_EQ(file.FrameIntervalMs(), 40u);
    EXPECT_GE(file.DurationMs(), 10000);
    EXPECT_LE(file.DurationMs(), 14000);

    const Played played = PlayThrough(file);
    ASSERT_GE(played.times.size(), 250u);
    ASSERT_LE(played.times.size(), 350u);
    EXPECT_EQ(file.DamagedPackets(), 0);
    // Frames come one interval apart from 0, and the last one ends where
    // the file says the video ends.
    for (size_t i = 0; i < played.times.size(); ++i)
        ASSERT_EQ(played.times[i], static_cast<int64_t>(40 * i)) << "frame " << i;
    EXPECT_NEAR(static_cast<double>(played.times.back() + 40), static_cast<double>(file.DurationMs()), 40.0);
}

TEST(CreditsVideo, TextShowsBetweenBlackBeginningAndEnd)
{
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(CreditsVideo(), error)) << error;
    const Played played = PlayThrough(file);
    const size_t n = played.brightest.size();
    ASSERT_GT(n, 100u);
    // Black (up to coding noise) at both ends.
    EXPECT_LE(played.brightest.front(), 16);
    EXPECT_LE(played.brightest.back(), 16);
    // In the middle half, text is up most of the time, often at full
    // brightness; fades and the short black gaps between pages are the
    // rest.
    size_t lit = 0, bright = 0;
    for (size_t i = n / 4; i < 3 * n / 4; ++i) {
        lit += played.brightest[i] > 40 ? 1u : 0u;
        bright += played.brightest[i] > 200 ? 1u : 0u;
    }
    EXPECT_GE(lit, n / 2 * 2 / 3);
    EXPECT_GE(bright, n / 2 / 3);
}

size_t ThreadsOfThisProcess()
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

TEST(CreditsVideo, DecodingRunsOnTheCallersThreadAlone)
{
    const size_t before = ThreadsOfThisProcess();
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(CreditsVideo(), error)) << error;
    gdi::Bitmap frame;
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(file.NextFrame(frame, 240, 90));
        ASSERT_EQ(ThreadsOfThisProcess(), before) << "frame " << i;
    }
}

// ------------------------------------------------- writing and reading back

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, EveryFrameComesBackInOrderAtItsTime)
{
    ScratchDir dir;
    const std::string path = dir / "clip.avi";
    WriteClip(path, 12, 64, 48, GetParam());
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error)) << error;
    EXPECT_EQ(file.Width(), 64);
    EXPECT_EQ(file.Height(), 48);
    EXPECT_EQ(file.DurationMs(), 480);
    gdi::Bitmap frame;
    for (int32_t i = 0; i < 12; ++i) {
        ASSERT_TRUE(file.NextFrame(frame)) << "frame " << i;
        EXPECT_EQ(file.FrameTimeMs(), 40 * i);
        for (auto [x, y] : {std::pair{0, 0}, std::pair{32, 24}, std::pair{63, 47}})
            EXPECT_NEAR(gdi::GreenOf(frame.GetColor(x, y)), LevelOf(i), 4) << "frame " << i << " at " << x << "," << y;
        EXPECT_EQ(frame.GetPixel(5, 5) >> 24, 0xFFu) << "frames are opaque";
    }
    // The end is final, and leaves the last frame alone.
    const gdi::Pixel last = frame.GetPixel(10, 10);
    EXPECT_FALSE(file.NextFrame(frame));
    EXPECT_FALSE(file.NextFrame(frame));
    EXPECT_EQ(frame.GetPixel(10, 10), last);
    EXPECT_EQ(file.FramesDecoded(), 12);
}

INSTANTIATE_TEST_SUITE_P(Codecs, RoundTrip, ::testing::Values("mpeg4", "mjpeg"));

TEST(VideoWriter, RefusesWhatItCannotWriteAndLeavesNoFileBehind)
{
    ScratchDir dir;
    const std::string path = dir / "out.avi";
    VideoWriter writer;
    std::string error;
    VideoFormat format;
    format.width = 64;
    format.height = 48;
    format.codec = "no-such-codec";
    EXPECT_FALSE(writer.Open(path, format, error));
    EXPECT_NE(error.find("no-such-codec"), std::string::npos) << error;
    format.codec = "mpeg4";
    format.width = 63;
    EXPECT_FALSE(writer.Open(path, format, error));
    EXPECT_NE(error.find("63 x 48"), std::string::npos) << error;
    EXPECT_FALSE(writer.Open(dir / "no-such-folder/out.avi", {64, 48}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(path));

    // A frame of the wrong size is refused; an abandoned file never
    // replaces the one already there.
    WriteAll(path, {'o', 'l', 'd'});
    {
        VideoWriter abandoned;
        format.width = 64;
        ASSERT_TRUE(abandoned.Open(path, format, error)) << error;
        gdi::Bitmap frame(64, 48);
        EXPECT_TRUE(abandoned.WriteFrame(frame, error)) << error;
        EXPECT_FALSE(abandoned.WriteFrame(gdi::Bitmap(32, 48), error));
        EXPECT_NE(error.find("32 x 48"), std::string::npos) << error;
    }
    EXPECT_EQ(ReadAll(path), (std::vector<char>{'o', 'l', 'd'}));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

// ----------------------------------------------------- files that are not

// A RIFF/WAVE file of one second of silence: a file FFmpeg reads, without
// a video stream.
std::vector<char> Wave()
{
    const uint32_t rate = 8000, bytes = rate * 2;
    std::vector<char> out;
    auto text = [&](const char* s) { out.insert(out.end(), s, s + 4); };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>(v >> (8 * i)));
    };
    auto u16 = [&](uint32_t v) {
        out.push_back(static_cast<char>(v));
        out.push_back(static_cast<char>(v >> 8));
    };
    text("RIFF"), u32(36 + bytes), text("WAVE");
    text("fmt "), u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
    text("data"), u32(bytes);
    out.resize(out.size() + bytes, 0);
    return out;
}

TEST(VideoFile, FilesThatAreNoVideoFailWithAMessageNamingFileAndReason)
{
    ScratchDir dir;
    WriteAll(dir / "empty.avi", {});
    WriteAll(dir / "garbage.avi", RandomBytes(64 * 1024, 7));
    const std::string textLine = "Dies ist kein Video.\n";
    WriteAll(dir / "text.avi", {textLine.begin(), textLine.end()});
    WriteAll(dir / "sound.wav", Wave());
    std::filesystem::create_directory(dir / "folder.avi");
    struct Case {
        std::string name;
        std::string reason;
    };
    const Case cases[] = {
        {"missing.avi", "not found"},
        {"empty.avi", "empty"},
        {"garbage.avi", ""},
        {"text.avi", ""},
        {"sound.wav", "no video stream"},
        {"folder.avi", "not a regular file"},
    };
    VideoFile file;
    std::string error;
    for (const Case& c : cases) {
        // Whatever was open before is closed by a failed Open.
        WriteClip(dir / "good.avi", 2);
        ASSERT_TRUE(file.Open(dir / "good.avi", error)) << error;
        error.clear();
        EXPECT_FALSE(file.Open(dir / c.name, error)) << c.name;
        EXPECT_NE(error.find(dir / c.name), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_GT(error.size(), (dir / c.name).size() + 12) << "a reason follows the name: " << error;
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Width(), 0);
        gdi::Bitmap frame(4, 4);
        EXPECT_FALSE(file.NextFrame(frame));
    }
}

// ----------------------------------------------------------- damaged files

TEST(VideoFile, ACutVideoPlaysWhatItHasAndEnds)
{
    ScratchDir dir;
    const std::vector<char> whole = ReadAll(CreditsVideo());
    ASSERT_GT(whole.size(), 10000u);
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(CreditsVideo(), error)) << error;
    const size_t all = PlayThrough(file).times.size();

    // Cut in the middle: about half the frames, in order, then the end.
    const std::string half = dir / "half.avi";
    WriteAll(half, {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)});
    ASSERT_TRUE(file.Open(half, error)) << error;
    EXPECT_EQ(file.Width(), 480);
    const Played played = PlayThrough(file);
    EXPECT_GE(played.times.size(), all / 4);
    EXPECT_LT(played.times.size(), all * 3 / 4);
    EXPECT_TRUE(std::is_sorted(played.times.begin(), played.times.end()));
    gdi::Bitmap frame;
    EXPECT_FALSE(file.NextFrame(frame));

    // Cut anywhere else: either refused with a message or played to an
    // end, never more than the whole.
    for (size_t cut : {size_t{1}, size_t{100}, size_t{4096}, whole.size() / 3 + 7, whole.size() - 9}) {
        const std::string path = dir / ("cut" + std::to_string(cut) + ".avi");
        WriteAll(path, {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        error.clear();
        if (!file.Open(path, error)) {
            EXPECT_FALSE(error.empty()) << cut;
            continue;
        }
        EXPECT_LE(PlayThrough(file).times.size(), all) << cut;
    }
}

TEST(VideoFile, DamagedPacketsAreSkippedAndPlayingGoesOn)
{
    ScratchDir dir;
    std::vector<char> bytes = ReadAll(CreditsVideo());
    ASSERT_GT(bytes.size(), 100000u);
    // Scramble two stretches inside the frame data, away from the headers
    // at the start and the index at the end.
    for (size_t at : {bytes.size() * 3 / 10, bytes.size() * 6 / 10}) {
        const std::vector<char> noise = RandomBytes(3000, static_cast<uint32_t>(at));
        std::copy(noise.begin(), noise.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const std::string path = dir / "damaged.avi";
    WriteAll(path, bytes);
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error)) << error;
    const Played played = PlayThrough(file);
    EXPECT_GE(played.times.size(), 250u);
    ASSERT_FALSE(played.times.empty());
    EXPECT_GE(played.times.back(), 11000) << "playing reached the end";
    EXPECT_LE(played.brightest.back(), 16);
}

} // namespace
} // namespace kestrava::video::testing
