#include "host/shell/Splash.h"

#include "platform/app/Application.h"
#include "platform/gdi/Canvas.h"
#include "ui/UiScale.h"

#include <algorithm>
#include <cmath>

namespace kestrava::shell {

void TSplashScreen::FormCreate(const gdi::Bitmap& picture, uint32_t nowMs)
{
    m_progress = 0.0;
    m_created = nowMs;
    SetPicture(picture);
    SetSize(ui::Scaled(kWidth), ui::Scaled(kHeight));
}

int32_t TSplashScreen::FilledRight() const
{
    return ui::Scaled(kTrackLeft) +
           static_cast<int32_t>(std::nearbyint(m_progress * ui::ScaledSpan(kTrackLeft, kTrackLength)));
}

void TSplashScreen::Progress(double increment)
{
    m_progress = std::clamp(m_progress + increment, 0.0, 1.0);
    gdi::Canvas canvas(Picture().Handle());
    canvas.brush.color = gdi::Rgb(180, 180, 180);
    canvas.FillRect({ui::Scaled(kTrackLeft), ui::Scaled(kTrackTop), FilledRight(), ui::Scaled(kTrackBottom)});
    PictureChanged();
    if (app::Application* app = App())
        app->Update();
}

} // namespace kestrava::shell
