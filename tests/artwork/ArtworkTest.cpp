// The generated artwork against its contract: every file listed in
// docs/ARTWORK.md exists with the listed size and depth (and nothing
// unlisted is written), masks are soft with see-through outer corners, the
// skins' pieces meet without seams, the dialog backgrounds carry real alpha
// and a surface under their buttons that matches the buttons' see-through
// colour, stretched pieces are uniform, the splash track stays dark, and
// the cursors load through the program's own reader.
#include "platform/gdi/Bitmap.h"
#include "platform/sdl/CursorFile.h"
#include "ui/Colours.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <cmath>
#include <vector>

namespace {

using namespace kestrava;

const std::string kProgram = KESTRAVA_ARTWORK_PROGRAM_DIR;
const std::string kSkin = kProgram + "/skin/";

struct Entry {
    std::string file; // relative to the program folder
    int32_t width = 0, height = 0, depth = 0;
};

// The table rows of docs/ARTWORK.md: | `file` | W × H | depth | ... |
std::vector<Entry> Contract()
{
    std::ifstream in(KESTRAVA_ARTWORK_DOC);
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        std::string cell;
        while (std::getline(row, cell, '|'))
            cells.push_back(cell);
        if (cells.size() < 3)
            continue;
        Entry e;
        const size_t open = cells[0].find('`'), close = cells[0].rfind('`');
        e.file = cells[0].substr(open + 1, close - open - 1);
        std::stringstream size(cells[1]);
        std::string times;
        size >> e.width >> times >> e.height;
        e.depth = std::stoi(cells[2]);
        entries.push_back(e);
    }
    return entries;
}

// Every file is drawn at each user-interface scale: the 1x name, and the
// scale before the extension (NAME@2x.bmp), floor(s * size + 0.5) pixels.
struct ArtScale {
    double s;
    const char* suffix;
    int32_t Of(int32_t units) const { return int32_t(std::floor(units * s + 0.5)); }
    std::string File(const std::string& name) const
    {
        const size_t dot = name.rfind('.');
        return name.substr(0, dot) + suffix + name.substr(dot);
    }
};
const ArtScale kScales[] = {{1, ""}, {1.5, "@1.5x"}, {2, "@2x"}};

gdi::Bitmap Load(const std::string& name, const ArtScale& scale = kScales[0])
{
    gdi::Bitmap b;
    std::string error;
    EXPECT_TRUE(gdi::LoadBmp(kSkin + name + scale.suffix + ".bmp", b, &error)) << error;
    return b;
}

uint32_t Rgb24(gdi::Pixel p) { return p & 0x00FFFFFFu; }
uint8_t AlphaOf(gdi::Pixel p) { return uint8_t(p >> 24); }

TEST(Artwork, EveryListedFileHasItsSizeAndDepthAndNothingElseIsWritten)
{
    const std::vector<Entry> entries = Contract();
    ASSERT_GT(entries.size(), 100u) << "the table of docs/ARTWORK.md was not read";
    std::set<std::string> listed;
    for (const ArtScale& scale : kScales)
    for (const Entry& e : entries) {
        const std::string file = scale.File(e.file);
        SCOPED_TRACE(file);
        listed.insert(file);
        const std::string path = kProgram + "/" + file;
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        if (e.file.ends_with(".bmp")) {
            gdi::Bitmap b;
            std::string error;
            ASSERT_TRUE(gdi::LoadBmp(path, b, &error)) << error;
            EXPECT_EQ(b.Width(), scale.Of(e.width));
            EXPECT_EQ(b.Height(), scale.Of(e.height));
            EXPECT_EQ(b.BitsPerPixel(), e.depth);
        } else {
            sdl::CursorImage cursor;
            std::string error;
            ASSERT_TRUE(sdl::LoadCursor(path, cursor, error)) << error;
            for (const sdl::CursorFrame& frame : cursor.frames) {
                EXPECT_EQ(frame.image.Width(), scale.Of(e.width));
                EXPECT_EQ(frame.image.Height(), scale.Of(e.height));
            }
        }
    }
    for (const auto& item : std::filesystem::directory_iterator(kSkin))
        EXPECT_TRUE(listed.count("skin/" + item.path().filename().string()))
            << item.path().filename() << " is written but not listed";
    EXPECT_TRUE(listed.count("FLIEGE.ANI") && listed.count("HAND.CUR"));
}

