// The small inline markup of the host's lists and the order a sorted list
// keeps its lines in.
//
// A line may carry "<b>" (bold), "<tab>" or "<tabtab>" (10 or 20 pixels of
// indent) and one tab character that splits it into a left part and a
// right-aligned part. A score list reads the number a line's digits form to
// colour it against a threshold. A sorted list compares its lines the way
// German users expect.
//
// Texts are UTF-8. [thread-safe] Nothing here keeps state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrava::ui {

// One line with its markup taken apart.
struct TMarkupLine {
    std::string left;   // the whole text when the line has no tab character
    std::string right;  // the text after the tab character
    bool hasTab = false;
    bool bold = false;
    int32_t indent = 0; // 0, 10 or 20 of the design's pixels
};

// Removes the first "<b>", "<tab>" and "<tabtab>" and splits at the first
// tab character. Only the first occurrence of each tag counts, so a second
// "<b>" stays visible as text.
TMarkupLine ParseMarkup(std::string_view line);

// All decimal digits of a line read as one number ("1,234s" gives 1234);
// nothing when the line has no digit. A number beyond what int64 holds is
// kept at the int64 maximum, which is above every threshold.
std::optional<int64_t> DigitsNumber(std::string_view line);

// The comparison that keeps a sorted list in order, as German users expect
// (DIN 5007-1): case-insensitive, umlauts and accented letters filed as
// their base letters ("Übungstest" before "Vigilanz"), "ß" as "ss". Texts
// equal that way are ordered plain letters first; 0 only for texts that
// differ in case alone.
int CompareTextIgnoringCase(std::string_view a, std::string_view b);

} // namespace kestrava::ui
