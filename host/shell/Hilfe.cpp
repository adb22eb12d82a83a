#include "host/shell/Hilfe.h"

#include "host/shell/DialogParts.h"

#include "platform/app/Application.h"
#include "platform/app/Keys.h"
#include "platform/gdi/Text.h"
#include "ui/Colours.h"
#include "ui/Resources.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>

namespace kestrava::shell {

namespace {

constexpr gdi::ColorRef kPageColour = ui::colour::kHelpPage;
constexpr gdi::ColorRef kLinkColour = gdi::Rgb(0, 0, 128);
// A page that fails to load still needs a width for the index's lines.
constexpr int32_t kEmptyPageWidth = THilfe::kViewWidth;

gdi::FontSpec IndexFont(double scale = 1)
{
    gdi::FontSpec font;
    font.family = "Arial Black";
    font.height = int32_t(std::lround(THilfe::kIndexFontHeight * scale));
    font.bold = true;
    font.underline = true;
    return font;
}

// The view's height and the thumb's run on the screen.
int32_t ViewHeight() { return ui::ScaledSpan(THilfe::kViewTop, THilfe::kViewHeight); }
int32_t ThumbRun() { return S(THilfe::kThumbBottom) - S(THilfe::kThumbTop); }

// The picture extra pixels taller; the new rows take the page colour.
void Grow(gdi::Bitmap& picture, int32_t extra)
{
    gdi::Bitmap taller(picture.Width(), picture.Height() + extra);
    taller.Fill(gdi::PixelOf(kPageColour));
    for (int32_t y = 0; y < picture.Height(); ++y)
        std::copy_n(picture.Row(y), picture.Width(), taller.Row(y));
    picture = std::move(taller);
}

// The page picture. It takes the keyboard while the page has links: Tab
// and Shift+Tab step through them (past the last one the focus goes on to
// HilfeOk), the focused link is framed, and Enter follows it.
class HelpPage : public app::Image {
public:
    std::function<bool()> hasLinks;
    std::function<gdi::Rect()> focusRect;
    bool CanFocus() const override { return hasLinks && hasLinks(); }
    bool FocusOnPress() const override { return false; }
    gdi::Rect FocusRect() const override { return focusRect ? focusRect() : gdi::Rect{}; }
};

} // namespace

THilfe::THilfe(std::string programFolder) : m_programFolder(std::move(programFolder)), m_base(m_programFolder)
{
    SetName("Hilfe");
    LoadBackground("HILFE");
    SetSize(S(400), S(400));
    SetTabStop(true);

    m_box = &Create<app::Panel>();
    m_box->SetColor(gdi::Rgb(0, 0, 0));
    SetDesignBounds(*m_box, kViewLeft, kViewTop, kViewWidth, kViewHeight);
    auto& page = m_box->Create<HelpPage>();
    page.hasLinks = [this] { return !m_links.empty(); };
    page.focusRect = [this]() -> gdi::Rect {
        if (m_focusLink < 0 || size_t(m_focusLink) >= m_links.size())
            return {};
        const HelpLink& l = m_links[size_t(m_focusLink)];
        const int32_t frame = S(kLinkFrame);
        return {l.left - frame, l.top - frame, l.right + frame + 1, l.bottom + frame + 1};
    };
    page.OnEnter = [this] {
        if (m_focusLink < 0 && !m_links.empty())
            FocusLink(0);
    };
    page.OnKeyDown = [this](uint32_t& key, app::Modifiers modifiers) {
        if (key == app::VK_TAB && !modifiers.ctrl && !modifiers.alt && StepLink(modifiers.shift))
            key = 0;
    };
    page.OnKeyPress = [this](uint8_t& ch) {
        if (ch == '\r' && m_focusLink >= 0 && size_t(m_focusLink) < m_links.size()) {
            ch = 0;
            FollowFocusedLink();
        }
    };
    m_image = &page;
    m_image->SetBounds(0, 0, 0, 0);
    m_image->OnMouseMove = [this](int32_t x, int32_t y, app::Modifiers) { Hover(x, y); };
    m_image->OnMouseDown = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        ImageMouseDown(button, x, y);
    };
    m_image->OnMouseUp = [this](app::MouseButton button, int32_t x, int32_t y, app::Modifiers) {
        ImageMouseUp(button, x, y);
    };

