#include "resources/help/HelpLayout.h"

#include "ui/Colours.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kestrava::help {

using namespace artwork;

namespace {

const Rgbf kPage = FromColorRef(ui::colour::kHelpPage);
const Rgbf kInk = Grey(38);            // body text
const Rgbf kNavy{0, 0, 128};           // links, as on the index
const Rgbf kHeading = Grey(41);
const Rgbf kRule = FromColorRef(ui::colour::kScoreGood);  // the program's green accent

gdi::FontSpec BodyFont() { return Font(15); }
gdi::FontSpec BoldFont() { return Font(15, true); }
gdi::FontSpec LinkFont()
{
    gdi::FontSpec f = Font(15, true);
    f.underline = true;
    return f;
}
gdi::FontSpec HeadingFont() { return Font(18, true, "Arial Black"); }
gdi::FontSpec SubHeadingFont() { return Font(15, true, "Arial Black"); }
gdi::FontSpec KeyFont() { return Font(12, true); }

constexpr int32_t kLineGap = 3;   // between wrapped lines
constexpr int32_t kParaGap = 8;   // after a paragraph
constexpr int32_t kRight = Page::kWidth - 14;

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

} // namespace

Page::Page(std::string name, std::string title, std::string subtitle) : m_name(std::move(name))
{
    // The head band in the program's own colours.
    m_ops.push_back([title, subtitle](Layer& l) {
        l.Fill(Rect(0, 0, kWidth, 66), VGradient(Grey(52), colour::Panel, 0, 66));
        l.Fill(Rect(0, 66, kWidth, 69), kRule);
        l.Text(FitFont(Font(22, true, "Arial Black"), title, kWidth - 2 * kMargin), title, kMargin, 10, colour::Text);
        l.Text(Font(13), subtitle, kMargin, 42, colour::QuietText);
    });
    m_y = 69 + 14;
    m_anchors["top"] = 0;
}

Page Page::IndexTop(std::string title, std::string subtitle)
{
    Page page("", std::move(title), std::move(subtitle));
    page.m_index = true;
    return page;
}

int32_t Page::Wrap(const std::string& text, const gdi::FontSpec& font, int32_t left, int32_t width, Rgbf colour)
{
    // Lines are as high as at 1x, so the page keeps its proportions; the
    // words are measured as drawn at the drawing scale, so that no line
    // runs past the margin where the scaled font is a little wider.
    const int32_t lineHeight = gdi::MeasureText(font, "Xy").cy;
    const double scale = DrawingScale();
    const gdi::FontSpec drawn = ScaledFont(font, scale);
    const int32_t space = gdi::MeasureText(drawn, " ").cx;
    width = Scaled(width, scale);
    std::string line;
    int32_t lineWidth = 0;
    int32_t lines = 0;
    auto flush = [&] {
        const int32_t y = m_y;
        m_ops.push_back([=](Layer& l) { l.Text(font, line, left, y, colour); });
        m_y += lineHeight + kLineGap;
        ++lines;
        line.clear();
        lineWidth = 0;
    };
    for (const std::string& word : Words(text)) {
        const int32_t w = gdi::MeasureText(drawn, word).cx;
        if (!line.empty() && lineWidth + space + w > width)
            flush();
        if (!line.empty()) {
            line += ' ';
            lineWidth += space;
        }
        line += word;
        lineWidth += w;
    }
    if (!line.empty())
        flush();
    return lines;
}

void Page::Heading(const std::string& text, const std::string& anchor)
{
    m_y += 10;
    // Shown a little above the heading, so it does not stick to the edge.
    m_anchors[anchor] = std::max(0, m_y - 8);
    const gdi::FontSpec font = HeadingFont();
    const int32_t y = m_y;
    const int32_t h = gdi::MeasureText(font, text).cy;
    m_ops.push_back([=](Layer& l) {
        l.Text(font, text, kMargin, y, kHeading);
        l.Fill(Rect(kMargin, y + h + 2, kRight, y + h + 4), kRule);
    });
    m_y += h + 12;
}

void Page::SubHeading(const std::string& text)
{
    m_y += 4;
    Wrap(text, SubHeadingFont(), kMargin, kRight - kMargin, kHeading);
    m_y += 2;
}

void Page::Para(const std::string& text)
{
    Wrap(text, BodyFont(), kMargin, kRight - kMargin, kInk);
    m_y += kParaGap;
}

