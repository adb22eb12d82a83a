// The playing control on the headless application in virtual time: which
// frame is on the screen when, the end notice, stopping, restarting,
// falling behind, and damaged or missing files.
#include "Clips.h"

#include "../app/AppFixture.h"
#include "platform/video/VideoFile.h"
#include "platform/video/VideoPanel.h"

#include <memory>

namespace kestrava::video::testing {
namespace {

constexpr gdi::ColorRef kFormColor = gdi::Rgb(0, 0, 200);
constexpr int32_t kClipFrames = 10;

class VideoPanelTest : public app::testing::AppTest {
protected:
    VideoPanelTest()
    {
        app.MainForm().color = kFormColor;
        app.MainForm().Invalidate();
        WriteClip(clip, kClipFrames, 64, 48);
        Place(panel, 10, 10, 80, 60);
        panel.OnComplete = [this] { ++completed; };
        Pump();
    }

    void Open(const std::string& path)
    {
        std::string error;
        ASSERT_TRUE(panel.Open(path, error)) << error;
        Pump();
    }
    // The grey on the screen inside the frame, and the colour beside it.
    int32_t Shown() const { return gdi::GreenOf(backend.Frame().GetColor(10 + 32, 10 + 24)); }
    gdi::ColorRef Beside() const { return backend.Frame().GetColor(10 + 70, 10 + 55); }
    ::testing::AssertionResult Showing(int32_t frame) const
    {
        if (std::abs(Shown() - LevelOf(frame)) <= 4)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "grey " << Shown() << " on screen, frame " << frame << " has "
                                             << int(LevelOf(frame));
    }

    ScratchDir dir;
    const std::string clip = dir / "clip.avi";
    VideoPanel panel{app.Loop()};
    int completed = 0;
};

TEST_F(VideoPanelTest, EachFrameShowsAtItsTimeAndTheEndIsToldOnce)
{
    Open(clip);
    EXPECT_EQ(Beside(), gdi::Rgb(0, 0, 0)) << "black before the first frame";
    EXPECT_EQ(Shown(), 0);
    ASSERT_TRUE(panel.Play());
    Pump();
    EXPECT_TRUE(panel.Playing());
    for (int32_t i = 0; i < kClipFrames; ++i) {
        EXPECT_EQ(panel.FramesShown(), i + 1);
        EXPECT_TRUE(Showing(i)) << "frame " << i;
        EXPECT_EQ(Beside(), gdi::Rgb(0, 0, 0)) << "black beside the frame";
        app.Loop().AdvanceTime(39);
        EXPECT_TRUE(Showing(i)) << "frame " << i << " still up 39 ms in";
        app.Loop().AdvanceTime(1);
    }
    // 400 ms: the last frame has had its 40 ms.
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(panel.Playing());
    EXPECT_TRUE(panel.Finished());
    EXPECT_EQ(panel.FramesShown(), kClipFrames);
    EXPECT_TRUE(Showing(kClipFrames - 1)) << "the last frame stays";
    app.Loop().AdvanceTime(5000);
    EXPECT_EQ(completed, 1);
}

TEST_F(VideoPanelTest, StopHoldsTheFrameAndPlayGoesOnWhereItStopped)
{
    Open(clip);
    ASSERT_TRUE(panel.Play());
    app.Loop().AdvanceTime(100); // frames 0, 1, 2
    EXPECT_EQ(panel.FramesShown(), 3);
    panel.Stop();
    EXPECT_FALSE(panel.Playing());
    app.Loop().AdvanceTime(5000);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(panel.FramesShown(), 3);
    EXPECT_TRUE(Showing(2));

    ASSERT_TRUE(panel.Play());
    Pump();
    EXPECT_TRUE(Showing(3)) << "the next frame at once";
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(panel.FramesShown(), kClipFrames) << "no frame lost or repeated";

    // Stopped at the last frame, then played: the end comes, once.
    ASSERT_TRUE(panel.Play()); // from the beginning
    Pump();
    EXPECT_TRUE(Showing(0));
    app.Loop().AdvanceTime(360);
    panel.Stop();
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(completed, 1);
    ASSERT_TRUE(panel.Play());
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(completed, 2);
}

TEST_F(VideoPanelTest, ALateLoopSkipsOverdueFramesAndKeepsTheLength)
{
    Open(clip);
    ASSERT_TRUE(panel.Play());
    // The loop stalls: 210 ms pass before it runs again.
    clock.Advance(210);
    Pump();
    EXPECT_EQ(panel.FramesShown(), 2) << "only the frame due now is shown";
    EXPECT_TRUE(Showing(5));
    app.Loop().AdvanceTime(189);
    EXPECT_EQ(completed, 0);
    app.Loop().AdvanceTime(1);
    EXPECT_EQ(completed, 1);
}

TEST_F(VideoPanelTest, StretchedFramesFillTheArea)
{
    Open(clip);
    panel.SetStretch(true);
    ASSERT_TRUE(panel.Play());
    Pump();
    EXPECT_EQ(panel.CurrentFrame().Width(), 80);
    EXPECT_EQ(panel.CurrentFrame().Height(), 60);
    EXPECT_NEAR(gdi::GreenOf(Beside()), LevelOf(0), 4);
}

TEST_F(VideoPanelTest, ACutVideoPlaysToItsLastFrameAndEnds)
{
    const std::vector<char> whole = ReadAll(CreditsVideo());
    const std::string cut = dir / "cut.avi";
    WriteAll(cut, {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)});
    VideoFile file;
    std::string error;
    ASSERT_TRUE(file.Open(cut, error)) << error;
    gdi::Bitmap frame;
    int64_t frames = 0;
    while (file.NextFrame(frame))
        ++frames;
    ASSERT_GT(frames, 0);

    panel.SetBounds(0, 0, 480, 180);
    Open(cut);
    ASSERT_TRUE(panel.Play());
    app.Loop().AdvanceTime(static_cast<uint32_t>(40 * frames - 1));
    EXPECT_EQ(completed, 0);
    app.Loop().AdvanceTime(1);
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(panel.FramesShown(), frames);
    app.Loop().AdvanceTime(20000);
    EXPECT_EQ(completed, 1);
}

TEST_F(VideoPanelTest, AMissingFileNeitherOpensNorPlays)
{
    std::string error;
    EXPECT_FALSE(panel.Open(dir / "FLIEGE.AVI", error));
    EXPECT_NE(error.find("FLIEGE.AVI"), std::string::npos);
    EXPECT_FALSE(panel.Play(error));
    EXPECT_FALSE(error.empty());
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(panel.FramesShown(), 0);
}

TEST_F(VideoPanelTest, TheEndNoticeMayDestroyThePanel)
{
    auto owned = std::make_unique<VideoPanel>(app.Loop());
    Place(*owned, 100, 100, 64, 48);
    std::string error;
    ASSERT_TRUE(owned->Open(clip, error)) << error;
    int ended = 0;
    owned->OnComplete = [&] {
        ++ended;
        owned.reset();
    };
    ASSERT_TRUE(owned->Play());
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(owned, nullptr);

    // A panel destroyed while playing leaves no timer behind.
    owned = std::make_unique<VideoPanel>(app.Loop());
    ASSERT_TRUE(owned->Open(clip, error)) << error;
    owned->OnComplete = [&] { ++ended; };
    ASSERT_TRUE(owned->Play());
    app.Loop().AdvanceTime(100);
    owned.reset();
    app.Loop().AdvanceTime(1000);
    EXPECT_EQ(ended, 1);
}

} // namespace
} // namespace kestrava::video::testing