// Masks: index = alpha through a grey ramp, soft values on the rim, the
// outer corners see-through, the picture's own size.
TEST(Artwork, MasksAreSoftWithSeeThroughOuterCorners)
{
    struct Mask {
        const char* name;
        bool left, top, right, bottom; // which outer corners lie in this piece
    };
    const Mask masks[] = {{"OL", 1, 1, 0, 0},  {"OR", 0, 1, 1, 0},  {"UL", 1, 0, 0, 1},  {"UR", 0, 0, 1, 1},
                          {"POL", 1, 1, 0, 0}, {"POR", 0, 1, 1, 0}, {"PUL", 1, 0, 0, 1}, {"PUR", 0, 0, 1, 1},
                          {"BACK", 1, 1, 1, 1}};
    for (const ArtScale& scale : kScales)
    for (const Mask& m : masks) {
        SCOPED_TRACE(std::string(m.name) + scale.suffix);
        const gdi::Bitmap colour = Load(m.name, scale);
        const gdi::Bitmap mask = Load(std::string(m.name) + "A", scale);
        ASSERT_EQ(mask.BitsPerPixel(), 8);
        ASSERT_EQ(mask.Width(), colour.Width());
        ASSERT_EQ(mask.Height(), colour.Height());
        ASSERT_EQ(mask.Palette().size(), 256u);
        for (size_t i = 0; i < 256; ++i)
            ASSERT_EQ(mask.Palette()[i], gdi::Rgb(uint8_t(i), uint8_t(i), uint8_t(i)));
        int soft = 0, opaque = 0;
        for (int32_t y = 0; y < mask.Height(); ++y)
            for (int32_t x = 0; x < mask.Width(); ++x) {
                const uint8_t a = mask.IndexAt(x, y);
                soft += a > 0 && a < 255 ? 1 : 0;
                opaque += a == 255 ? 1 : 0;
            }
        EXPECT_GT(soft, 3);
        EXPECT_GT(opaque, mask.Width() * mask.Height() / 3);
        const int32_t r = mask.Width() - 1, b = mask.Height() - 1;
        if (m.left && m.top) {
            EXPECT_EQ(mask.IndexAt(0, 0), 0);
        }
        if (m.right && m.top) {
            EXPECT_EQ(mask.IndexAt(r, 0), 0);
        }
        if (m.left && m.bottom) {
            EXPECT_EQ(mask.IndexAt(0, b), 0);
        }
        if (m.right && m.bottom) {
            EXPECT_EQ(mask.IndexAt(r, b), 0);
        }
    }
}

// The composition stretches the edges beside the corners: the corner's
// opaque inner column (row) must continue in the edge's first column (row).
TEST(Artwork, SkinEdgesContinueTheirCorners)
{
    for (const std::string p : {"", "P"}) {
        SCOPED_TRACE("skin \"" + p + "\"");
        const gdi::Bitmap ol = Load(p + "OL"), ola = Load(p + "OLA"), orr = Load(p + "OR"), ora = Load(p + "ORA");
        const gdi::Bitmap ul = Load(p + "UL"), ula = Load(p + "ULA");
        const gdi::Bitmap top = Load(p + "O"), left = Load(p + "L"), bottom = Load(p + "U"), centre = Load(p + "C");
        ASSERT_EQ(top.Height(), ol.Height());
        ASSERT_EQ(left.Width(), ol.Width());
        for (int32_t y = 0; y < ol.Height(); ++y) {
            if (ola.IndexAt(ol.Width() - 1, y) == 255) {
                EXPECT_EQ(Rgb24(ol.GetPixel(ol.Width() - 1, y)), Rgb24(top.GetPixel(0, y))) << "row " << y;
            }
            if (ora.IndexAt(0, y) == 255) {
                EXPECT_EQ(Rgb24(orr.GetPixel(0, y)), Rgb24(top.GetPixel(top.Width() - 1, y))) << "row " << y;
            }
        }
        for (int32_t x = 0; x < ol.Width(); ++x) {
            if (ola.IndexAt(x, ol.Height() - 1) == 255) {
                EXPECT_EQ(Rgb24(ol.GetPixel(x, ol.Height() - 1)), Rgb24(left.GetPixel(x, 0))) << "column " << x;
            }
            if (ula.IndexAt(x, 0) == 255) {
                EXPECT_EQ(Rgb24(ul.GetPixel(x, 0)), Rgb24(left.GetPixel(x, left.Height() - 1))) << "column " << x;
            }
        }
        // The centre is one colour, the inner side of the edges.
        for (int32_t y = 0; y < centre.Height(); ++y)
            for (int32_t x = 0; x < centre.Width(); ++x)
                ASSERT_EQ(centre.GetPixel(x, y), centre.GetPixel(0, 0));
        EXPECT_EQ(Rgb24(left.GetPixel(left.Width() - 1, 0)), Rgb24(centre.GetPixel(0, 0)));
        EXPECT_EQ(Rgb24(bottom.GetPixel(0, 0)), Rgb24(centre.GetPixel(0, 0)));
    }
}

