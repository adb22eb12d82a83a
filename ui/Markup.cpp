#include "ui/Markup.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace kestrava::ui {

namespace {

constexpr std::string_view kBoldTag = "<b>";
constexpr std::string_view kIndentTag = "<tab>";
constexpr std::string_view kDoubleIndentTag = "<tabtab>";
constexpr int32_t kIndent = 10;
constexpr int32_t kDoubleIndent = 20;

bool RemoveFirst(std::string& text, std::string_view tag)
{
    const size_t at = text.find(tag);
    if (at == std::string::npos)
        return false;
    text.erase(at, tag.size());
    return true;
}

// Folds one character of UTF-8 text to lower case and advances i past it.
// ASCII letters and the upper-case Latin-1 letters (U+00C0 to U+00DE, but
// not the multiplication sign) fold; everything else compares as it is.
uint32_t FoldNext(std::string_view s, size_t& i)
{
    const auto c = static_cast<unsigned char>(s[i++]);
    if (c >= 'A' && c <= 'Z')
        return c + 0x20u;
    if (c == 0xC3 && i < s.size()) {
        const auto next = static_cast<unsigned char>(s[i]);
        if (next >= 0x80 && next <= 0xBF) {
            ++i;
            uint32_t code = 0xC0u + (next - 0x80u);
            if (code >= 0xC0 && code <= 0xDE && code != 0xD7)
                code += 0x20u;
            // Above every ASCII byte, as the two-byte sequence itself is.
            return 0x100u + code;
        }
    }
    // Any other byte of a multi-byte character sorts after the Latin-1
    // letters; ASCII sorts as it is.
    return c >= 0x80 ? 0x200u + c : c;
}

} // namespace

TMarkupLine ParseMarkup(std::string_view line)
{
    TMarkupLine out;
    std::string text(line);
    out.bold = RemoveFirst(text, kBoldTag);
    // "<tab>" never matches inside "<tabtab>" (its fifth character is 't'),
    // so looking for the short tag first leaves the long one intact.
    if (RemoveFirst(text, kIndentTag))
        out.indent = kIndent;
    if (RemoveFirst(text, kDoubleIndentTag))
        out.indent = kDoubleIndent;
    const size_t tab = text.find('\t');
    if (tab != std::string::npos) {
        out.hasTab = true;
        out.left = text.substr(0, tab);
        out.right = text.substr(tab + 1);
    } else {
        out.left = std::move(text);
    }
    return out;
}

std::optional<int64_t> DigitsNumber(std::string_view line)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    std::optional<int64_t> number;
    for (char c : line) {
        if (c < '0' || c > '9')
            continue;
        const int64_t digit = c - '0';
        const int64_t so_far = number.value_or(0);
        number = so_far > (kMax - digit) / 10 ? kMax : so_far * 10 + digit;
    }
    return number;
}

namespace {

// The base letters of the folded Latin-1 letters U+00E0 to U+00FF, as German
// dictionaries file them: an umlaut or an accent sorts as its letter alone.
// 0 leaves a character as it is.
constexpr char kBaseLetter[32] = {
    'a', 'a', 'a', 'a', 'a', 'a', 0,   'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 0,   'y'};

// The primary sort key of a text: folded to lower case, umlauts and accents
// as their base letters, "ß" as "ss" and "æ" as "ae".
std::vector<uint32_t> PrimaryKey(std::string_view s)
{
    std::vector<uint32_t> key;
    key.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const uint32_t c = FoldNext(s, i);
        if (c == 0x100u + 0xDFu) { // ß
            key.push_back('s');
            key.push_back('s');
        } else if (c == 0x100u + 0xE6u) { // æ
            key.push_back('a');
            key.push_back('e');
        } else if (c >= 0x100u + 0xE0u && c <= 0x100u + 0xFFu && kBaseLetter[c - 0x1E0u] != 0) {
            key.push_back(static_cast<unsigned char>(kBaseLetter[c - 0x1E0u]));
        } else {
            key.push_back(c);
        }
    }
    return key;
}

int CompareFolded(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t ca = FoldNext(a, i);
        const uint32_t cb = FoldNext(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

int CompareTextIgnoringCase(std::string_view a, std::string_view b)
{
    const std::vector<uint32_t> ka = PrimaryKey(a);
    const std::vector<uint32_t> kb = PrimaryKey(b);
    if (ka != kb)
        return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end()) ? -1 : 1;
    // Equal as a dictionary files them ("Müller", "Muller"): the plain
    // letters come first, and only texts that differ in case alone are
    // the same line.
    return CompareFolded(a, b);
}

} // namespace kestrava::ui
