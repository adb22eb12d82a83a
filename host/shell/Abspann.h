// The credits: a black panel over the whole window, the video in the middle
// in a white one-pixel frame. Its end, or a click anywhere on it, ends the
// program (OnEnd). [ui-thread]
#pragma once

#include "platform/app/Controls.h"
#include "platform/app/EventLoop.h"
#include "platform/video/VideoPanel.h"

#include <functional>
#include <string>

namespace kestrava::shell {

class TAbspann : public app::Panel {
public:
    static constexpr int32_t kVideoWidth = 480;
    static constexpr int32_t kVideoHeight = 180;

    explicit TAbspann(app::EventLoop& loop);

    // Over a window of this size, the video in its middle.
    void Layout(int32_t width, int32_t height);
    // Opens the video and plays it; false, with the reason, when it
    // cannot.
    bool Play(const std::string& path, std::string& error);
    void Stop();

    video::VideoPanel& Leinwand() { return *m_leinwand; }

    // The video's end or a click on the credits.
    std::function<void()> OnEnd;

private:
    void End();

    app::Panel* m_rahmen = nullptr;
    video::VideoPanel* m_leinwand = nullptr;
};

} // namespace kestrava::shell
