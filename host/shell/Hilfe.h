// The help viewer: a skinned window (background "HILFE", 400 x 400) with a
// black view HilfeBox at (5, 37), 374 x 309, in which the page picture
// HilfeImage scrolls; the thumb Regler4 at left 379 runs from top 37 to 320;
// HilfeOk at (280, 351) closes. Besides the thumb and the links, the wheel
// (three text lines a notch), the arrow keys (a line), Page Up and Down (a
// view less a line) and Home and End scroll the page, the thumb following.
//
// A page is a picture with links (HelpLinks.h). The index page is built
// here: the program folder's HELP.BMP with one link for the general help and
// one for every test and program whose folder holds a HELP1.BMP.
//
// The viewer knows pages and folders only; what opening and closing mean
// for the menu or a running test is the main window's (OnOk).
// [ui-thread]
#pragma once

#include "host/shell/HelpLinks.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include "platform/app/Controls.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrava::shell {

// One line of the index: the title shown and the folder (ending with '/')
// that holds the test's or program's HELP1 page.
struct HelpIndexLine {
    std::string title;
    std::string folder;
};
struct HelpIndex {
    std::vector<HelpIndexLine> tests;
    std::vector<HelpIndexLine> programs;
};

class THilfe : public ui::TBackWindow {
public:
    static constexpr int32_t kViewLeft = 5;
    static constexpr int32_t kViewTop = 37;
    static constexpr int32_t kViewWidth = 374;
    static constexpr int32_t kViewHeight = 309;
    static constexpr int32_t kThumbLeft = 379;
    static constexpr int32_t kThumbTop = 37;
    static constexpr int32_t kThumbBottom = 320;
    static constexpr int32_t kThumbRun = kThumbBottom - kThumbTop; // 283
    // A text line of the pages, the step of an arrow key; a notch of the
    // wheel scrolls three of them.
    static constexpr int32_t kLineStep = 20;
    static constexpr int32_t kWheelStep = 3 * kLineStep;
    // The index's link font: Arial Black 12 pt, drawn with the heaviest
    // sans face; 23 px is that font's cell at 96 dpi.
    static constexpr int32_t kIndexFontHeight = 23;
    // The focus frame stands this far around a focused link.
    static constexpr int32_t kLinkFrame = 3;

    explicit THilfe(std::string programFolder);
    // In the middle of a room of this size (the main window).
    void Place(int32_t roomWidth, int32_t roomHeight);

    void SetCursors(std::shared_ptr<app::Cursor> arrow, std::shared_ptr<app::Cursor> hand);
    // Where the index page's lines come from (the menu's lists as they are
    // now); asked whenever the index is built.
    std::function<HelpIndex()> indexSource;
    // Busy cursor on and off while a page loads.
    std::function<void(bool busy)> showBusy;
    // HilfeOk, or Enter, Escape or space typed in the window.
    std::function<void()> OnOk;

    // The user-interface scale k the pages are opened at: NAME@<k>x.BMP with
    // its link file where the page has one, else the 1x page (HelpLinks.h);
    // the index's lines are drawn at the scale of its HELP picture. Takes
    // effect with the next page opened; k = 1 opens exactly NAME.BMP.
    void SetPageScale(double scale) { m_pageScale = scale; }
    double PageScale() const { return m_pageScale; }
    // The scale of the page shown (1 for a page without scaled files).
    double ShownScale() const { return m_shownScale; }

    // Builds the index page and shows it from the top.
    void InitHelp();
    // Shows the page name of folder (ending with '/') from the top; the
    // viewer's base becomes that folder.
    void ShowPage(const std::string& folder, const std::string& name);
    // Acts on a link as a click on it does. Taken by value: the link may be
    // one of the page's own, which leaving the page frees.
    void Activate(HelpLink link);
    // Scrolls to offset, kept to the page, and places the thumb.
    void ScrollTo(int32_t offset);
    // Closing: no links, thumb at the top, no picture, offset 0, no page.
    void Clear();

    bool MouseWheel(int32_t delta, int32_t x, int32_t y) override;
    void KeyDown(uint32_t& key, app::Modifiers modifiers) override;

    // ---- what tests look at
    app::Panel& HilfeBox() { return *m_box; }
    app::Image& HilfeImage() { return *m_image; }
    app::Image& Regler4() { return *m_thumb; }
    ui::TThbitbtn& HilfeOk() { return *m_ok; }
    const gdi::Bitmap& Picture() const { return m_image->Picture(); }
    const std::vector<HelpLink>& Links() const { return m_links; }
    const std::string& Page() const { return m_page; }
    const std::string& BaseFolder() const { return m_base; }
    int32_t Offset() const { return m_offset; }
    int32_t MaxOffset() const;
    // The height th of the index font's "XX".
    static int32_t IndexLineHeight();
    // The link the keyboard is on (-1: none).
    int32_t FocusedLink() const { return m_focusLink; }
    // The link pressed and not yet released, if any.
    const HelpLink* PressedLink() const { return m_pressed ? &*m_pressed : nullptr; }

private:
    // Shows the page's picture at the page scale; its link file's path
    // (empty when it has none).
    std::string LoadPicture(const std::string& folder, const std::string& name);
    void AfterLoad(int32_t offset);
    void Hover(int32_t x, int32_t y);
    // The hover rule where the mouse is now (the page may have moved under it).
    void HoverAtMouse();
    void ScrollBy(int32_t dy);
    void ImageMouseDown(app::MouseButton button, int32_t x, int32_t y);
    void ImageMouseUp(app::MouseButton button, int32_t x, int32_t y);
    void ThumbMouseMove(int32_t y);
    void PlaceThumb();
    void SetImageCursor(bool hand);
    // Frames link index (-1: none) and scrolls it into view.
    void FocusLink(int32_t index);
    // The next (previous) link; false past the last (first) one.
    bool StepLink(bool backwards);
    void FollowFocusedLink();

    std::string m_programFolder;
    std::string m_base;   // folder of the shown page, ending with '/'
    std::string m_page;   // empty on the index page
    int32_t m_offset = 0;
    double m_pageScale = 1;
    double m_shownScale = 1;
    std::vector<HelpLink> m_links;
    std::optional<HelpLink> m_pressed;
    int32_t m_focusLink = -1;
    bool m_dragging = false;
    int32_t m_grab = 0;
    std::shared_ptr<app::Cursor> m_arrow;
    std::shared_ptr<app::Cursor> m_hand;

    app::Panel* m_box = nullptr;
    app::Image* m_image = nullptr;
    app::Image* m_thumb = nullptr;
    ui::TThbitbtn* m_ok = nullptr;
};

} // namespace kestrava::shell
