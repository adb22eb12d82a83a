// The bitmap buttons in a headless application: which picture shows, the
// press dragged off and back on, click-through on the see-through colour,
// latching, sizing by the rest picture and the sounds.
#include "ui/dhbitbtn.h"
#include "ui/hbitbtn.h"

#include "AppFixture.h"

#include <string>
#include <vector>

namespace {

using namespace kestrava;
using app::testing::AppTest;
using gdi::Bitmap;
using gdi::Rgb;

constexpr gdi::ColorRef kKey = Rgb(255, 0, 255);

// A w × h picture of one colour with a see-through border of one pixel, so
// the lower-left pixel (the key) differs from the inside.
Bitmap Plate(int32_t w, int32_t h, gdi::ColorRef inside)
{
    Bitmap b(w, h);
    b.Fill(gdi::PixelOf(kKey));
    for (int32_t y = 1; y < h - 1; ++y)
        for (int32_t x = 1; x < w - 1; ++x)
            b.SetPixel(x, y, gdi::PixelOf(inside));
    return b;
}

constexpr gdi::ColorRef kIdle = Rgb(10, 10, 10);
constexpr gdi::ColorRef kUp = Rgb(20, 20, 20);
constexpr gdi::ColorRef kDown = Rgb(30, 30, 30);
constexpr gdi::ColorRef kPressedUp = Rgb(40, 40, 40);

class ButtonTest : public AppTest {
protected:
    void SetUp() override
    {
        ui::SetPlayFileService([this](const std::string& file) { played.push_back(file); });
        Dress(button);
        Place(button, 20, 20, 10, 10);
        button.OnClick = [this] { ++clicks; };
        Pump();
    }
    void TearDown() override { ui::SetPlayFileService(nullptr); }

    static void Dress(ui::Thbitbtn& b)
    {
        b.SetBitmap_Up(Plate(40, 30, kUp));
        b.SetBitmap_Down(Plate(40, 30, kDown));
        b.SetBitmap_Idle(Plate(40, 30, kIdle));
    }
    gdi::ColorRef Shown(int32_t x = 40, int32_t y = 35) const { return backend.Frame().GetColor(x, y); }

    ui::Thbitbtn button;
    int clicks = 0;
    std::vector<std::string> played;
};

TEST_F(ButtonTest, PictureFollowsHoverAndPress)
{
    EXPECT_EQ(Shown(), kIdle);
    Move(40, 35);
    EXPECT_EQ(Shown(), kUp);
    backend.PushMouseDown(40, 35);
    Pump();
    EXPECT_EQ(Shown(), kDown);
    backend.PushMouseUp(40, 35);
    Pump();
    EXPECT_EQ(Shown(), kUp);
    EXPECT_EQ(clicks, 1);
    Move(200, 200);
    EXPECT_EQ(Shown(), kIdle);
}

TEST_F(ButtonTest, DisabledButtonStaysAtRestAndIgnoresPresses)
{
    button.SetEnabled(false);
    Move(40, 35);
    EXPECT_EQ(Shown(), kIdle);
    Click(40, 35);
    EXPECT_EQ(Shown(), kIdle);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button.Held());
    // Disabled while the pointer rests on it: back to the rest picture.
    button.SetEnabled(true);
    Move(41, 35);
    EXPECT_EQ(Shown(), kUp);
    button.SetEnabled(false);
    Pump();
    EXPECT_EQ(Shown(), kIdle);
}

TEST_F(ButtonTest, DraggingOffCancelsAndBackOnClicks)
{
    backend.PushMouseDown(40, 35);
    Pump();
    Move(150, 150);
    EXPECT_EQ(Shown(), kIdle) << "off the button the press shows the rest picture";
    backend.PushMouseUp(150, 150);
    Pump();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button.Held());

    backend.PushMouseDown(40, 35);
    Pump();
    Move(150, 150);
    Move(42, 36);
    EXPECT_EQ(Shown(), kDown) << "back on, the down picture again";
    backend.PushMouseUp(42, 36);
    Pump();
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, SeeThroughColourLetsTheClickThrough)
{
    app::Panel behind;
    Place(behind, 0, 0, 100, 100);
    behind.SendToBack();
    int behindDown = 0;
    behind.OnMouseDown = [&](app::MouseButton, int32_t, int32_t, app::Modifiers) { ++behindDown; };
    Pump();
    Click(20, 20); // the button's top-left pixel: the see-through colour
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(behindDown, 1);
    Click(21, 21);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(behindDown, 1);
}

TEST_F(ButtonTest, LatchingSwapsOnceAndTogglesOnClick)
{
    button.SetSchalter(true);
    button.SetPressed(true);
    button.SetPressed(true);
    EXPECT_EQ(button.Bitmap_Idle().GetColor(5, 5), kDown) << "swapped exactly once";
    EXPECT_EQ(button.Bitmap_Down().GetColor(5, 5), kIdle);
    Pump();
    EXPECT_EQ(Shown(), kDown) << "a latched button rests on its former down picture";

    Click(40, 35);
    EXPECT_FALSE(button.Pressed());
    EXPECT_EQ(button.Bitmap_Idle().GetColor(5, 5), kIdle);
    Click(40, 35);
    EXPECT_TRUE(button.Pressed());
    EXPECT_EQ(clicks, 2);
    // Released off the button: no toggle.
    backend.PushMouseDown(40, 35);
    Pump();
    Move(150, 150);
    backend.PushMouseUp(150, 150);
    Pump();
    EXPECT_TRUE(button.Pressed());
}