    m_thumb = &Create<app::Image>();
    m_thumb->SetPicture(ui::LoadResourceBitmap("Regler4"));
    SetDesignBounds(*m_thumb, kThumbLeft, kThumbTop, 14, 26);
    m_thumb->Hide();
    m_thumb->OnMouseDown = [this](app::MouseButton button, int32_t, int32_t y, app::Modifiers) {
        if (button == app::MouseButton::Left) {
            m_dragging = true;
            m_grab = y;
        }
    };
    m_thumb->OnMouseMove = [this](int32_t, int32_t y, app::Modifiers) { ThumbMouseMove(y); };
    m_thumb->OnMouseUp = [this](app::MouseButton button, int32_t, int32_t, app::Modifiers) {
        if (button == app::MouseButton::Left)
            m_dragging = false;
    };

    m_ok = &MakeButton<ui::TThbitbtn>(*this, "HilfeOk", 280, 351);
    CloseThroughOk(*this, *m_ok, OnOk);
    SetFocusScope(true);
    defaultFocus = m_ok;
}

void THilfe::FocusLink(int32_t index)
{
    m_focusLink = index;
    m_image->Invalidate();
    if (index < 0 || size_t(index) >= m_links.size())
        return;
    const HelpLink& l = m_links[size_t(index)];
    const int32_t frame = S(kLinkFrame);
    if (l.top - frame < m_offset)
        ScrollTo(l.top - S(kLineStep));
    else if (l.bottom + frame + 1 > m_offset + ViewHeight())
        ScrollTo(l.bottom + S(kLineStep) - ViewHeight());
    if (App() != nullptr)
        App()->SetFocusVisible(true);
}

bool THilfe::StepLink(bool backwards)
{
    const int32_t n = static_cast<int32_t>(m_links.size());
    const int32_t next = m_focusLink < 0 ? (backwards ? n - 1 : 0) : m_focusLink + (backwards ? -1 : 1);
    if (next < 0 || next >= n) {
        FocusLink(-1);
        return false;
    }
    FocusLink(next);
    return true;
}

void THilfe::FollowFocusedLink()
{
    const HelpLink link = m_links[size_t(m_focusLink)];
    const std::string page = m_page;
    Activate(link);
    if (link.target == page)
        return; // a place on the same page: the link keeps the focus
    if (m_links.empty()) {
        m_focusLink = -1;
        m_ok->SetFocus();
    } else {
        FocusLink(0);
    }
}

void THilfe::SetCursors(std::shared_ptr<app::Cursor> arrow, std::shared_ptr<app::Cursor> hand)
{
    m_arrow = std::move(arrow);
    m_hand = std::move(hand);
    m_thumb->SetCursor(m_hand);
    m_ok->SetCursor(m_hand);
    m_image->SetCursor(m_arrow);
}

int32_t THilfe::IndexLineHeight() { return gdi::MeasureText(IndexFont(), "XX").cy; }

int32_t THilfe::MaxOffset() const { return std::max(0, Picture().Height() - ViewHeight()); }

std::string THilfe::LoadPicture(const std::string& folder, const std::string& name)
{
    gdi::Bitmap picture;
    const HelpPageFiles files = FindHelpPage(folder, name, m_pageScale);
    const std::string& path = files.picture;
    m_shownScale = files.scale;
    std::string error;
    if (path.empty()) {
        std::cerr << "velomar: no help picture " << folder << name << ".BMP\n";
    } else if (!gdi::LoadBmp(path, picture, &error)) {
        // An unreadable page shows empty; the viewer goes on.
        std::cerr << "velomar: cannot read the help picture " << path << ": " << error << '\n';
        picture = gdi::Bitmap();
    }
    m_image->SetPicture(picture);
    m_image->SetBounds(0, 0, picture.Width(), picture.Height());
    return files.links;
}

