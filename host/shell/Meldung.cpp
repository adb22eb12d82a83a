#include "host/shell/Meldung.h"

#include "host/shell/DialogParts.h"

#include <algorithm>
#include <climits>

namespace kestrava::shell {

namespace {

// The yes/no window's places: the label's box, the room below it for the
// button, and the button centred under the text.
constexpr int32_t kLabelLeft = 16;
constexpr int32_t kLabelTop = 42;
constexpr int32_t kLabelWidth = 193;
constexpr int32_t kLabelHeight = 65;
constexpr int32_t kBelowLabel = TMeldung::kHeight - kLabelTop - kLabelHeight;
constexpr int32_t kButtonFromBottom = 49;
constexpr int32_t kButtonWidth = 84;
// A window as tall as the screen still leaves this much of it free.
constexpr int32_t kScreenMargin = 20;
// Rows of the face above this distance from its foot are the plain
// surface, the same in every row: the stretched part.
constexpr int32_t kStretchFromBottom = 40;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest start of word (whole characters, at least one) that fits.
size_t FittingPrefix(const gdi::FontSpec& font, const std::string& word, int32_t width)
{
    size_t best = 0;
    for (size_t end = 1; end <= word.size(); ++end) {
        if (end < word.size() && IsContinuation(word[end]))
            continue;
        if (best > 0 && gdi::MeasureText(font, std::string_view(word).substr(0, end)).cx > width)
            break;
        best = end;
    }
    return best;
}

int32_t TextWidth(const gdi::FontSpec& font, const std::string& text) { return gdi::MeasureText(font, text).cx; }

} // namespace

std::vector<std::string> WrapText(const gdi::FontSpec& font, const std::string& utf8, int32_t width)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = utf8.find('\n', start);
        const std::string paragraph = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            size_t space = paragraph.find(' ', at);
            if (space == std::string::npos)
                space = paragraph.size();
            std::string word = paragraph.substr(at, space - at);
            at = space + 1;
            if (word.empty())
                continue;
            const std::string joined = line.empty() ? word : line + " " + word;
            if (TextWidth(font, joined) <= width) {
                line = joined;
                continue;
            }
            if (!line.empty())
                lines.push_back(line);
            while (TextWidth(font, word) > width) {
                const size_t cut = FittingPrefix(font, word, width);
                lines.push_back(word.substr(0, cut));
                word.erase(0, cut);
            }
            line = word;
        }
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

TMeldung::TMeldung()
{
    SetName("Meldung");
    LoadBackground("MELDUNG");
    SetSize(S(kWidth), S(kHeight));
    SetTabStop(true);
    m_label = &Create<app::Label>();
    gdi::Font font;
    font.family = "Arial Black";
    font.height = S(15);
    font.color = gdi::Rgb(255, 255, 255);
    m_label->SetFont(font);
    m_label->SetTransparent(true);
    m_label->SetAlignment(app::Alignment::Center);
    m_label->SetLayout(app::VerticalAlignment::Center);
    SetDesignBounds(*m_label, kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    m_ok = &MakeButton<ui::TThbitbtn>(*this, "OkButton", (kWidth - kButtonWidth) / 2, kHeight - kButtonFromBottom);
    m_onOk = [this] { OkClick(); };
    CloseThroughOk(*this, *m_ok, m_onOk);
    SetFocusScope(true);
}

bool TMeldung::Add(const std::string& text)
{
    if (Visible()) {
        m_waiting.push_back(text);
        return false;
    }
    Take(text);
    return true;
}

void TMeldung::Take(const std::string& text)
{
    m_text = text;
    const gdi::Font& font = m_label->Font();
    const int32_t labelWidth = ui::ScaledSpan(kLabelLeft, kLabelWidth);
    std::vector<std::string> lines = WrapText(font, text, labelWidth);
    const int32_t lineHeight = std::max(gdi::MeasureText(font, "Ag").cy, 1);
    // A text longer than the screen shows what fits and ends in an
    // ellipsis.
    const int32_t room = Parent() != nullptr
                             ? Parent()->Height() - S(2 * kScreenMargin) - S(kLabelTop) - S(kBelowLabel)
                             : INT_MAX;
    const size_t fit = size_t(std::max(room / lineHeight, S(kLabelHeight) / lineHeight));
    if (lines.size() > fit) {
        lines.resize(fit);
        std::string& last = lines.back();
        while (!last.empty() && TextWidth(font, last + "\xe2\x80\xa6") > labelWidth) {
            last.pop_back();
            while (!last.empty() && IsContinuation(last.back()))
                last.pop_back();
        }
        last += "\xe2\x80\xa6";
    }
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i > 0 ? "\n" : "") + lines[i];
    m_label->SetText(joined);
    const int32_t labelHeight = std::max(S(kLabelHeight), lineHeight * int32_t(lines.size()));
    m_label->SetBounds(S(kLabelLeft), S(kLabelTop), labelWidth, labelHeight);
    const int32_t height = S(kLabelTop) + labelHeight + S(kBelowLabel);
    m_ok->SetPosition(m_ok->Left(), height - S(kButtonFromBottom));
    SetSize(S(kWidth), height);
}

void TMeldung::OkClick()
{
    if (!Visible())
        return;
    if (m_waiting.empty()) {
        Hide();
        if (OnClosed)
            OnClosed();
        return;
    }
    // The next message in the same place: the window keeps its middle.
    const int32_t middle = Top() + Height() / 2;
    Take(m_waiting.front());
    m_waiting.pop_front();
    const int32_t lowest = Parent() != nullptr ? std::max(Parent()->Height() - Height(), 0) : INT_MAX;
    SetPosition(Left(), std::clamp(middle - Height() / 2, 0, lowest));
    // Composing hides the window for a moment, which drops the focus.
    ComposeFrame();
    SetFocus();
}

void TMeldung::DrawSkin(gdi::Canvas& canvas)
{
    const gdi::Bitmap& face = Background();
    const int32_t extra = Height() - face.Height();
    if (extra <= 0 || face.Height() <= S(kStretchFromBottom)) {
        TBackWindow::DrawSkin(canvas);
        return;
    }
    // The face with its plain row repeated: head band above, foot below.
    const int32_t cut = face.Height() - S(kStretchFromBottom);
    ui::TAlphaBitmap tall(face.Width(), Height());
    for (int32_t y = 0; y < tall.Height(); ++y) {
        const int32_t from = y < cut ? y : y < cut + extra ? cut : y - extra;
        std::copy_n(face.Row(from), face.Width(), tall.Row(y));
    }
    ui::AlphaBlend(canvas, 0, 0, tall);
}

void TMeldung::Place(int32_t roomWidth, int32_t roomHeight, const app::Control* announcement)
{
    PlaceCentred(*this, roomWidth, roomHeight);
    if (announcement) {
        const int32_t top = announcement->Top() + announcement->Height() + S(8);
        if (top + Height() <= roomHeight)
            SetPosition(Left(), top);
    }
}

} // namespace kestrava::shell