TEST_F(ButtonTest, RestPictureSizesTheButtonAndItsOtherPictures)
{
    ui::Thbitbtn fresh;
    EXPECT_EQ(fresh.Width(), 50);
    EXPECT_EQ(fresh.Height(), 50);
    Place(fresh, 100, 100, 50, 50);
    fresh.SetBitmap_Up(Plate(10, 10, kUp));
    fresh.SetBitmap_Down(Plate(70, 70, kDown));
    fresh.SetBitmap_Idle(Plate(59, 57, kIdle));
    EXPECT_EQ(fresh.Width(), 59);
    EXPECT_EQ(fresh.Height(), 57);
    EXPECT_EQ(fresh.Bitmap_Up().Width(), 59);
    EXPECT_EQ(fresh.Bitmap_Up().Height(), 57);
    EXPECT_EQ(fresh.Bitmap_Down().Width(), 59);
    EXPECT_EQ(fresh.Bitmap_Down().Height(), 57);
    EXPECT_EQ(fresh.Bitmap_Down().GetColor(5, 5), kDown) << "resizing keeps the content";
    fresh.SetBounds(10, 10, 200, 20);
    EXPECT_EQ(fresh.Left(), 10);
    EXPECT_EQ(fresh.Width(), 59);
    EXPECT_EQ(fresh.Height(), 57);
    // An empty rest picture clears the others and frees the size.
    fresh.SetBitmap_Idle(Bitmap());
    EXPECT_TRUE(fresh.Bitmap_Up().Empty());
    EXPECT_TRUE(fresh.Bitmap_Down().Empty());
    fresh.SetSize(30, 30);
    EXPECT_EQ(fresh.Width(), 30);
}

TEST_F(ButtonTest, SoundsPlayOnEnterPressAndRelease)
{
    button.RollOverSound = "over.wav";
    button.DownSound = "down.wav";
    button.UpSound = "up.wav";
    Move(40, 35);
    backend.PushMouseDown(40, 35);
    Pump();
    backend.PushMouseUp(40, 35);
    Pump();
    EXPECT_EQ(played, (std::vector<std::string>{"over.wav", "down.wav", "up.wav"}));
    played.clear();
    // With PlaySound, leaving and coming back during a press is heard too.
    button.PlaySound = true;
    backend.PushMouseDown(40, 35);
    Pump();
    Move(150, 150);
    Move(40, 35);
    backend.PushMouseUp(40, 35);
    Pump();
    EXPECT_EQ(played, (std::vector<std::string>{"down.wav", "up.wav", "down.wav", "up.wav"}));
}

TEST_F(ButtonTest, CaptionIsCentredAndShiftsWhilePressed)
{
    ui::Thbitbtn plain;
    Place(plain, 100, 100, 80, 40);
    gdi::Font font;
    font.height = 20;
    font.color = Rgb(255, 255, 255);
    plain.SetFont(font);
    plain.SetCaption("&OK");
    Pump();
    auto inkBox = [&] {
        gdi::Rect box{1000, 1000, -1, -1};
        for (int32_t y = 100; y < 140; ++y)
            for (int32_t x = 100; x < 180; ++x)
                if (backend.Frame().GetColor(x, y) != 0) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    };
    const gdi::Rect rest = inkBox();
    ASSERT_LT(rest.left, rest.right) << "the caption was drawn";
    EXPECT_NEAR((rest.left + rest.right) / 2, 140, 3);
    backend.PushMouseDown(140, 120);
    Pump();
    const gdi::Rect held = inkBox();
    EXPECT_EQ(held.left, rest.left + 1);
    EXPECT_EQ(held.top, rest.top + 1);
    backend.PushMouseUp(140, 120);
    Pump();
    // The accelerator clicks an enabled button only.
    int accel = 0;
    plain.OnClick = [&] { ++accel; };
    EXPECT_TRUE(plain.DialogChar('o'));
    plain.SetEnabled(false);
    EXPECT_FALSE(plain.DialogChar('o'));
    EXPECT_EQ(accel, 1);
}

TEST_F(ButtonTest, TransparentButtonPaintsThroughItsKey)
{
    app::Panel behind;
    behind.SetColor(Rgb(0, 0, 200));
    Place(behind, 100, 100, 60, 60);
    ui::TThbitbtn through;
    Dress(through);
    through.SetTransparent(true);
    Place(through, 5, 5, 1, 1, &behind);
    Pump();
    EXPECT_EQ(backend.Frame().GetColor(105, 105), Rgb(0, 0, 200)) << "the key is left out";
    EXPECT_EQ(backend.Frame().GetColor(110, 110), kIdle);
    through.SetTransparent(false);
    Pump();
    EXPECT_EQ(backend.Frame().GetColor(105, 105), kKey);
}

TEST_F(ButtonTest, FourPictureButtonHoversDifferentlyWhenLatched)
{
    ui::TDHBITBTN latch;
    Dress(latch);
    latch.SetBitmap_Pressed_Up(Plate(40, 30, kPressedUp));
    latch.SetSchalter(true);
    Place(latch, 100, 100, 1, 1);
    Move(110, 110);
    EXPECT_EQ(backend.Frame().GetColor(110, 110), kUp);
    Click(110, 110);
    EXPECT_TRUE(latch.Pressed());
    EXPECT_EQ(backend.Frame().GetColor(110, 110), kPressedUp);
    Move(300, 200);
    EXPECT_EQ(backend.Frame().GetColor(110, 110), kDown);
}

} // namespace