// A stretched piece must look the same at any length: every line along the
// stretch direction is one colour.
TEST(Artwork, StretchedPiecesAreUniformAlongTheirStretch)
{
    const char* alongY[] = {"MenueMitte", "Image7", "Image8", "Image10", "L", "R", "PL", "PR"};
    const char* alongX[] = {"Image2", "Image6", "Image10", "LeisteMitte", "NameMitte", "O", "U", "PO", "PU"};
    for (const char* name : alongY) {
        SCOPED_TRACE(name);
        const gdi::Bitmap b = Load(name);
        for (int32_t x = 0; x < b.Width(); ++x)
            for (int32_t y = 1; y < b.Height(); ++y)
                ASSERT_EQ(b.GetPixel(x, y), b.GetPixel(x, 0)) << x << "," << y;
    }
    for (const char* name : alongX) {
        SCOPED_TRACE(name);
        const gdi::Bitmap b = Load(name);
        for (int32_t y = 0; y < b.Height(); ++y)
            for (int32_t x = 1; x < b.Width(); ++x)
                ASSERT_EQ(b.GetPixel(x, y), b.GetPixel(0, y)) << x << "," << y;
    }
    // The menu panel's centre is the panel colour.
    EXPECT_EQ(Rgb24(Load("Image10").GetPixel(0, 0)), gdi::PixelOf(ui::colour::kMenuPanel) & 0x00FFFFFFu);
}

TEST(Artwork, DialogBackgroundsHaveSoftAlphaAndAnOpaqueFace)
{
    for (const char* name : {"SETTINGS", "HILFE", "JANEIN", "MELDUNG", "ZEIT", "ENDE", "AUSWERTUNG"}) {
        SCOPED_TRACE(name);
        const gdi::Bitmap b = Load(name);
        ASSERT_EQ(b.BitsPerPixel(), 32);
        const int32_t r = b.Width() - 1, bottom = b.Height() - 1;
        for (auto [x, y] : {std::pair{0, 0}, std::pair{r, 0}, std::pair{0, bottom}, std::pair{r, bottom}})
            EXPECT_EQ(AlphaOf(b.GetPixel(x, y)), 0) << "outer corner " << x << "," << y;
        EXPECT_EQ(AlphaOf(b.GetPixel(b.Width() / 2, b.Height() / 2)), 255);
        // Soft all round: the middle of each side is partly transparent.
        for (auto [x, y] : {std::pair{b.Width() / 2, 0}, std::pair{b.Width() / 2, bottom}, std::pair{0, b.Height() / 2},
                            std::pair{r, b.Height() / 2}}) {
            const uint8_t a = AlphaOf(b.GetPixel(x, y));
            EXPECT_TRUE(a > 0 && a < 255) << "rim " << x << "," << y << " alpha " << int(a);
        }
    }
}

