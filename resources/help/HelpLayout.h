// The help pages' layout: a page is laid out top to bottom into a column
// of the viewer's width, then drawn. Every link is recorded from the same
// layout that draws its text, so the link file's rectangles match the
// picture exactly. Links within a page name an anchor (a heading), whose
// place is known only once the page is laid out; they are resolved when
// the page is finished.
#pragma once

#include "resources/help/Badge.h"
#include "resources/skin/Draw.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kestrava::help {

using artwork::Layer;
using artwork::Rgbf;

// A page is laid out in units (the pixels of the 1x page) and drawn at the
// drawing scale; a finished page's picture, link rectangles and offsets are
// in its own pixels.
struct PageLink {
    gdi::Rect box;       // edges included, as the link file holds them
    std::string target;  // page name, "\" for the index, or a folder + name
    std::string anchor;  // within the target's page (empty: offset)
    int32_t offset = 0;
    std::string text;    // the drawn link text
};

struct FinishedPage {
    gdi::Bitmap picture;                    // 24-bit
    std::vector<PageLink> links;            // offsets resolved
    std::map<std::string, int32_t> anchors; // scroll offset of each heading, in units
};

void DrawBadge(Layer& layer, int32_t number, double cx, double cy);

class Page {
public:
    static constexpr int32_t kWidth = 374;  // the viewer's width: pages never scroll sideways
    static constexpr int32_t kMargin = 16;

    // name: the page's own name ("HELP1"), which links within it use.
    Page(std::string name, std::string title, std::string subtitle);
    // A page that is only the top of the index: its links are added by
    // the viewer.
    static Page IndexTop(std::string title, std::string subtitle);

    void Heading(const std::string& text, const std::string& anchor);
    void SubHeading(const std::string& text);
    void Para(const std::string& text);
    void Bullets(const std::vector<std::string>& items);
    // Key caps in the left column, the description beside them.
    void Keys(const std::vector<std::string>& keys, const std::string& description);
    // One of the program's own buttons (a picture of the skin folder, drawn
    // at the drawing scale) on its surface, with its name in bold and what it does beside it.
    void Button(const gdi::Bitmap& picture, const std::string& name, const std::string& description);
    // A contents block: one numbered link per section of this page.
    void Contents(const std::vector<std::pair<std::string, std::string>>& entries);
    void LinkToAnchor(const std::string& text, const std::string& anchor);
    void Link(const std::string& text, const std::string& target, int32_t offset = 0);
    void Gap(int32_t pixels) { m_y += pixels; }
    // A framed note on a light band.
    void Note(const std::string& text);
    // A picture centred in the page's width, framed.
    void Figure(const Layer& picture);
    // One entry of a figure's legend: its number badge in the left column,
    // the name in bold and what it is beside it.
    void Callout(int32_t number, const std::string& name, const std::string& description);

    // Draws the page at the drawing scale.
    FinishedPage Finish() const;
    const std::string& Name() const { return m_name; }

private:
    using Op = std::function<void(Layer&)>;
    int32_t Wrap(const std::string& text, const gdi::FontSpec& font, int32_t left, int32_t width, Rgbf colour);
    void LinkLine(const std::string& text, int32_t left, PageLink link);

    std::string m_name;
    std::vector<Op> m_ops;
    std::vector<std::function<void(gdi::Bitmap&)>> m_blits;
    std::vector<PageLink> m_links;
    std::map<std::string, int32_t> m_anchors;
    int32_t m_y = 0;
    bool m_index = false;
};

} // namespace kestrava::help