void Page::Bullets(const std::vector<std::string>& items)
{
    for (const std::string& item : items) {
        const int32_t y = m_y;
        m_ops.push_back([=](Layer& l) { l.Fill(Circle(kMargin + 5, y + 9, 2.6), kRule); });
        Wrap(item, BodyFont(), kMargin + 16, kRight - kMargin - 16, kInk);
        m_y += 3;
    }
    m_y += kParaGap - 3;
}

void Page::Keys(const std::vector<std::string>& keys, const std::string& description)
{
    const gdi::FontSpec font = KeyFont();
    const int32_t top = m_y;
    int32_t x = kMargin;
    int32_t y = top;
    constexpr int32_t kColumn = 128; // the caps' column
    for (const std::string& key : keys) {
        const int32_t w = std::max(22, gdi::MeasureText(font, key).cx + 12);
        if (x + w > kMargin + kColumn - 6 && x > kMargin) {
            x = kMargin;
            y += 24;
        }
        m_ops.push_back([=](Layer& l) {
            l.Fill(RoundRect(x, y, x + w, y + 20, 4), Grey(120));
            l.Fill(RoundRect(x + 1, y + 1, x + w - 1, y + 19, 3), VGradient(Grey(252), Grey(226), y, y + 20));
            l.TextCentred(font, key, x + w / 2.0, y + 10, Grey(30));
        });
        x += w + 4;
    }
    const int32_t capsBottom = y + 24;
    m_y = top + 1;
    Wrap(description, BodyFont(), kMargin + kColumn, kRight - kMargin - kColumn, kInk);
    m_y = std::max(m_y, capsBottom) + 4;
}

void Page::Button(const gdi::Bitmap& picture, const std::string& name, const std::string& description)
{
    const double scale = DrawingScale();
    const auto unitsW = int32_t(std::lround(picture.Width() / scale));
    const auto unitsH = int32_t(std::lround(picture.Height() / scale));
    const int32_t top = m_y;
    const int32_t tile = std::max(unitsW, unitsH) + 8;
    const int32_t tx = kMargin;
    m_ops.push_back([=](Layer& l) { l.Fill(RoundRect(tx, top, tx + tile, top + tile, 6), colour::Surface); });
    const int32_t px = Scaled(tx + (tile - unitsW) / 2, scale);
    const int32_t py = Scaled(top + (tile - unitsH) / 2, scale);
    m_blits.push_back([=](gdi::Bitmap& page) {
        for (int32_t y = 0; y < picture.Height(); ++y)
            for (int32_t x = 0; x < picture.Width(); ++x)
                page.SetPixel(px + x, py + y, picture.GetPixel(x, y));
    });
    const int32_t left = kMargin + tile + 10;
    m_y = top + 2;
    Wrap(name, BoldFont(), left, kRight - left, kHeading);
    Wrap(description, BodyFont(), left, kRight - left, kInk);
    m_y = std::max(m_y, top + tile) + 8;
}

void Page::LinkLine(const std::string& text, int32_t left, PageLink link)
{
    const gdi::FontSpec font = LinkFont();
    const gdi::Size size = gdi::MeasureText(font, text);
    const int32_t y = m_y;
    m_ops.push_back([=](Layer& l) { l.Text(font, text, left, y, kNavy); });
    link.box = {left, y, left + size.cx, y + size.cy};
    link.text = text;
    m_links.push_back(std::move(link));
    m_y += size.cy + 5;
}

void Page::Contents(const std::vector<std::pair<std::string, std::string>>& entries)
{
    const int32_t top = m_y;
    const size_t first = m_ops.size();
    m_y += 10;
    const int32_t titleY = m_y;
    m_y += gdi::MeasureText(SubHeadingFont(), "Inhalt").cy + 6;
    int32_t n = 0;
    for (const auto& [text, anchor] : entries) {
        const std::string number = std::to_string(++n) + ".";
        const int32_t y = m_y;
        m_ops.push_back([=](Layer& l) { l.Text(BodyFont(), number, kMargin + 14, y, kInk); });
        LinkLine(text, kMargin + 38, PageLink{{}, m_name, anchor, 0, text});
    }
    m_y += 6;
    const int32_t bottom = m_y;
    // The block sits on a slightly darker band, framed in green at the left.
    m_ops.insert(m_ops.begin() + static_cast<std::ptrdiff_t>(first), [=](Layer& l) {
        l.Fill(RoundRect(kMargin - 4, top, kRight + 4, bottom, 5), Rgbf{246, 240, 196});
        l.Fill(Rect(kMargin - 4, top + 5, kMargin - 1, bottom - 5), kRule);
        l.Text(SubHeadingFont(), "Inhalt", kMargin + 14, titleY, kHeading);
    });
    m_y += kParaGap;
}