void THilfe::InitHelp()
{
    m_links.clear();
    m_focusLink = -1;
    m_base = m_programFolder;
    LoadPicture(m_programFolder, "HELP");
    gdi::Bitmap picture = m_image->Picture();
    // The lines go below the top at its own scale.
    const double s = m_shownScale;
    auto px = [s](int32_t units) { return int32_t(std::lround(units * s)); };
    if (picture.Width() <= 0)
        picture = gdi::Bitmap(px(kEmptyPageWidth), 0);

    const gdi::FontSpec font = IndexFont(s);
    const int32_t th = gdi::MeasureText(font, "XX").cy;
    auto write = [&](const std::string& text, int32_t y, const std::string& target) {
        gdi::DrawText(picture, {0, 0, picture.Width(), picture.Height()}, px(20), y, text, font, kLinkColour, false,
                      0);
        m_links.push_back(HelpLink{px(20), y, px(20) + gdi::MeasureText(font, text).cx, y + th, target, 0});
    };

    int32_t y = picture.Height() + px(30);
    Grow(picture, 5 * th);
    write("Allgemeine Bedienung", y, m_programFolder + "HELP1");
    y += 2 * th;
    auto lines = [&](const std::vector<HelpIndexLine>& entries) {
        for (const HelpIndexLine& line : entries) {
            if (FindHelpFile(line.folder, "HELP1", ".BMP").empty())
                continue;
            Grow(picture, th);
            write(line.title, y, line.folder + "HELP1");
            y += th;
        }
    };
    const HelpIndex index = indexSource ? indexSource() : HelpIndex{};
    lines(index.tests);
    y += th;
    Grow(picture, th);
    lines(index.programs);

    m_image->SetPicture(picture);
    m_image->SetBounds(0, 0, picture.Width(), picture.Height());
    m_page.clear();
    m_pressed.reset();
    m_dragging = false;
    AfterLoad(0);
}

void THilfe::ShowPage(const std::string& folder, const std::string& name)
{
    m_base = folder;
    m_page = name;
    m_focusLink = -1;
    m_pressed.reset();
    m_dragging = false;
    const std::string links = LoadPicture(folder, name);
    m_links = links.empty() ? std::vector<HelpLink>{} : ReadHelpLinks(links);
    AfterLoad(0);
}

void THilfe::AfterLoad(int32_t offset)
{
    m_thumb->SetVisible(Picture().Height() >= ViewHeight() + 1);
    m_thumb->SetPosition(S(kThumbLeft), S(kThumbTop));
    m_offset = 0;
    ScrollTo(offset);
}

void THilfe::ScrollTo(int32_t offset)
{
    m_offset = std::clamp(offset, 0, MaxOffset());
    m_image->SetPosition(0, -m_offset);
    if (m_thumb->Visible())
        PlaceThumb();
}

void THilfe::PlaceThumb()
{
    const int32_t range = MaxOffset();
    const int32_t top =
        range > 0 ? static_cast<int32_t>(std::nearbyint(double(m_offset) * ThumbRun() / double(range))) + S(kThumbTop)
                  : S(kThumbTop);
    m_thumb->SetPosition(S(kThumbLeft), top);
}

void THilfe::ThumbMouseMove(int32_t y)
{
    if (!m_dragging)
        return;
    const int32_t top = std::clamp(m_thumb->Top() + y - m_grab, S(kThumbTop), S(kThumbBottom));
    m_thumb->SetPosition(S(kThumbLeft), top);
    m_offset = std::clamp(static_cast<int32_t>(std::nearbyint(double(top - S(kThumbTop)) / ThumbRun() * MaxOffset())), 0,
                          MaxOffset());
    m_image->SetPosition(0, -m_offset);
}

void THilfe::SetImageCursor(bool hand)
{
    const auto& wanted = hand ? m_hand : m_arrow;
    if (m_image->GetCursor() != wanted) {
        m_image->SetCursor(wanted);
        if (App() != nullptr)
            App()->RefreshCursor();
    }
}

