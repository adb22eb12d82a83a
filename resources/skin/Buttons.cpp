// The bitmap buttons: rounded dark plates with a pictogram or a caption, in
// the states rest (Idle), hover (Up), held (Down) and, for the clock switch,
// hover while latched (PressedUp).
//
// Every picture is drawn on the surface colour the buttons stand on, which
// is also their see-through colour (the lower-left pixel lies outside the
// plate). Transparent painting leaves that colour out, and the plate's soft
// rim already fades into it, so no fringe of another key colour shows. A
// latching button rests on its former held picture, so all states share the
// same see-through outside.
#include "resources/skin/Artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrava::artwork {

namespace {

enum class State { Idle, Up, Down, PressedUp };

const char* Suffix(State s)
{
    switch (s) {
    case State::Idle: return "_Idle";
    case State::Up: return "_Up";
    case State::Down: return "_Down";
    case State::PressedUp: return "_PressedUp";
    }
    return "";
}

bool Held(State s) { return s == State::Down || s == State::PressedUp; }
bool Hover(State s) { return s == State::Up || s == State::PressedUp; }

// Draws a pictogram of size s centred on (cx, cy) in ink.
using Pictogram = std::function<void(Layer&, double cx, double cy, double s, Rgbf ink)>;

void Plate(Layer& art, double radius, State state, Rgbf accent)
{
    const double w = art.Width(), h = art.Height();
    const double l = 2, t = 2, r = w - 2, b = h - 2;
    // A faint drop shadow below the plate; flattened while held.
    if (!Held(state))
        art.Fill(RoundRect(l, t + 1.5, r, b + 1, radius), Grey(0), 0.45);
    Rgbf top, bottom, rim;
    switch (state) {
    case State::Idle: top = {78, 80, 85}, bottom = {52, 53, 57}, rim = Grey(22); break;
    case State::Up: top = {94, 97, 103}, bottom = {62, 64, 69}, rim = Mix(Grey(22), accent, 0.85); break;
    case State::Down: top = {33, 34, 37}, bottom = {50, 51, 55}, rim = Grey(16); break;
    case State::PressedUp: top = {42, 43, 47}, bottom = {62, 64, 69}, rim = Mix(Grey(16), accent, 0.85); break;
    }
    art.Fill(RoundRect(l, t, r, b, radius), rim);
    const auto face = RoundRect(l + 1, t + 1, r - 1, b - 1, radius - 1);
    art.Fill(face, VGradient(top, bottom, t, b));
    if (Held(state)) {
        // An inner shadow along the top edge: the plate sits lower.
        art.Fill(Intersect(face, Rect(0, 0, w, t + 4)), Grey(0), 0.30);
    } else {
        // The 1-px highlight under the top rim, and a quieter one at the foot.
        art.Fill(Intersect(face, Rect(l + radius * 0.5, t + 1, r - radius * 0.5, t + 2)), Grey(255), 0.22);
        art.Fill(Intersect(face, Rect(l + radius, b - 2, r - radius, b - 1)), Grey(0), 0.25);
    }
    if (Hover(state))
        art.Fill(Subtract(face, Grown(face, -1.2)), accent, 0.55);
}

// Turns the plate into the 24-bit file on the surface colour and keeps the
// surface colour out of the plate itself, so that hit testing (the plate's
// pixels differ from the lower-left one) covers the whole plate.
gdi::Bitmap OnSurface(const Layer& art)
{
    gdi::Bitmap out = art.Opaque(colour::Surface);
    const gdi::ColorRef key = out.TransparentColor();
    const gdi::ColorRef nearKey = gdi::Rgb(gdi::RedOf(key), gdi::GreenOf(key), uint8_t(gdi::BlueOf(key) + 1));
    for (int32_t y = 0; y < out.Height(); ++y)
        for (int32_t x = 0; x < out.Width(); ++x) {
            const bool plate = art.Alpha(x, y) > 0.02;
            if (!plate)
                out.SetPixel(x, y, gdi::PixelOf(key));
            else if (out.GetColor(x, y) == key)
                out.SetPixel(x, y, gdi::PixelOf(nearKey));
        }
    return out;
}

Rgbf InkFor(State state, Rgbf accent, bool tinted)
{
    switch (state) {
    case State::Idle: return tinted ? Mix(Grey(214), accent, 0.55) : Grey(212);
    case State::Up: return tinted ? Mix(Grey(250), accent, 0.35) : Grey(250);
    case State::Down:
    case State::PressedUp: return Scale(Mix(accent, Grey(255), 0.2), 1.1);
    }
    return Grey(212);
}

struct ButtonStyle {
    Rgbf accent = colour::Blue;
    bool tinted = false; // the pictogram carries the accent at rest too
    bool fourStates = false;
};

void PictogramButton(Output& out, const std::string& name, int32_t w, int32_t h, const Pictogram& draw,
                     ButtonStyle style = {})
{
    const double s = std::min(w, h) * (h <= 40 ? 0.56 : 0.53);
    for (State state : {State::Idle, State::Up, State::Down, State::PressedUp}) {
        if (state == State::PressedUp && !style.fourStates)
            continue;
        Layer art(w, h);
        Plate(art, h <= 40 ? 8 : 10, state, style.accent);
        const double shift = Held(state) ? 1 : 0;
        draw(art, w / 2.0 + shift, h / 2.0 + shift, s, InkFor(state, style.accent, style.tinted));
        out.Picture(name + Suffix(state), OnSurface(art));
    }
}

void TextButton(Output& out, const std::string& name, const std::string& caption, Rgbf accent = colour::Blue)
{
    constexpr int32_t w = 84, h = 36;
    const gdi::FontSpec font = FitFont(Font(15, true), caption, w - 16);
    for (State state : {State::Idle, State::Up, State::Down}) {
        Layer art(w, h);
        Plate(art, 7, state, accent);
        const double shift = Held(state) ? 1 : 0;
        const Rgbf ink = state == State::Idle ? Grey(226) : state == State::Up ? Grey(255) : Grey(205);
        art.TextCentred(font, caption, w / 2.0 + shift, h / 2.0 + shift, ink);
        out.Picture(name + Suffix(state), OnSurface(art));
    }
}

// --- pictograms -------------------------------------------------------------

constexpr double kPi = std::numbers::pi;

void Play(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Grown(Polygon({{cx - 0.26 * s, cy - 0.36 * s}, {cx + 0.38 * s, cy}, {cx - 0.26 * s, cy + 0.36 * s}}),
                 0.05 * s),
           ink);
}

