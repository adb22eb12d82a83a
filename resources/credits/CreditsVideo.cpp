// Draws the credits video that plays when the program ends: on black, the
// name, the version and what the program is for, then the libraries and
// fonts it is built on with their licences, each page fading in and out,
// and black at the end.
//
//   make-credits-video OUTPUT.AVI
#include "platform/gdi/Text.h"
#include "platform/video/VideoWriter.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#ifndef KESTRAVA_VERSION
#error "KESTRAVA_VERSION must name the program's version"
#endif

namespace {

using kestrava::gdi::Bitmap;
using kestrava::gdi::FontSpec;
using kestrava::gdi::Rect;

constexpr int32_t kWidth = 480;
constexpr int32_t kHeight = 180;
constexpr int32_t kFramesPerSecond = 25;
constexpr int32_t kFrames = 12 * kFramesPerSecond;
// Fades take this long, in and out: slow enough to read as calm.
constexpr double kFadeSeconds = 0.8;

struct Text {
    std::string utf8;
    int32_t height;
    int32_t grey; // brightness when fully faded in
    int32_t y;    // top of the text's cell
};

// One line of the library pages: the name ends left of a dash, the licence
// begins right of it.
struct Credit {
    std::string name;
    std::string licence;
};

struct Page {
    double from, to; // seconds
    std::vector<Text> texts;
    std::vector<Credit> credits;
};

constexpr int32_t kCreditsHeading = 31;
constexpr int32_t kCreditsTop = 58;
constexpr int32_t kCreditsPitch = 24;
constexpr int32_t kCreditHeight = 18;

std::vector<Page> Pages()
{
    const Text heading{"Bibliotheken und Schriften", 15, 150, kCreditsHeading};
    return {
        {0.4, 3.4, {{"Kestrava", 56, 255, 48}, {"Version " KESTRAVA_VERSION, 18, 190, 114}}, {}},
        {3.5, 5.7, {{"Trainer für psychometrische Eignungstests", 24, 235, 78}}, {}},
        {5.7, 8.6,
         {heading},
         {{"SDL2", "zlib licence"},
          {"FreeType", "FreeType License"},
          {"fontconfig", "MIT-style licence"},
          {"FFmpeg", "LGPL 2.1 or later"}}},
        {8.7, 11.4,
         {heading},
         {{"inih", "BSD 3-clause"},
          {"zlib", "zlib licence"},
          {"Liberation fonts", "SIL Open Font License 1.1"},
          {"DejaVu fonts", "Bitstream Vera licence"}}},
    };
}

double SmoothStep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

// How far a page is faded in at a time: 0 outside it, 1 between its fades.
double Visibility(const Page& page, double seconds)
{
    if (seconds < page.from || seconds >= page.to)
        return 0.0;
    return std::min(SmoothStep((seconds - page.from) / kFadeSeconds), SmoothStep((page.to - seconds) / kFadeSeconds));
}

kestrava::gdi::ColorRef Grey(int32_t grey, double visibility)
{
    const auto v = static_cast<uint8_t>(std::clamp(static_cast<int32_t>(grey * visibility + 0.5), 0, 255));
    return kestrava::gdi::Rgb(v, v, v);
}

void DrawPage(Bitmap& frame, const Page& page, double visibility)
{
    const Rect all{0, 0, kWidth, kHeight};
    for (const Text& text : page.texts) {
        const FontSpec font{"Arial", text.height, false, false};
        const int32_t x = (kWidth - kestrava::gdi::MeasureText(font, text.utf8).cx) / 2;
        kestrava::gdi::DrawText(frame, all, x, text.y, text.utf8, font, Grey(text.grey, visibility), false, 0);
    }
    const FontSpec font{"Arial", kCreditHeight, false, false};
    const std::string dash = "–";
    const int32_t dashWidth = kestrava::gdi::MeasureText(font, dash).cx;
    const int32_t gap = 10;
    // The block of names and licences is centred as a whole, so its dashes
    // line up in one column.
    int32_t names = 0, licences = 0;
    for (const Credit& credit : page.credits) {
        names = std::max(names, kestrava::gdi::MeasureText(font, credit.name).cx);
        licences = std::max(licences, kestrava::gdi::MeasureText(font, credit.licence).cx);
    }
    const int32_t dashX = (kWidth - (names + gap + dashWidth + gap + licences)) / 2 + names + gap;
    int32_t y = kCreditsTop;
    for (const Credit& credit : page.credits) {
        const int32_t nameX = dashX - gap - kestrava::gdi::MeasureText(font, credit.name).cx;
        kestrava::gdi::DrawText(frame, all, nameX, y, credit.name, font, Grey(255, visibility), false, 0);
        kestrava::gdi::DrawText(frame, all, dashX, y, dash, font, Grey(130, visibility), false, 0);
        kestrava::gdi::DrawText(frame, all, dashX + dashWidth + gap, y, credit.licence, font, Grey(200, visibility),
                                false, 0);
        y += kCreditsPitch;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-credits-video OUTPUT.AVI\n");
        return 2;
    }
    const std::string output = argv[1];
    kestrava::video::VideoFormat format;
    format.width = kWidth;
    format.height = kHeight;
    format.framesPerSecond = kFramesPerSecond;
    format.container = "avi";
    format.codec = "mpeg4";
    format.quality = 2;
    format.keyFrameEvery = kFramesPerSecond;

    kestrava::video::VideoWriter writer;
    std::string error;
    if (!writer.Open(output, format, error)) {
        std::fprintf(stderr, "make-credits-video: %s\n", error.c_str());
        return 1;
    }
    const std::vector<Page> pages = Pages();
    Bitmap frame(kWidth, kHeight);
    for (int32_t i = 0; i < kFrames; ++i) {
        frame.Fill(kestrava::gdi::PixelOf(kestrava::gdi::Rgb(0, 0, 0)));
        const double seconds = static_cast<double>(i) / kFramesPerSecond;
        for (const Page& page : pages) {
            const double visibility = Visibility(page, seconds);
            if (visibility > 0.0)
                DrawPage(frame, page, visibility);
        }
        if (!writer.WriteFrame(frame, error)) {
            std::fprintf(stderr, "make-credits-video: %s\n", error.c_str());
            return 1;
        }
    }
    if (!writer.Finish(error)) {
        std::fprintf(stderr, "make-credits-video: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
