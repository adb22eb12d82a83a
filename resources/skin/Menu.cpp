// The menu screen's pictures (the column of three pieces, the nine-piece
// frame of the panel, the scroll thumbs), the test bar with its title frame
// and clock tile, the two volume bars, and the splash picture.
//
// Pieces that are stretched are drawn as one picture and cut, with the
// stretched part uniform in the stretch direction, so that the pieces meet
// without a seam at any size.
#include "resources/skin/Artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrava::artwork {

namespace {

// The menu column, 635 wide: list wells and thumb tracks in x.
constexpr double kColumn = 635;
constexpr double kTopH = 55, kMidH = 16, kBottomH = 130;
constexpr double kTestWellL = 10, kTestWellR = 362;   // test, duration and score lists
constexpr double kProgWellL = 396, kProgWellR = 608;  // program list
constexpr double kThumbW = 20, kThumbH = 26;
constexpr double kTrack1 = 364, kTrack2 = 610;        // thumb lefts
const Rgbf kTrackFace = Grey(31);

void Track(Layer& m, double left, double top, double bottom, double width)
{
    m.Fill(RoundRect(left, top, left + width, bottom, 5), Grey(20));
    m.Fill(RoundRect(left + 1, top + 1, left + width - 1, bottom - 1, 4), kTrackFace);
    const double c = left + width / 2;
    m.Fill(RoundRect(c - 1, top + 5, c + 1, bottom - 5, 1), Grey(14));
}

Layer Thumb(int32_t w, int32_t h, Rgbf matte)
{
    Layer t(w, h);
    t.Fill(Rect(0, 0, w, h), matte);
    t.Fill(RoundRect(0, 0, w, h, 4), Grey(20));
    const auto face = RoundRect(1, 1, w - 1, h - 1, 3);
    t.Fill(face, VGradient({124, 127, 134}, {84, 86, 92}, 1, h - 1));
    t.Fill(Intersect(face, Rect(3, 1, w - 3, 2)), Grey(255), 0.35);
    for (int i = -1; i <= 1; ++i) {
        const double y = h / 2.0 + i * 4;
        t.Fill(Rect(4, y - 1, w - 4, y), Grey(52));
        t.Fill(Rect(4, y, w - 4, y + 1), Grey(200), 0.5);
    }
    return t;
}

void MenuColumn(Output& out)
{
    const double H = kTopH + kMidH + kBottomH;
    Layer m{int32_t(kColumn), int32_t(H)};
    m.Fill(RoundRect(0, 0, kColumn, H, 10), Grey(16));
    const auto face = RoundRect(1, 1, kColumn - 1, H - 1, 9);
    m.Fill(face, colour::Surface);
    m.Fill(Intersect(face, Rect(0, 0, kColumn, 26)), VGradient({60, 62, 67}, colour::Surface, 1, 26));
    m.Fill(Intersect(face, Rect(6, 1, kColumn - 6, 2)), Grey(255), 0.18);

    // Wells and tracks run from the head through the middle piece into the
    // foot; their ends lie outside the middle piece, which stays uniform.
    const double wellTop = 51, wellBottom = kTopH + kMidH + 1;
    auto well = [&](double l, double r) {
        m.Fill(Rect(l - 1, wellTop - 1, r + 1, wellBottom + 1), Grey(18));
        m.Fill(Rect(l - 1, wellBottom + 1, r + 1, wellBottom + 2), Grey(255), 0.07);
        m.Fill(Rect(l, wellTop, r, wellBottom + 1), colour::Well);
    };
    well(kTestWellL, kTestWellR);
    well(kProgWellL, kProgWellR);
    Track(m, kTrack1, kTopH - 11, kTopH + kMidH + 10, kThumbW);
    Track(m, kTrack2, kTopH - 11, kTopH + kMidH + 10, kThumbW);

    // Column headings over the lists: titles left, the figures right-aligned
    // like their columns (duration 258..311, score 320..362).
    const gdi::FontSpec font = Font(14, true);
    const Rgbf ink = Grey(222);
    const double cy = 37;
    auto heading = [&](const std::string& text, double x, bool right) {
        const gdi::Size size = Measure(font, text);
        m.Text(font, text, right ? x - size.cx : x, cy - size.cy / 2.0, ink);
    };
    heading("Test", 10 + 4, false);
    heading("Dauer", 311 - 2, true);
    heading("Punkte", 362 - 2, true);
    heading("Programme", 396 + 4, false);

    // The foot: a quiet rule above the button row (six buttons from x 26,
    // y 59) and a quiet hint to their right.
    const double foot = kTopH + kMidH;
    m.Fill(Rect(16, foot + 42, kColumn - 16, foot + 43), Grey(22));
    m.Fill(Rect(16, foot + 43, kColumn - 16, foot + 44), Grey(255), 0.05);
    const gdi::FontSpec small = Font(13);
    const std::string hint = "Hilfe jederzeit mit F10";
    const gdi::Size hs = Measure(small, hint);
    m.Text(small, hint, kColumn - 24 - hs.cx, foot + 59 + 28.5 - hs.cy / 2.0, colour::QuietText);

    const int32_t width = int32_t(kColumn);
    out.Picture("MenueOben", m.Crop(0, 0, width, int32_t(kTopH)).Opaque(colour::Panel));
    out.Picture("MenueMitte", m.Crop(0, int32_t(kTopH), width, int32_t(kMidH)).Opaque(colour::Panel));
    out.Picture("MenueUnten", m.Crop(0, int32_t(kTopH + kMidH), width, int32_t(kBottomH)).Opaque(colour::Panel));

    const Layer thumb = Thumb(int32_t(kThumbW), int32_t(kThumbH), kTrackFace);
    out.Picture("Regler1", thumb.Opaque(kTrackFace));
    out.Picture("Regler2", thumb.Opaque(kTrackFace));
}

// The frame of the menu panel: a head band with the program's name and a
// foot band; the sides and the middle are the panel's own colour.
void MenuFrame(Output& out)
{
    constexpr int32_t L = 23, M = 8, R = 204, T = 52, B = 27;
    Layer m(L + M + R, T + M + B);
    const double W = m.Width(), H = m.Height();
    m.Fill(Rect(0, 0, W, H), colour::Panel);
    m.Fill(Rect(0, 0, W, T), VGradient({33, 34, 37}, {25, 26, 28}, 0, T));
    m.Fill(Rect(0, T - 2, W, T - 1), colour::Blue, 0.55);
    m.Fill(Rect(0, T - 1, W, T), Grey(16));
    m.Fill(Rect(0, H - B, W, H), VGradient({29, 30, 32}, {22, 23, 25}, H - B, H));
    m.Fill(Rect(0, H - B, W, H - B + 1), Grey(18));
    m.Fill(Rect(0, H - B + 1, W, H - B + 2), Grey(255), 0.05);
    // The name in the top-right corner, with a small aircraft before it.
    const gdi::FontSpec font = Font(20, true);
    const gdi::Size size = Measure(font, "Kestrava");
    const double x = W - 18 - size.cx, cy = T / 2.0 - 1;
    m.Text(font, "Kestrava", x, cy - size.cy / 2.0, Grey(214));
    const double ax = x - 20;
    const Sdf plane = Union(Union(Segment(ax, cy - 9, ax, cy + 9, 3),
                                  Polygon({{ax - 10, cy + 1}, {ax, cy - 4}, {ax + 10, cy + 1}, {ax, cy - 1}})),
                            Polygon({{ax - 5, cy + 9}, {ax, cy + 5}, {ax + 5, cy + 9}, {ax, cy + 8}}));
    m.Fill(plane, colour::Blue);
    struct Piece {
        const char* name;
        int32_t x, y, w, h;
    };
    const Piece pieces[] = {{"Image1", 0, 0, L, T},     {"Image2", L, 0, M, T},     {"Image3", L + M, 0, R, T},
                            {"Image7", 0, T, L, M},     {"Image10", L, T, M, M},    {"Image8", L + M, T, R, M},
                            {"Image4", 0, T + M, L, B}, {"Image6", L, T + M, M, B}, {"Image5", L + M, T + M, R, B}};
    for (const Piece& p : pieces)
        out.Picture(p.name, m.Crop(p.x, p.y, p.w, p.h).Opaque(colour::Panel));
}

// The test bar, 50 high: a flat surface the buttons stand on, a recessed
// title frame and a clock tile at the right end. Buttons (40 x 40, top 5)
// sit at x 8, 54 and 100 (Zurueck, Pause, Lautstaerke) and 292, 338 (Disk,
// Frage); the volume pop-up opens into the free slot at (153, 24).
void TestBar(Output& out)
{
    constexpr int32_t H = 50;
    auto bar = [](Layer& m) {
        const double W = m.Width();
        m.Fill(Rect(0, 0, W, H), colour::Surface);
        m.Fill(Rect(0, 0, W, 1), Grey(255), 0.1);
        m.Fill(Rect(0, H - 2, W, H - 1), Grey(22));
        m.Fill(Rect(0, H - 1, W, H), Grey(8));
    };
    {
        Layer m(390, H);
        bar(m);
        m.Fill(RoundRect(150, 21, 288, 49, 5), Grey(38));
        out.Picture("LeisteLinks", m.Opaque(colour::Surface));
    }
    {
        Layer m(8, H);
        bar(m);
        out.Picture("LeisteMitte", m.Opaque(colour::Surface));
    }
    {
        // The title frame, cut into its left end, stretched middle and right end.
        Layer m(16 + 8 + 16, H);
        bar(m);
        const double W = m.Width();
        m.Fill(RoundRect(2, 8, W - 2, 42, 8), Grey(20));
        m.Fill(RoundRect(3, 9, W - 3, 41, 7), VGradient(Grey(10), Grey(24), 9, 41));
        m.Fill(RoundRect(2, 41, W - 2, 43, 1), Grey(255), 0.05);
        out.Picture("NameLinks", m.Crop(0, 0, 16, H).Opaque(colour::Surface));
        out.Picture("NameMitte", m.Crop(16, 0, 8, H).Opaque(colour::Surface));
        out.Picture("NameRechts", m.Crop(24, 0, 16, H).Opaque(colour::Surface));
    }
    // The clock tile: the same at the bar's right end and as the clock panel
    // shown while the bar is hidden; the clock text sits in its well.
    auto clock = [&](Layer& m) {
        m.Fill(RoundRect(10, 8, 107, 42, 6), Grey(20));
        m.Fill(RoundRect(11, 9, 106, 41, 5), VGradient(Grey(8), Grey(20), 9, 41));
        m.Fill(Rect(16, 40, 101, 41), colour::Blue, 0.45);
    };
    {
        Layer m(115, H);
        bar(m);
        clock(m);
        out.Picture("LeisteRechts", m.Opaque(colour::Surface));
    }
    {
        Layer m(115, H);
        m.Fill(RoundRect(0, -12, 115 + 12, H, 10), Grey(16));
        m.Fill(RoundRect(1, -12, 115 + 12, H - 1, 9), colour::Surface);
        clock(m);
        out.Picture("UhrPanel", m.Opaque(colour::Well));
    }
}

// The volume bars (132 x 24, the same picture in the settings pop-up and on
// the test bar) and their 9 x 6 thumbs: a wedge that grows to the right and
// the groove the thumb runs in (its top at 11, its left 5 to 118).
void VolumeBars(Output& out)
{
    Layer m(132, 24);
    m.Fill(Rect(0, 0, 132, 24), Grey(16));
    m.Fill(RoundRect(0, 0, 132, 24, 5), Grey(18));
    m.Fill(RoundRect(1, 1, 131, 23, 4), VGradient({40, 41, 45}, {30, 31, 34}, 1, 23));
    m.Fill(Polygon({{9, 17}, {123, 17}, {123, 6}}), Grey(66));
    m.Fill(Polygon({{9, 17}, {123, 17}, {123, 6}}), HGradient(colour::Green, colour::Red, 9, 123), 0.35);
    m.Fill(Rect(9, 13, 123, 15), Grey(12));
    out.Picture("Image9", m.Opaque(Grey(16)));
    out.Picture("VolumeBack", m.Opaque(Grey(16)));

    Layer t(9, 6);
    t.Fill(Rect(0, 0, 9, 6), Grey(20));
    t.Fill(Rect(1, 1, 8, 5), VGradient(Grey(236), Grey(170), 1, 5));
    out.Picture("Regler3", t.Opaque(Grey(20)));
    out.Picture("Regler", t.Opaque(Grey(20)));
}

// The dialogs' thumbs and the evaluation's track picture.
void DialogThumbs(Output& out)
{
    const Rgbf track = Grey(31);
    out.Picture("Regler4", Thumb(14, 26, track).Opaque(track));
    out.Picture("Regler5", Thumb(14, 26, track).Opaque(track));
    out.Picture("AuswertungsRegler", Thumb(15, 26, track).Opaque(track));

    // A transparent picture: its lower-left pixel is the dialog's surface,
    // left out when it is drawn.
    Layer s(18, 375);
    s.Fill(RoundRect(0, 0, 18, 375, 6), Grey(20));
    s.Fill(RoundRect(1, 1, 17, 374, 5), track);
    s.Fill(RoundRect(8, 6, 10, 369, 1), Grey(14));
    gdi::Bitmap picture = s.Opaque(colour::Surface);
    const gdi::ColorRef key = picture.GetColor(0, picture.Height() - 1);
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x)
            if (s.Alpha(x, y) <= 0.02)
                picture.SetPixel(x, y, gdi::PixelOf(key));
    out.Picture("AuswertungsScroll", picture);
}

} // namespace