void Question(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.TextCentred(Font(int32_t(std::lround(s * 1.15)), true), "?", cx, cy, ink);
}

void Gear(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    Sdf gear = Circle(cx, cy, 0.33 * s);
    for (int k = 0; k < 8; ++k)
        gear = Union(gear, Rotated(RoundRect(cx - 0.085 * s, cy - 0.47 * s, cx + 0.085 * s, cy, 0.03 * s), cx, cy,
                                   k * kPi / 4));
    a.Fill(Subtract(gear, Circle(cx, cy, 0.14 * s)), ink);
}

void BarChart(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    const double base = cy + 0.4 * s;
    a.Fill(Segment(cx - 0.44 * s, base, cx + 0.44 * s, base, 0.07 * s), ink);
    const double heights[3] = {0.36, 0.62, 0.84};
    for (int i = 0; i < 3; ++i) {
        const double x = cx - 0.34 * s + i * 0.26 * s;
        a.Fill(RoundRect(x, base - heights[i] * s, x + 0.18 * s, base - 0.06 * s, 0.03 * s), ink);
    }
}

void Folder(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    const Sdf body = Union(RoundRect(cx - 0.45 * s, cy - 0.26 * s, cx + 0.45 * s, cy + 0.38 * s, 0.06 * s),
                           RoundRect(cx - 0.45 * s, cy - 0.38 * s, cx - 0.06 * s, cy - 0.18 * s, 0.05 * s));
    const Sdf arrow =
        Polygon({{cx - 0.1 * s, cy - 0.14 * s}, {cx + 0.2 * s, cy + 0.06 * s}, {cx - 0.1 * s, cy + 0.26 * s}});
    a.Fill(Subtract(body, Grown(arrow, 0.02 * s)), ink);
}

void Power(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    const double t = 0.11 * s;
    a.Fill(Union(Arc(cx, cy + 0.04 * s, 0.36 * s, t, -kPi / 2 + 0.62, 1.5 * kPi - 0.62),
                 Segment(cx, cy - 0.44 * s, cx, cy - 0.02 * s, t)),
           ink);
}

void Joystick(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(RoundRect(cx - 0.42 * s, cy + 0.22 * s, cx + 0.42 * s, cy + 0.44 * s, 0.08 * s), ink);
    a.Fill(Segment(cx, cy + 0.24 * s, cx - 0.04 * s, cy - 0.16 * s, 0.1 * s), ink);
    a.Fill(Circle(cx - 0.05 * s, cy - 0.26 * s, 0.17 * s), ink);
    a.Fill(RoundRect(cx + 0.16 * s, cy + 0.12 * s, cx + 0.34 * s, cy + 0.24 * s, 0.03 * s), ink);
}