void THilfe::Hover(int32_t x, int32_t y)
{
    const bool onLink = std::any_of(m_links.begin(), m_links.end(), [&](const HelpLink& l) { return l.Contains(x, y); });
    SetImageCursor(onLink);
}

void THilfe::ImageMouseDown(app::MouseButton button, int32_t x, int32_t y)
{
    m_pressed.reset();
    if (button != app::MouseButton::Left)
        return;
    for (auto it = m_links.rbegin(); it != m_links.rend(); ++it)
        if (it->Contains(x, y)) {
            m_pressed = *it;
            break;
        }
}

void THilfe::ImageMouseUp(app::MouseButton button, int32_t x, int32_t y)
{
    if (button != app::MouseButton::Left)
        return;
    // Taken out first: acting on it replaces the page and its links.
    const std::optional<HelpLink> pressed = std::move(m_pressed);
    m_pressed.reset();
    if (pressed && pressed->Contains(x, y)) {
        Activate(*pressed);
        HoverAtMouse();
    }
}

void THilfe::HoverAtMouse()
{
    int32_t mx = 0;
    int32_t my = 0;
    if (App() != nullptr && App()->MousePosition(mx, my)) {
        m_image->ScreenToClient(mx, my);
        Hover(mx, my);
    }
}

void THilfe::ScrollBy(int32_t dy)
{
    const int32_t before = m_offset;
    ScrollTo(static_cast<int32_t>(std::clamp<int64_t>(int64_t(m_offset) + dy, 0, MaxOffset())));
    if (m_offset != before)
        HoverAtMouse();
}

bool THilfe::MouseWheel(int32_t delta, int32_t, int32_t)
{
    ScrollBy(static_cast<int32_t>(std::clamp<int64_t>(-int64_t(delta) * S(kWheelStep), INT32_MIN, INT32_MAX)));
    return true;
}

void THilfe::KeyDown(uint32_t& key, app::Modifiers modifiers)
{
    switch (key) {
    case app::VK_UP: ScrollBy(-S(kLineStep)); break;
    case app::VK_DOWN: ScrollBy(S(kLineStep)); break;
    case app::VK_PRIOR: ScrollBy(-(ViewHeight() - S(kLineStep))); break;
    case app::VK_NEXT: ScrollBy(ViewHeight() - S(kLineStep)); break;
    case app::VK_HOME: ScrollBy(-m_offset); break;
    case app::VK_END: ScrollBy(MaxOffset() - m_offset); break;
    default: ui::TBackWindow::KeyDown(key, modifiers); return;
    }
    key = 0;
}

void THilfe::Activate(HelpLink link)
{
    if (link.target == m_page) {
        ScrollTo(link.offset);
        return;
    }
    std::optional<HelpPlace> place;
    if (link.target != "\\") {
        place = ResolveHelpTarget(link.target, m_base, m_programFolder);
        if (!place) {
            // A target outside the program folder leads nowhere.
            std::cerr << "velomar: the help link " << link.target << " leads outside the program folder\n";
            return;
        }
    }
    if (showBusy)
        showBusy(true);
    m_links.clear();
    m_focusLink = -1;
    m_image->SetPicture(gdi::Bitmap());
    if (!place) {
        InitHelp();
        ScrollTo(link.offset);
    } else {
        m_base = place->folder;
        m_page = place->name;
        const std::string links = LoadPicture(m_base, m_page);
        m_links = links.empty() ? std::vector<HelpLink>{} : ReadHelpLinks(links);
        AfterLoad(link.offset);
    }
    if (showBusy)
        showBusy(false);
}

void THilfe::Clear()
{
    m_links.clear();
    m_focusLink = -1;
    m_pressed.reset();
    m_dragging = false;
    m_thumb->SetPosition(S(kThumbLeft), S(kThumbTop));
    m_image->SetPicture(gdi::Bitmap());
    m_image->SetBounds(0, 0, 0, 0);
    m_offset = 0;
    m_page.clear();
    m_base = m_programFolder;
}

void THilfe::Place(int32_t roomWidth, int32_t roomHeight) { PlaceCentred(*this, roomWidth, roomHeight); }

} // namespace kestrava::shell
