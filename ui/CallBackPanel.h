// The test area the running module draws into.
#pragma once

#include "platform/app/Controls.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace kestrava::ui {

// The test area: a control that paints nothing itself and hands every paint
// request to OnPaint. The running module draws into the panel's surface
// through its device context (the handle in the shared status record), under
// the lock the host holds for every call into the module; the paint event
// asks the module to draw, and the panel then shows what the surface holds.
// Without OnPaint the panel only shows the surface as it is.
class TCallBackPanel : public app::SurfaceControl {
public:
    explicit TCallBackPanel(std::mutex* externalLock = nullptr) : app::SurfaceControl(externalLock) {}

    // Hides the surface's own paint hook: this one gets the panel.
    std::function<void(TCallBackPanel& sender)> OnPaint;
    void SetColor(gdi::ColorRef c) { color = c; }
    gdi::ColorRef Color() const { return color; }

    // Shows what was drawn into the surface since the last call (by the
    // module, between its paints) without asking for a paint: the next
    // frame only copies that part of the surface. [user-interface thread]
    void ShowDrawn();

    void Paint(app::Canvas& canvas, const gdi::Rect& clip) override;

private:
    std::vector<gdi::Rect> m_quiet;     // copy-only area of the frame being painted
    std::vector<gdi::Rect> m_quietNext; // copy-only area for the next frame
    uint64_t m_frame = 0;
};

} // namespace kestrava::ui