void Page::LinkToAnchor(const std::string& text, const std::string& anchor)
{
    LinkLine(text, kMargin, PageLink{{}, m_name, anchor, 0, text});
}

void Page::Link(const std::string& text, const std::string& target, int32_t offset)
{
    LinkLine(text, kMargin, PageLink{{}, target, "", offset, text});
}

void Page::Note(const std::string& text)
{
    const int32_t top = m_y;
    m_y += 8;
    const size_t first = m_ops.size();
    Wrap(text, BodyFont(), kMargin + 10, kRight - kMargin - 16, kInk);
    m_y += 6;
    const int32_t bottom = m_y;
    m_ops.insert(m_ops.begin() + static_cast<std::ptrdiff_t>(first), [=](Layer& l) {
        l.Fill(RoundRect(kMargin - 2, top, kRight + 2, bottom, 5), Rgbf{232, 242, 226});
        l.Fill(Rect(kMargin - 2, top + 4, kMargin + 1, bottom - 4), kRule);
    });
    m_y += kParaGap + 2;
}

void DrawBadge(Layer& layer, int32_t number, double cx, double cy)
{
    layer.Fill(Circle(cx, cy, kBadgeRadius + 1.5), Grey(25));
    layer.Fill(Circle(cx, cy, kBadgeRadius), Rgbf{255, 255, 255});
    layer.TextCentred(Font(12, true), std::to_string(number), cx, cy, Grey(20));
}

void Page::Figure(const Layer& picture)
{
    const int32_t x = (kWidth - picture.Width()) / 2;
    const int32_t y = m_y + 2;
    m_ops.push_back([=](Layer& l) {
        l.Fill(Rect(x - 1, y - 1, x + picture.Width() + 1, y + picture.Height() + 1), Grey(90));
        l.Draw(picture, x, y);
    });
    m_y = y + picture.Height() + 1 + kParaGap + 2;
}

void Page::Callout(int32_t number, const std::string& name, const std::string& description)
{
    constexpr int32_t kColumn = 28;
    const int32_t top = m_y;
    m_ops.push_back([=](Layer& l) { DrawBadge(l, number, kMargin + kBadgeRadius + 1.5, top + 9.5); });
    const int32_t left = kMargin + kColumn;
    Wrap(name, BoldFont(), left, kRight - left, kHeading);
    Wrap(description, BodyFont(), left, kRight - left, kInk);
    m_y = std::max(m_y, top + 22) + 4;
}

FinishedPage Page::Finish() const
{
    // The index top stays short: with one test and one program the whole
    // index fits the view without a thumb.
    const int32_t height = m_y + (m_index ? -6 : 18);
    Layer layer(kWidth, height);
    layer.Fill(Rect(0, 0, kWidth, height), kPage);
    for (const Op& op : m_ops)
        op(layer);
    FinishedPage page;
    page.picture = layer.Opaque(kPage);
    for (const auto& blit : m_blits)
        blit(page.picture);
    page.anchors = m_anchors;
    const double scale = layer.PixelScale();
    const gdi::FontSpec linkFont = ScaledFont(LinkFont(), scale);
    for (PageLink link : m_links) {
        if (!link.anchor.empty()) {
            const auto it = m_anchors.find(link.anchor);
            link.offset = it != m_anchors.end() ? it->second : 0;
        }
        link.offset = Scaled(link.offset, scale);
        // The text as drawn at the scale: its cell from the scaled origin.
        const gdi::Size size = gdi::MeasureText(linkFont, link.text);
        link.box.left = Scaled(link.box.left, scale);
        link.box.top = Scaled(link.box.top, scale);
        link.box.right = link.box.left + size.cx;
        link.box.bottom = link.box.top + size.cy;
        // Edges included: the last pixel row and column of the text.
        link.box.right -= 1;
        link.box.bottom -= 1;
        page.links.push_back(std::move(link));
    }
    return page;
}

} // namespace kestrava::help
