// The splash window: one 500 x 400 picture centred on the screen while the
// program starts, with a progress track along its foot that fills in light
// grey as the start-up proceeds.
#pragma once

#include "platform/app/Controls.h"

#include <cstdint>

namespace kestrava::shell {

class TSplashScreen : public app::Image {
public:
    static constexpr int32_t kWidth = 500;
    static constexpr int32_t kHeight = 400;
    static constexpr int32_t kTrackLeft = 46;
    static constexpr int32_t kTrackLength = 449;
    static constexpr int32_t kTrackTop = 388;
    static constexpr int32_t kTrackBottom = 395;

    // Takes the picture and remembers when the splash was made.
    void FormCreate(const gdi::Bitmap& picture, uint32_t nowMs);
    // Adds to the progress (kept within 0 .. 1), fills the track up to it
    // and shows the picture at once.
    void Progress(double increment);
    double Position() const { return m_progress; }
    uint32_t CreatedMs() const { return m_created; }
    // The right end of the filled track: 46 + round(progress x 449).
    int32_t FilledRight() const;

private:
    double m_progress = 0.0;
    uint32_t m_created = 0;
};

} // namespace kestrava::shell
