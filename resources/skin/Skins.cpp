// Window skins and dialog backgrounds.
//
// A nine-piece skin is drawn as one small window and cut: the corners keep
// their soft rounded outline in an alpha mask, the edges and the centre are
// opaque and uniform along the direction they are stretched in, so any
// window size composes without seams. The dialog backgrounds are whole
// 32-bit pictures: a rounded face with a soft rim, a head with the title,
// and plain surface where the dialog's controls go (black wells under
// lists and edit fields, tracks under the thumbs).
#include "resources/skin/Artwork.h"

namespace kestrava::artwork {

namespace {

constexpr double kHead = 35; // the head band ends here; controls start from y = 36

struct SkinSizes {
    int32_t cornerW, cornerRightW, topH, bottomH; // OL/UL width, OR/UR width, top row height, bottom row height
    int32_t edgeW, edgeH;                         // top/bottom edge width, left/right edge height
    int32_t centreW, centreH;
};

void SavePiece(Output& out, const std::string& name, const Layer& piece, Rgbf matte)
{
    out.Picture(name, piece.Opaque(matte));
}

void SaveCorner(Output& out, const std::string& name, const Layer& piece)
{
    out.Picture(name, piece.ColourOnly());
    out.Picture(name + "A", piece.AlphaMask());
}

void CutSkin(Output& out, const std::string& prefix, const Layer& m, const SkinSizes& s, Rgbf centre)
{
    const int32_t W = m.Width(), H = m.Height();
    SaveCorner(out, prefix + "OL", m.Crop(0, 0, s.cornerW, s.topH));
    SaveCorner(out, prefix + "OR", m.Crop(W - s.cornerRightW, 0, s.cornerRightW, s.topH));
    SaveCorner(out, prefix + "UL", m.Crop(0, H - s.bottomH, s.cornerW, s.bottomH));
    SaveCorner(out, prefix + "UR", m.Crop(W - s.cornerRightW, H - s.bottomH, s.cornerRightW, s.bottomH));
    SavePiece(out, prefix + "O", m.Crop(s.cornerW, 0, s.edgeW, s.topH), centre);
    SavePiece(out, prefix + "U", m.Crop(s.cornerW, H - s.bottomH, s.edgeW, s.bottomH), centre);
    SavePiece(out, prefix + "L", m.Crop(0, s.topH, s.cornerW, s.edgeH), centre);
    SavePiece(out, prefix + "R", m.Crop(W - s.cornerRightW, s.topH, s.cornerRightW, s.edgeH), centre);
    Layer c(s.centreW, s.centreH);
    c.Fill(Rect(0, 0, s.centreW, s.centreH), centre);
    SavePiece(out, prefix + "C", c, centre);
}

// The default skin: a framed window with a head band and a foot band.
void DefaultSkin(Output& out)
{
    const SkinSizes s{38, 39, 39, 61, 4, 4, 50, 50};
    const double W = s.cornerW + s.edgeW + s.cornerRightW, H = s.topH + s.edgeH + s.bottomH;
    Layer m{int32_t(W), int32_t(H)};
    const double r = 14;
    m.Fill(RoundRect(0, 0, W, H, r), Grey(16));
    const auto face = RoundRect(1, 1, W - 1, H - 1, r - 1);
    m.Fill(face, colour::Surface);
    m.Fill(Intersect(face, Rect(0, 0, W, 33)), VGradient({64, 66, 72}, {46, 47, 51}, 1, 33));
    m.Fill(Intersect(face, Rect(0, 33, W, 34)), Grey(22));
    m.Fill(Intersect(face, Rect(0, 34, W, 35)), Grey(255), 0.06);
    m.Fill(Intersect(face, Rect(0, H - 44, W, H)), Grey(40));
    m.Fill(Intersect(face, Rect(0, H - 44, W, H - 43)), Grey(255), 0.07);
    m.Fill(Intersect(face, Rect(r * 0.6, 1, W - r * 0.6, 2)), Grey(255), 0.2);
    CutSkin(out, "", m, s, colour::Surface);
}

// Skin "P": the announcement and countdown overlays over the black test
// screen, a calm dark tile with a fine inner line.
void OverlaySkin(Output& out)
{
    const SkinSizes s{29, 29, 29, 28, 30, 31, 30, 31};
    const double W = s.cornerW + s.edgeW + s.cornerRightW, H = s.topH + s.edgeH + s.bottomH;
    Layer m{int32_t(W), int32_t(H)};
    const double r = 16;
    const Rgbf body{38, 39, 43};
    m.Fill(RoundRect(0, 0, W, H, r), Grey(14));
    m.Fill(RoundRect(1, 1, W - 1, H - 1, r - 1), Grey(60));
    m.Fill(RoundRect(2, 2, W - 2, H - 2, r - 2), body);
    m.Fill(Subtract(RoundRect(5, 5, W - 5, H - 5, r - 5), RoundRect(6, 6, W - 6, H - 6, r - 6)), colour::Blue, 0.35);
    m.Fill(Intersect(RoundRect(2, 2, W - 2, H - 2, r - 2), Rect(r * 0.7, 2, W - r * 0.7, 3)), Grey(255), 0.16);
    CutSkin(out, "P", m, s, body);
}

// The common face of a dialog: soft outer rim, dark border, head band with
// the title, flat surface below.
Layer DialogFace(int32_t width, int32_t height, const std::string& title)
{
    const double W = width, H = height, r = 11;
    Layer m(width, height);
    m.Fill(RoundRect(0, 0, W, H, r), Grey(8), 0.5); // the soft outer rim
    m.Fill(RoundRect(1, 1, W - 1, H - 1, r - 1), Grey(18));
    const auto face = RoundRect(2, 2, W - 2, H - 2, r - 2);
    m.Fill(face, colour::Surface);
    m.Fill(Intersect(face, Rect(0, 0, W, kHead - 1)), VGradient({66, 68, 74}, {47, 48, 52}, 2, kHead - 1));
    m.Fill(Rect(2, kHead - 1, W - 2, kHead), Grey(22));
    m.Fill(Rect(2, kHead, W - 2, kHead + 1), Grey(255), 0.05);
    m.Fill(Intersect(face, Rect(r * 0.6, 2, W - r * 0.6, 3)), Grey(255), 0.2);
    if (!title.empty()) {
        m.Fill(RoundRect(12, 11, 15, 24, 1.5), colour::Blue);
        const gdi::FontSpec font = FitFont(Font(16, true), title, width - 40);
        m.Text(font, title, 22, (kHead - 1 - Measure(font, title).cy) / 2.0, colour::Text);
    }
    return m;
}

// A sunken well under a list, an edit field or a graph.
void Well(Layer& m, double l, double t, double r, double b, Rgbf fill)
{
    m.Fill(Rect(l - 1, t - 1, r + 1, b + 1), Grey(20));
    m.Fill(Rect(l - 1, b, r + 1, b + 1), Grey(255), 0.07);
    m.Fill(Rect(l, t, r, b), fill);
}

// The track a 14-pixel thumb slides along, from top to bottom.
void Track(Layer& m, double left, double top, double bottom)
{
    m.Fill(RoundRect(left, top, left + 14, bottom, 4), Grey(20));
    m.Fill(RoundRect(left + 1, top + 1, left + 13, bottom - 1, 3), Grey(31));
    m.Fill(RoundRect(left + 6, top + 4, left + 8, bottom - 4, 1), Grey(14));
}

void Label(Layer& m, const std::string& text, double x, double cy, int32_t width, Rgbf c = colour::QuietText)
{
    const gdi::FontSpec font = FitFont(Font(14), text, width);
    m.Text(font, text, x, cy - Measure(font, text).cy / 2.0, c);
}

Layer Settings()
{
    Layer m = DialogFace(233, 340, "Einstellungen");
    // Captions beside the four buttons at (16, 48 / 110 / 172 / 236), 57 high;
    // the volume pop-up opens at (84, 155) between the second and third.
    Label(m, "Joystick einrichten", 84, 48 + 28.5, 137);
    Label(m, "Lautstärke", 84, 110 + 28.5, 137);
    Label(m, "Uhr anzeigen", 84, 172 + 28.5, 137);
    Label(m, "Ergebnisse löschen", 84, 236 + 28.5, 137);
    return m;
}

Layer Help()
{
    Layer m = DialogFace(400, 400, "Hilfe");
    Well(m, 5, 37, 379, 346, colour::Well);
    Track(m, 379, 37, 346);
    return m;
}

Layer YesNo()
{
    // The question label covers (16, 42)-(209, 107); the buttons sit below.
    return DialogFace(227, 158, "Bitte bestätigen");
}

Layer Notice()
{
    // The program's own messages: the question's look, a title that asks
    // nothing.
    return DialogFace(227, 158, "Hinweis");
}

Layer Time()
{
    Layer m = DialogFace(227, 158, "Zeiteinstellung");
    Label(m, "Gesamte Übungszeit:", 18, 56, 190);
    Well(m, 36, 77, 65, 99, colour::Well);
    Well(m, 122, 77, 151, 99, colour::Well);
    Label(m, "Std.", 71, 88, 44);
    Label(m, "Min.", 157, 88, 44);
    return m;
}

Layer End()
{
    Layer m = DialogFace(387, 214, "Ergebnis");
    Well(m, 16, 48, 291, 156, colour::Well);
    Well(m, 299, 48, 355, 156, colour::Well);
    Track(m, 366, 37, 180);
    return m;
}

Layer Evaluation()
{
    Layer m = DialogFace(588, 418, "Auswertung");
    // The list and the graphs share one dark well; the track is a picture
    // of its own at (566, 36).
    Well(m, 101, 50, 565, 401, colour::GraphWell);
    return m;
}

} // namespace

void DrawSkins(Output& out)
{
    DefaultSkin(out);
    OverlaySkin(out);
    const Layer back = DialogFace(233, 340, "");
    out.Picture("BACK", back.ColourOnly());
    out.Picture("BACKA", back.AlphaMask());
}

void DrawDialogs(Output& out)
{
    out.Picture("SETTINGS", Settings().WithAlpha());
    out.Picture("HILFE", Help().WithAlpha());
    out.Picture("JANEIN", YesNo().WithAlpha());
    out.Picture("MELDUNG", Notice().WithAlpha());
    out.Picture("ZEIT", Time().WithAlpha());
    out.Picture("ENDE", End().WithAlpha());
    out.Picture("AUSWERTUNG", Evaluation().WithAlpha());
}

} // namespace kestrava::artwork
