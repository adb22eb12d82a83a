// Skinned windows in a headless application: the nine-piece frame, the
// composed snapshot of what lies behind, backgrounds, resources by name,
// and the test area's paint event.
#include "ui/CallBackPanel.h"
#include "ui/Resources.h"
#include "ui/Window.h"

#include "AppFixture.h"

#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace kestrava;
using app::testing::AppTest;
using gdi::Bitmap;
using gdi::Rgb;

Bitmap Solid24(int32_t w, int32_t h, gdi::ColorRef c)
{
    Bitmap b(w, h);
    b.Fill(gdi::PixelOf(c));
    b.SetBitsPerPixel(24);
    return b;
}

Bitmap Mask(int32_t w, int32_t h, const std::function<uint8_t(int32_t, int32_t)>& alpha)
{
    Bitmap b(w, h);
    std::vector<gdi::ColorRef> palette(256);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = Rgb(uint8_t(i), uint8_t(i), uint8_t(i));
    std::vector<uint8_t> indices(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t a = alpha(x, y);
            indices[size_t(y) * size_t(w) + size_t(x)] = a;
            b.SetPixel(x, y, gdi::PixelOf(palette[a]));
        }
    b.SetBitsPerPixel(8);
    b.SetPaletteData(palette, indices);
    return b;
}

constexpr gdi::ColorRef kMenu = Rgb(255, 255, 255);
constexpr gdi::ColorRef kEdge = Rgb(0, 0, 200);
constexpr gdi::ColorRef kCentre = Rgb(0, 200, 0);

