// Help pages: a picture NAME.BMP that may be taller than the viewer, and
// its link file NAME.INI beside it, one link a line:
//
//     left,top,right,bottom,target,offset
//
// The rectangle is in picture pixels with all four edges included; target
// is the page to open (upper-cased when read; "\" is the index page; a
// target with a folder switches the viewer's base folder); offset is the
// scroll position the target page is shown at.
//
// Link files are content beside the program and beside each module, so the
// reader trusts nothing in them: a line that is not exactly six fields with
// whole int32 numbers where numbers belong is no link, and the amount read
// is bounded (bytes, line length and number of links).
// [ui-thread]
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava::shell {

struct HelpLink {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    std::string target; // at most 255 bytes
    int32_t offset = 0;

    bool Contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    bool operator==(const HelpLink&) const = default;
};

inline constexpr size_t kHelpLinkFileMaxBytes = 1 << 20;  // what is read of a link file
inline constexpr size_t kHelpLinkLineMaxBytes = 1024;     // longer lines are no link
inline constexpr size_t kHelpLinksMax = 4096;             // links kept per page
inline constexpr size_t kHelpTargetMaxBytes = 255;

// One line (without its line break; a trailing '\r' is allowed). Spaces
// around a field are ignored. The target keeps its case here.
std::optional<HelpLink> ParseHelpLinkLine(std::string_view line);

// The links of a link file in file order, targets upper-cased (ASCII). A
// missing or unreadable file, or anything but a regular file, has none.
std::vector<HelpLink> ReadHelpLinks(const std::string& path);

// The page colour of every help page and the index's link font.
inline constexpr uint32_t kHelpPageRgb = 0xDAFCFF; // RGB(255,252,218) as a COLORREF
inline constexpr uint32_t kHelpLinkRgb = 0x800000; // RGB(0,0,128)

// Where a link's target lies, given the viewer's base folder (ending with
// '/') and the program folder (ending with '/'). A target without a folder
// is a page in the base folder. A folder may be written with '\' or '/'; a
// relative folder is taken from the program folder, an absolute one must
// lie inside it. Nothing (the link leads nowhere) for an empty name or a
// folder outside the program folder.
struct HelpPlace {
    std::string folder; // ends with '/'
    std::string name;   // the page name as the target writes it
};
std::optional<HelpPlace> ResolveHelpTarget(std::string_view target, const std::string& baseFolder,
                                           const std::string& programFolder);

// folder + name + ext, where the file's name matches in any case (link
// targets are upper-cased, files on disk need not be): the exact name
// first, else the first entry of the folder that matches ignoring case.
// Folders inside the program folder are matched the same way, one by one.
// Empty when there is no such file.
std::string FindHelpFile(const std::string& folder, const std::string& name, const std::string& ext);

// Pages drawn at the user-interface scale k lie beside the 1x page as
// NAME@1.5x.BMP and NAME@2x.BMP, each with its own link file NAME@<k>x.INI
// whose rectangles and offsets are in that picture's pixels.
std::string HelpScaleSuffix(double scale); // "" at 1, "@1.5x", "@2x"

// The files of page name in folder at scale: the scaled picture with its
// own link file where the scaled picture exists, else the 1x pair, so a
// picture is never read with another scale's links. Empty paths for files
// that do not exist.
struct HelpPageFiles {
    std::string picture;
    std::string links;
    double scale = 1; // of the files found
};
HelpPageFiles FindHelpPage(const std::string& folder, const std::string& name, double scale);

} // namespace kestrava::shell
