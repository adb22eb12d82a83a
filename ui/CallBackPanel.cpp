#include "ui/CallBackPanel.h"

#include "platform/app/Application.h"

namespace kestrava::ui {

void TCallBackPanel::ShowDrawn()
{
    gdi::DrawnRegion drawn;
    {
        std::lock_guard<std::mutex> guard(Lock());
        drawn = Surface().TakeDrawnRegion();
    }
    // Each part on its own: the two sides of the screen a module draws on
    // are copied and shown without the width between them.
    for (const gdi::Rect& r : drawn) {
        m_quietNext.push_back(r);
        Invalidate(r);
    }
}

void TCallBackPanel::Paint(app::Canvas& canvas, const gdi::Rect& clip)
{
    if (app::Application* app = App(); app != nullptr && app->FrameNumber() != m_frame) {
        m_frame = app->FrameNumber();
        m_quiet.swap(m_quietNext);
        m_quietNext.clear();
    }
    const bool quiet = !m_quiet.empty() && gdi::Covers(m_quiet.data(), m_quiet.data() + m_quiet.size(), clip);
    // The module draws under the lock itself (every call into it takes it),
    // so the event runs unlocked and only the copy below takes the lock.
    if (OnPaint && !quiet)
        OnPaint(*this);
    std::lock_guard<std::mutex> guard(Lock());
    canvas.CopyRect(clip, DeviceContext(), clip);
}

} // namespace kestrava::ui