// Transparent painting shows the background where a button has its
// see-through colour, and the clock switch paints that colour itself: either
// way the background under a button must be exactly that colour.
TEST(Artwork, ButtonsStandOnTheirOwnSeeThroughColour)
{
    struct Place {
        const char* background;
        const char* button;
        int32_t x, y;
    };
    const std::vector<Place> places = {
        {"SETTINGS", "JoyStick", 16, 48},        {"SETTINGS", "Laut", 16, 110},
        {"SETTINGS", "Uhr", 16, 172},            {"SETTINGS", "Reset", 16, 236},
        {"SETTINGS", "Ok", 78, 291},             {"JANEIN", "JaButton", 27, 109},
        {"JANEIN", "NeinButton", 118, 108},      {"ZEIT", "OkButton", 27, 110},
        {"ZEIT", "AbbruchButton", 113, 110},     {"ENDE", "EndeOk", 274, 170},
        {"HILFE", "HilfeOk", 280, 351},          {"AUSWERTUNG", "Allgemein", 24, 44},
        {"AUSWERTUNG", "Verlauf", 24, 115},      {"AUSWERTUNG", "TestDetails", 24, 185},
        {"AUSWERTUNG", "Lernkurve", 24, 256},    {"AUSWERTUNG", "AuswertungZurueck", 24, 327},
        {"MenueUnten", "GoButton", 26, 59},      {"MenueUnten", "FrageButton", 82, 59},
        {"MenueUnten", "SettingsButton", 138, 59}, {"MenueUnten", "DetailButton", 194, 59},
        {"MenueUnten", "LoadButton", 250, 59},   {"MenueUnten", "ExitButton", 306, 59},
        {"LeisteLinks", "Zurueck", 8, 5},        {"LeisteLinks", "Pause", 54, 5},
        {"LeisteLinks", "Lautstaerke", 100, 5},  {"LeisteLinks", "Disk", 292, 5},
        {"LeisteLinks", "Frage", 338, 5}};
    for (const ArtScale& scale : kScales) {
    std::map<std::string, gdi::Bitmap> backgrounds;
    for (Place p : places) {
        SCOPED_TRACE(std::string(p.button) + " on " + p.background + scale.suffix);
        if (!backgrounds.count(p.background))
            backgrounds[p.background] = Load(p.background, scale);
        const gdi::Bitmap& back = backgrounds[p.background];
        const gdi::Bitmap idle = Load(std::string(p.button) + "_Idle", scale);
        p.x = scale.Of(p.x);
        p.y = scale.Of(p.y);
        ASSERT_LE(p.x + idle.Width(), back.Width());
        ASSERT_LE(p.y + idle.Height(), back.Height());
        const uint32_t key = idle.TransparentColor();
        int seeThrough = 0;
        for (int32_t y = 0; y < idle.Height(); ++y)
            for (int32_t x = 0; x < idle.Width(); ++x)
                if (Rgb24(idle.GetPixel(x, y)) == Rgb24(gdi::PixelOf(key))) {
                    ++seeThrough;
                    const gdi::Pixel under = back.GetPixel(p.x + x, p.y + y);
                    ASSERT_EQ(Rgb24(under), Rgb24(gdi::PixelOf(key))) << "at " << x << "," << y;
                    if (back.BitsPerPixel() == 32) {
                        ASSERT_EQ(AlphaOf(under), 255);
                    }
                }
        EXPECT_GT(seeThrough, 8);
    }
    }
}

// Hit testing takes the lower-left pixel's colour as see-through: it must be
// outside the plate, and a latching button rests on its held picture, so
// every state shares size and see-through colour.
TEST(Artwork, ButtonStatesShareSizeAndSeeThroughOnlyOutsideThePlate)
{
    std::map<std::string, std::vector<std::string>> buttons;
    for (const auto& item : std::filesystem::directory_iterator(kSkin)) {
        const std::string name = item.path().stem().string();
        for (const char* state : {"_Idle", "_Up", "_Down", "_PressedUp"})
            if (name.ends_with(state))
                buttons[name.substr(0, name.size() - std::string(state).size())].push_back(name);
    }
    ASSERT_GE(buttons.size(), 27u);
    for (const auto& [button, states] : buttons) {
        SCOPED_TRACE(button);
        EXPECT_GE(states.size(), 3u);
        const gdi::Bitmap idle = Load(button + "_Idle");
        const uint32_t key = Rgb24(gdi::PixelOf(idle.TransparentColor()));
        for (const std::string& state : states) {
            SCOPED_TRACE(state);
            const gdi::Bitmap b = Load(state);
            ASSERT_EQ(b.Width(), idle.Width());
            ASSERT_EQ(b.Height(), idle.Height());
            EXPECT_EQ(b.BitsPerPixel(), 24);
            EXPECT_EQ(Rgb24(gdi::PixelOf(b.TransparentColor())), key);
            // The key lies only outside the plate: in every row and column
            // it runs in from the ends and never shows between plate pixels.
            ASSERT_NE(Rgb24(b.GetPixel(b.Width() / 2, b.Height() / 2)), key);
            auto noHoles = [&](int32_t count, auto at) {
                int32_t first = 0, last = count - 1;
                while (first < count && at(first) == key)
                    ++first;
                while (last >= 0 && at(last) == key)
                    --last;
                for (int32_t i = first; i <= last; ++i)
                    if (at(i) == key)
                        return false;
                return true;
            };
            for (int32_t y = 0; y < b.Height(); ++y)
                ASSERT_TRUE(noHoles(b.Width(), [&](int32_t x) { return Rgb24(b.GetPixel(x, y)); })) << "row " << y;
            for (int32_t x = 0; x < b.Width(); ++x)
                ASSERT_TRUE(noHoles(b.Height(), [&](int32_t y) { return Rgb24(b.GetPixel(x, y)); })) << "column " << x;
        }
        // The states look different.
        const gdi::Bitmap down = Load(button + "_Down");
        EXPECT_NE(idle.GetPixel(idle.Width() / 2, 5), down.GetPixel(idle.Width() / 2, 5));
    }
    ASSERT_TRUE(buttons.count("Uhr"));
    EXPECT_EQ(buttons["Uhr"].size(), 4u);
}