void Speaker(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    const double x = cx - 0.08 * s;
    a.Fill(Grown(Polygon({{x - 0.34 * s, cy - 0.13 * s},
                          {x - 0.16 * s, cy - 0.13 * s},
                          {x + 0.08 * s, cy - 0.35 * s},
                          {x + 0.08 * s, cy + 0.35 * s},
                          {x - 0.16 * s, cy + 0.13 * s},
                          {x - 0.34 * s, cy + 0.13 * s}}),
                 0.02 * s),
           ink);
    a.Fill(Arc(x + 0.1 * s, cy, 0.2 * s, 0.08 * s, -0.75, 0.75), ink);
    a.Fill(Arc(x + 0.1 * s, cy, 0.36 * s, 0.08 * s, -0.8, 0.8), ink);
}

void Clock(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Ring(cx, cy, 0.4 * s, 0.09 * s), ink);
    for (int k = 0; k < 12; k += 3) {
        const double an = k * kPi / 6;
        a.Fill(Segment(cx + 0.27 * s * std::cos(an), cy + 0.27 * s * std::sin(an), cx + 0.31 * s * std::cos(an),
                       cy + 0.31 * s * std::sin(an), 0.05 * s),
               ink);
    }
    a.Fill(Segment(cx, cy, cx, cy - 0.25 * s, 0.08 * s), ink);
    a.Fill(Segment(cx, cy, cx + 0.17 * s, cy + 0.07 * s, 0.08 * s), ink);
}

void Trash(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Segment(cx - 0.38 * s, cy - 0.28 * s, cx + 0.38 * s, cy - 0.28 * s, 0.08 * s), ink);
    a.Fill(Subtract(RoundRect(cx - 0.13 * s, cy - 0.44 * s, cx + 0.13 * s, cy - 0.26 * s, 0.04 * s),
                    Rect(cx - 0.07 * s, cy - 0.38 * s, cx + 0.07 * s, cy - 0.2 * s)),
           ink);
    Sdf body = Grown(Polygon({{cx - 0.28 * s, cy - 0.17 * s}, {cx + 0.28 * s, cy - 0.17 * s},
                              {cx + 0.22 * s, cy + 0.42 * s}, {cx - 0.22 * s, cy + 0.42 * s}}),
                     0.02 * s);
    for (int i = -1; i <= 1; ++i)
        body = Subtract(body, RoundRect(cx + i * 0.14 * s - 0.03 * s, cy - 0.08 * s, cx + i * 0.14 * s + 0.03 * s,
                                        cy + 0.32 * s, 0.02 * s));
    a.Fill(body, ink);
}

void Document(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    Sdf page = RoundRect(cx - 0.32 * s, cy - 0.43 * s, cx + 0.32 * s, cy + 0.43 * s, 0.05 * s);
    const double lengths[5] = {0.4, 0.4, 0.4, 0.4, 0.24};
    for (int i = 0; i < 5; ++i) {
        const double y = cy - 0.26 * s + i * 0.13 * s;
        page = Subtract(page, Segment(cx - 0.18 * s, y, cx - 0.18 * s + lengths[i] * s - 0.04 * s, y, 0.06 * s));
    }
    a.Fill(page, ink);
}

Sdf Polyline(const std::vector<std::pair<double, double>>& p, double t)
{
    Sdf line = Segment(p[0].first, p[0].second, p[1].first, p[1].second, t);
    for (size_t i = 2; i < p.size(); ++i)
        line = Union(line, Segment(p[i - 1].first, p[i - 1].second, p[i].first, p[i].second, t));
    return line;
}

void Axes(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Polyline({{cx - 0.42 * s, cy - 0.42 * s}, {cx - 0.42 * s, cy + 0.4 * s}, {cx + 0.44 * s, cy + 0.4 * s}},
                    0.07 * s),
           ink);
}

void DayProfile(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    Axes(a, cx, cy, s, ink);
    a.Fill(Polyline({{cx - 0.3 * s, cy + 0.22 * s},
                     {cx - 0.16 * s, cy - 0.06 * s},
                     {cx - 0.02 * s, cy + 0.1 * s},
                     {cx + 0.12 * s, cy - 0.3 * s},
                     {cx + 0.24 * s, cy - 0.02 * s},
                     {cx + 0.36 * s, cy - 0.14 * s}},
                    0.08 * s),
           ink);
}

void Magnifier(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Ring(cx - 0.08 * s, cy - 0.08 * s, 0.25 * s, 0.09 * s), ink);
    a.Fill(Segment(cx + 0.12 * s, cy + 0.12 * s, cx + 0.38 * s, cy + 0.38 * s, 0.14 * s), ink);
}

