#include "host/shell/Regler.h"

#include <algorithm>

namespace kestrava::shell {

void TRegler::SetListPosition(int32_t position)
{
    for (ui::TMyCustomListBox* list : lists)
        list->SetPosition(position);
}

void TRegler::MoveTo(int32_t top)
{
    SetPosition(Left(), top);
    if (!lists.empty() && track)
        SetListPosition(ThumbListPosition(track(), top, lists.front()->Max()));
}

void TRegler::ScrollLines(int32_t lines)
{
    if (!Visible() || lists.empty() || !track)
        return;
    const ui::TMyCustomListBox& lead = *lists.front();
    const int32_t max = lead.Max();
    const int32_t position = static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(lead.Position()) + lines, 0, std::max(max, 0)));
    SetListPosition(position);
    SetPosition(Left(), ThumbTopForPosition(track(), position, max));
}

void TRegler::TakeWheel(app::Control& control)
{
    control.OnMouseWheel = [this](int32_t delta, int32_t, int32_t) { ScrollLines(-delta * kWheelLines); };
}

bool TRegler::MouseWheel(int32_t delta, int32_t, int32_t)
{
    ScrollLines(-delta * kWheelLines);
    return true;
}

void TRegler::MoveBy(int32_t dy)
{
    // A step is a drag of dy from the thumb's top edge, clamped the same way.
    ThumbDrag step;
    step.MouseDown(true, 0);
    if (track)
        if (const auto top = step.MouseMove(track(), Top(), dy))
            MoveTo(*top);
}

void TRegler::MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers)
{
    drag.MouseDown(button == app::MouseButton::Left, y);
    app::Image::MouseDown(button, x, y, modifiers);
}

void TRegler::MouseMove(int32_t x, int32_t y, app::Modifiers modifiers)
{
    if (track)
        if (const auto top = drag.MouseMove(track(), Top(), y))
            MoveTo(*top);
    app::Image::MouseMove(x, y, modifiers);
}

void TRegler::MouseUp(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers)
{
    drag.MouseUp(button == app::MouseButton::Left);
    app::Image::MouseUp(button, x, y, modifiers);
}

} // namespace kestrava::shell