TEST(Artwork, SplashTrackIsWhereTheProgressBarRuns)
{
    // The program fills x 46 to 46 + 449 (exclusive), rows 388 to 395
    // (exclusive): the dark track is exactly that, and its frame lies just
    // outside on every side.
    const gdi::Bitmap splash = Load("SPLASH");
    const auto sum = [&](int32_t x, int32_t y) {
        const gdi::ColorRef c = splash.GetColor(x, y);
        return gdi::RedOf(c) + gdi::GreenOf(c) + gdi::BlueOf(c);
    };
    for (int32_t y = 388; y < 395; ++y)
        for (int32_t x = 46; x < 46 + 449; ++x)
            ASSERT_LT(sum(x, y), 3 * 30) << x << "," << y;
    for (int32_t y = 388; y < 395; ++y) {
        EXPECT_GE(sum(45, y), 3 * 50) << y;
        EXPECT_GE(sum(46 + 449, y), 3 * 50) << y;
    }
    for (int32_t x = 46; x < 46 + 449; ++x) {
        EXPECT_GE(sum(x, 387), 3 * 50) << x;
        EXPECT_GE(sum(x, 395), 3 * 50) << x;
    }
}

TEST(Artwork, CursorsLoadThroughTheProgramsReader)
{
    std::string error;
    for (const ArtScale& scale : kScales) {
        SCOPED_TRACE(scale.suffix);
        sdl::CursorImage hand;
        ASSERT_TRUE(sdl::LoadCursor(kProgram + "/" + scale.File("HAND.CUR"), hand, error)) << error;
        ASSERT_EQ(hand.frames.size(), 1u);
        EXPECT_FALSE(hand.Animated());
        const sdl::CursorFrame& tip = hand.frames[0];
        // The hotspot is on the fingertip: the finger is there, the air
        // beside it is see-through, and so are the corners.
        const int32_t side = scale.Of(32), beside = scale.Of(6);
        EXPECT_GT(AlphaOf(tip.image.GetPixel(tip.hotX, tip.hotY)), 0);
        EXPECT_EQ(AlphaOf(tip.image.GetPixel(tip.hotX - beside, tip.hotY)), 0);
        EXPECT_EQ(AlphaOf(tip.image.GetPixel(tip.hotX + beside, tip.hotY)), 0);
        EXPECT_EQ(AlphaOf(tip.image.GetPixel(side - 1, 0)), 0);
        EXPECT_EQ(AlphaOf(tip.image.GetPixel(0, side - 1)), 0);
    }

    for (const ArtScale& scale : kScales) {
        SCOPED_TRACE(scale.suffix);
        sdl::CursorImage busy;
        ASSERT_TRUE(sdl::LoadCursor(kProgram + "/" + scale.File("FLIEGE.ANI"), busy, error)) << error;
        EXPECT_TRUE(busy.Animated());
        ASSERT_GE(busy.frames.size(), 4u);
        for (size_t i = 0; i < busy.frames.size(); ++i) {
            SCOPED_TRACE(i);
            const sdl::CursorFrame& f = busy.frames[i];
            EXPECT_EQ(AlphaOf(f.image.GetPixel(0, 0)), 0);
            EXPECT_EQ(AlphaOf(f.image.GetPixel(f.hotX, f.hotY)), 255);
            const sdl::CursorFrame& next = busy.frames[(i + 1) % busy.frames.size()];
            bool differs = false;
            for (int32_t y = 0; y < f.image.Height() && !differs; ++y)
                for (int32_t x = 0; x < f.image.Width() && !differs; ++x)
                    differs = f.image.GetPixel(x, y) != next.image.GetPixel(x, y);
            EXPECT_TRUE(differs) << "the propeller does not turn between frames";
        }
        for (const sdl::CursorStep& step : busy.steps)
            EXPECT_GT(step.jiffies, 0u);
    }
}

} // namespace
