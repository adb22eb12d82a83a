// Cursor files: .CUR (and .ICO) and animated .ANI, decoded to BGRA frames.
//
// Covers: the icon directory (type 1 icon or type 2 cursor with its
// hotspot), images stored as a headerless BMP with a colour (XOR) bitmap of
// 1, 4, 8, 24 or 32 bits per pixel and a 1-bit AND mask; the RIFF 'ACON'
// container with its 'anih' header, optional 'rate' and 'seq ' chunks and
// the LIST 'fram' of 'icon' chunks. Transparency comes from the alpha
// channel of a 32-bit image that has one, from the AND mask otherwise.
// Lacks: PNG-compressed images (rejected with a message), the "invert the
// screen" pixels of monochrome cursors (AND 1 with a non-black colour:
// shown as transparent), and raw-bitmap .ANI frames (the flag that says the
// frames are not icons).
//
// Nothing here touches SDL; every offset and count is checked against the
// bytes actually present before it is used.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava::sdl {

struct CursorFrame {
    gdi::Bitmap image; // BGRA, alpha 0 where the cursor is see-through
    int32_t hotX = 0;
    int32_t hotY = 0;
};

// One step of the animation: which frame to show and for how long, in
// jiffies of 1/60 s.
struct CursorStep {
    uint32_t frame = 0;
    uint32_t jiffies = 0;
};

struct CursorImage {
    std::vector<CursorFrame> frames;
    std::vector<CursorStep> steps; // one step with 0 jiffies for a still cursor
    bool Animated() const { return steps.size() > 1; }
};

// The clock of an animated cursor: which step shows at a given time. Steps
// show for their jiffies each, round and round; a step of 0 jiffies shows
// for one.
class CursorAnimation {
public:
    CursorAnimation() = default;
    CursorAnimation(std::vector<CursorStep> steps, uint64_t startMs);
    // Moves on to the step showing at nowMs and says whether the frame
    // changed. After a stall the steps that would have shown meanwhile are
    // skipped, not raced through.
    bool Advance(uint64_t nowMs);
    uint32_t Frame() const { return m_steps.empty() ? 0 : m_steps[m_step].frame; }
    // When the current step ends; never for a still cursor.
    uint64_t StepEndsMs() const { return Animated() ? m_stepEnds : UINT64_MAX; }
    bool Animated() const { return m_steps.size() > 1; }

private:
    std::vector<CursorStep> m_steps;
    size_t m_step = 0;
    uint64_t m_stepEnds = 0;
};

// Decodes a .CUR/.ICO or an .ANI file (told apart by their first bytes).
// False with a reason on anything malformed; image is then left empty.
bool DecodeCursor(const std::vector<uint8_t>& bytes, CursorImage& image, std::string& error);
bool LoadCursor(const std::string& path, CursorImage& image, std::string& error);

} // namespace kestrava::sdl