void Trend(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    Axes(a, cx, cy, s, ink);
    a.Fill(Polyline({{cx - 0.3 * s, cy + 0.24 * s}, {cx - 0.1 * s, cy + 0.06 * s}, {cx + 0.04 * s, cy + 0.12 * s},
                     {cx + 0.26 * s, cy - 0.16 * s}},
                    0.08 * s),
           ink);
    a.Fill(Polygon({{cx + 0.4 * s, cy - 0.34 * s}, {cx + 0.34 * s, cy - 0.06 * s}, {cx + 0.14 * s, cy - 0.24 * s}}),
           ink);
}

void BackArrow(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(Segment(cx - 0.2 * s, cy, cx + 0.38 * s, cy, 0.12 * s), ink);
    const Sdf head = Polygon({{cx - 0.42 * s, cy}, {cx - 0.08 * s, cy - 0.3 * s}, {cx - 0.08 * s, cy + 0.3 * s}});
    a.Fill(Grown(head, 0.02 * s), ink);
}

void PauseBars(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    a.Fill(RoundRect(cx - 0.3 * s, cy - 0.36 * s, cx - 0.08 * s, cy + 0.36 * s, 0.04 * s), ink);
    a.Fill(RoundRect(cx + 0.08 * s, cy - 0.36 * s, cx + 0.3 * s, cy + 0.36 * s, 0.04 * s), ink);
}

void Disk(Layer& a, double cx, double cy, double s, Rgbf ink)
{
    Sdf body = Grown(Polygon({{cx - 0.38 * s, cy - 0.38 * s}, {cx + 0.26 * s, cy - 0.38 * s},
                              {cx + 0.38 * s, cy - 0.26 * s}, {cx + 0.38 * s, cy + 0.38 * s},
                              {cx - 0.38 * s, cy + 0.38 * s}}),
                     0.03 * s);
    body = Subtract(body, Rect(cx - 0.2 * s, cy - 0.38 * s, cx + 0.16 * s, cy - 0.1 * s));
    body = Union(body, Rect(cx + 0.02 * s, cy - 0.34 * s, cx + 0.1 * s, cy - 0.14 * s));
    body = Subtract(body, RoundRect(cx - 0.25 * s, cy + 0.04 * s, cx + 0.25 * s, cy + 0.32 * s, 0.03 * s));
    a.Fill(body, ink);
}

} // namespace

void DrawButtons(Output& out)
{
    // The menu's six buttons, 56 x 57.
    PictogramButton(out, "GoButton", 56, 57, Play, {colour::Green, true});
    PictogramButton(out, "FrageButton", 56, 57, Question);
    PictogramButton(out, "SettingsButton", 56, 57, Gear);
    PictogramButton(out, "DetailButton", 56, 57, BarChart);
    PictogramButton(out, "LoadButton", 56, 57, Folder);
    PictogramButton(out, "ExitButton", 56, 57, Power, {colour::Red, true});

    // The settings window, 56 x 57; the clock switch has four pictures and
    // shows the clock lit in green while latched (clock shown).
    PictogramButton(out, "JoyStick", 56, 57, Joystick);
    PictogramButton(out, "Laut", 56, 57, Speaker);
    PictogramButton(out, "Uhr", 56, 57, Clock, {colour::Green, false, true});
    PictogramButton(out, "Reset", 56, 57, Trash, {colour::Red});

    // The evaluation's five view buttons, 59 x 57.
    PictogramButton(out, "Allgemein", 59, 57, Document);
    PictogramButton(out, "Verlauf", 59, 57, DayProfile);
    PictogramButton(out, "TestDetails", 59, 57, Magnifier);
    PictogramButton(out, "Lernkurve", 59, 57, Trend);
    PictogramButton(out, "AuswertungZurueck", 59, 57, BackArrow);

    // The test bar, 40 x 40.
    PictogramButton(out, "Zurueck", 40, 40, BackArrow, {colour::Red});
    PictogramButton(out, "Pause", 40, 40, PauseBars);
    PictogramButton(out, "Lautstaerke", 40, 40, Speaker);
    PictogramButton(out, "Disk", 40, 40, Disk);
    PictogramButton(out, "Frage", 40, 40, Question);

    // Text buttons, 84 x 36.
    for (const char* name : {"Ok", "OkButton", "EndeOk", "HilfeOk"})
        TextButton(out, name, "OK");
    TextButton(out, "AbbruchButton", "Abbrechen");
    TextButton(out, "JaButton", "Ja");
    TextButton(out, "NeinButton", "Nein");
}

} // namespace kestrava::artwork