class WindowTest : public AppTest {
protected:
    WindowTest() : folder(fs::temp_directory_path() / ("kestrava-skin-" + std::to_string(::getpid())))
    {
        fs::create_directories(folder);
        // Skin "P": black corners, half transparent; the top-left corner's
        // own top-left pixel fully transparent and its next one opaque.
        // The default skin and background, which every new window loads.
        for (const char* piece : {"OL", "OR", "UL", "UR", "O", "U", "L", "R", "C", "BACK"})
            Save(piece, Solid24(4, 4, Rgb(1, 2, 3)));
        for (const char* corner : {"POL", "POR", "PUL", "PUR"}) {
            Save(corner, Solid24(29, 29, 0));
            Save(std::string(corner) + "A", Mask(29, 29, [](int32_t x, int32_t y) {
                     return uint8_t(x == 0 && y == 0 ? 0 : (x == 1 && y == 0 ? 255 : 128));
                 }));
        }
        for (const char* edge : {"PO", "PU", "PL", "PR"})
            Save(edge, Solid24(30, 29, kEdge));
        Save("PC", Solid24(30, 31, kCentre));
        Bitmap back(6, 4);
        for (int32_t x = 0; x < 6; ++x)
            for (int32_t y = 0; y < 4; ++y)
                back.SetPixel(x, y, (gdi::PixelOf(Rgb(0, 0, 0)) & 0x00FFFFFFu) | gdi::Pixel(x == 0 ? 0 : 128) << 24);
        Save("DIALOG", back);
        ui::SetResourceFolder(folder.string());
        menu.SetColor(kMenu);
        Place(menu, 0, 0, 320, 240);
        Pump();
    }
    ~WindowTest() override
    {
        ui::SetResourceFolder("");
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void Save(const std::string& name, const Bitmap& b) { ASSERT_TRUE(gdi::SaveBmp(ui::ResourcePath(folder.string(), name), b)); }
    gdi::ColorRef At(int32_t x, int32_t y) const { return backend.Frame().GetColor(x, y); }

    fs::path folder;
    app::Panel menu;
};

TEST_F(WindowTest, NinePieceFrameBlendsCornersOverWhatLiesBehind)
{
    ui::TWindow& window = menu.Create<ui::TWindow>();
    window.Hide();
    window.LoadSkin("P");
    window.SetBounds(10, 10, 100, 80);
    window.ShowComposed();
    Pump();
    // Corner: alpha 128, black over white gives 127 in each channel.
    EXPECT_EQ(At(10 + 5, 10 + 5), Rgb(127, 127, 127));
    EXPECT_EQ(At(10, 10), kMenu) << "alpha 0 keeps what lay behind";
    EXPECT_EQ(At(11, 10), Rgb(0, 0, 0)) << "alpha 255 copies the picture";
    EXPECT_EQ(At(10 + 50, 10 + 2), kEdge);           // top edge
    EXPECT_EQ(At(10 + 50, 10 + 79), kEdge);          // bottom edge
    EXPECT_EQ(At(10 + 29, 10 + 40), kEdge);          // left edge reaches one pixel in
    EXPECT_EQ(At(10 + 30, 10 + 40), kCentre);        // the centre starts one further
    EXPECT_EQ(At(10 + 100 - 29 - 2, 10 + 40), kCentre);
    EXPECT_EQ(At(10 + 100 - 29 - 1, 10 + 40), kEdge); // right edge
}

TEST_F(WindowTest, BackWindowKeepsItsSnapshotUntilComposedAgain)
{
    ui::TBackWindow& dialog = menu.Create<ui::TBackWindow>();
    dialog.Hide();
    dialog.LoadBackground("DIALOG");
    dialog.SetBounds(50, 50, 6, 4);
    dialog.ShowComposed();
    Pump();
    EXPECT_EQ(At(50, 50), kMenu);
    EXPECT_EQ(At(51, 50), Rgb(127, 127, 127));

    // The menu changes beneath; the window's translucent parts still show
    // the old menu.
    menu.SetColor(Rgb(0, 0, 0));
    Pump();
    EXPECT_EQ(At(20, 20), Rgb(0, 0, 0));
    EXPECT_EQ(At(50, 50), kMenu);
    EXPECT_EQ(At(51, 50), Rgb(127, 127, 127));

    dialog.ShowComposed();
    Pump();
    EXPECT_EQ(At(50, 50), Rgb(0, 0, 0));
    EXPECT_EQ(At(51, 50), Rgb(0, 0, 0));

    // A new background waits for the next composition.
    dialog.LoadBackground("POL");
    Pump();
    EXPECT_EQ(At(51, 50), Rgb(0, 0, 0));
}

TEST_F(WindowTest, ChildrenPaintOverTheBuffer)
{
    ui::TBackWindow& dialog = menu.Create<ui::TBackWindow>();
    dialog.LoadBackground("DIALOG");
    dialog.SetBounds(50, 50, 6, 4);
    app::Panel& child = dialog.Create<app::Panel>();
    child.SetColor(Rgb(200, 0, 0));
    child.SetBounds(3, 1, 2, 2);
    dialog.ShowComposed();
    Pump();
    EXPECT_EQ(At(53, 51), Rgb(200, 0, 0));
    EXPECT_EQ(At(51, 51), Rgb(127, 127, 127)) << "the child is not in the snapshot";
}

TEST_F(WindowTest, MissingResourcesNameTheFile)
{
    ui::TWindow& window = menu.Create<ui::TWindow>();
    window.LoadSkin("P");
    fs::remove(ui::ResourcePath("PR"));
    try {
        window.LoadSkin("P");
        FAIL() << "a missing piece must stop the load";
    } catch (const ui::EResNotFound& e) {
        EXPECT_EQ(e.Name(), "PR");
        EXPECT_NE(std::string(e.what()).find(ui::ResourcePath("PR")), std::string::npos) << e.what();
    }
    ui::TBackWindow& dialog = menu.Create<ui::TBackWindow>();
    EXPECT_THROW(dialog.LoadBackground("NOWHERE"), ui::EResNotFound);
    // A window made while the default skin is missing cannot be made.
    fs::remove(ui::ResourcePath("UR"));
    fs::remove(ui::ResourcePath("BACK"));
    EXPECT_THROW(menu.Create<ui::TWindow>(), ui::EResNotFound);
    EXPECT_THROW(menu.Create<ui::TBackWindow>(), ui::EResNotFound);
    // A missing mask is no error: the corner is opaque.
    fs::remove(ui::ResourcePath("POLA"));
    Save("PR", Solid24(29, 31, kEdge));
    window.Hide();
    window.LoadSkin("P");
    window.SetBounds(10, 10, 100, 80);
    window.ShowComposed();
    Pump();
    EXPECT_EQ(At(10, 10), Rgb(0, 0, 0));
}

TEST_F(WindowTest, CallBackPanelHandsItsPaintToTheEvent)
{
    ui::TCallBackPanel& panel = menu.Create<ui::TCallBackPanel>();
    panel.SetBounds(100, 100, 40, 30);
    Pump();
    EXPECT_EQ(At(110, 110), Rgb(0, 0, 0)) << "without a paint event: the surface as it is";
    int paints = 0;
    panel.OnPaint = [&](ui::TCallBackPanel& sender) {
        ++paints;
        std::lock_guard<std::mutex> guard(sender.Lock());
        gdi::Canvas c(sender.DeviceContext());
        c.brush.color = Rgb(9, 99, 199);
        c.FillRect({0, 0, 40, 30});
    };
    panel.Invalidate();
    Pump();
    EXPECT_GE(paints, 1);
    EXPECT_EQ(At(110, 110), Rgb(9, 99, 199));

    // Drawing between paints (the module on its tick) is shown by copying
    // only what was drawn, without another paint event.
    const int before = paints;
    {
        std::lock_guard<std::mutex> guard(panel.Lock());
        panel.Surface().TakeDrawn();
        gdi::Canvas c(panel.DeviceContext());
        c.brush.color = Rgb(200, 1, 1);
        c.FillRect({2, 3, 6, 7});
    }
    panel.ShowDrawn();
    EXPECT_EQ(app.DirtyRects().size(), 1u);
    EXPECT_EQ(app.DirtyRects().front(), (gdi::Rect{102, 103, 106, 107}));
    Pump();
    EXPECT_EQ(paints, before);
    EXPECT_EQ(At(103, 104), Rgb(200, 1, 1));
    panel.ShowDrawn(); // nothing new drawn: nothing to show
    EXPECT_TRUE(app.DirtyRects().empty());
    panel.Invalidate();
    Pump();
    EXPECT_EQ(paints, before + 1);
}

} // namespace