void DrawMenu(Output& out)
{
    MenuColumn(out);
    MenuFrame(out);
    TestBar(out);
    VolumeBars(out);
    DialogThumbs(out);
}

// The splash: the name over a quiet dark field with a stylised aircraft,
// and the progress track the program fills in light grey (rows 388 to 395,
// x 46 to 495), kept dark so the fill stands out.
void DrawSplash(Output& out)
{
    constexpr int32_t W = 500, H = 400;
    Layer m(W, H);
    // A soft light behind the aircraft, fading out with the distance.
    m.Fill(Rect(0, 0, W, H), [](double x, double y) {
        const double glow = std::max(0.0, 1 - std::hypot(x - 250, (y - 130) * 1.2) / 260);
        return Mix(Mix(Rgbf{34, 36, 41}, Rgbf{16, 17, 19}, y / H), Rgbf{58, 62, 70}, glow * glow);
    });
    m.Fill(Subtract(Rect(0, 0, W, H), Rect(1, 1, W - 1, H - 1)), Grey(70));

    // Aircraft from above, nose up, slightly banked.
    const double cx = 250, cy = 128;
    const Sdf plane = Aircraft(cx, cy, 1);
    m.Fill(Shifted(plane, 5, 7), Grey(0), 0.35);
    m.Fill(plane, VGradient(Mix(colour::Blue, Grey(255), 0.35), colour::Blue, cy - 62, cy + 58));
    m.Fill(Subtract(Grown(plane, 0), Grown(plane, -1.2)), Grey(255), 0.25);

    const gdi::FontSpec title = Font(58, true, "Arial Black");
    m.TextCentred(title, "Kestrava", 250, 246, colour::Text);
    m.Fill(Rect(150, 283, 350, 284), colour::Blue, 0.7);
    m.TextCentred(Font(16), "Training für Eignungstests in der Luftfahrt", 250, 304, colour::QuietText);

    m.Text(Font(12), "Programm wird gestartet ...", 46, 368, Grey(130));
    // The track is exactly where the program's progress bar runs: from
    // x 46 for 449 pixels, rows 388 to 394, with a one-pixel frame around.
    m.Fill(Rect(45, 387, 496, 396), Grey(60));
    m.Fill(Rect(46, 388, 495, 395), Grey(24));
    m.Fill(Rect(46, 388, 495, 389), Grey(12));
    out.Picture("SPLASH", m.Opaque(Grey(0)));
}

} // namespace kestrava::artwork
