// The points where the simulation asks for drawing.
//
// The simulation decides when something must be drawn; a view decides how.
// The module's view is ZekPainter, which draws into the host's device
// context; tests use recording views. Without a view every request is
// dropped.
//
// Every call comes from inside one DispatchMessage call, under the host's
// canvas lock, so a view needs no locking of its own. [message thread]
#pragma once

#include "modules/zek/ZekState.h"

namespace kestrava::zek {

class ZekView {
public:
    virtual ~ZekView() = default;

    // MSG_INIT and MSG_RESIZE: (re)load the pictures scaled for the host's
    // current Scale. At MSG_INIT this comes first, so a view that has no
    // canvas or work bitmaps yet creates them here.
    virtual void LoadImages() = 0;
    // MSG_STOP: free the canvas, the work bitmaps and every picture.
    virtual void Release() = 0;

    // Clear the test screen and draw everything: MSG_PAINT, MSG_INIT and
    // every 10 s of test time.
    virtual void PaintAll(const ZekState& state) = 0;
    // Redraw the two tracking fields where their objects were at the last
    // paint (the Drawn positions) and are now. The simulation times this
    // call for the adaptive paint interval.
    virtual void PaintTrackingFields(const ZekState& state) = 0;
    // Redraw the four lights; called whenever Light changes.
    virtual void PaintLights(const ZekState& state) = 0;
    // Redraw the task and answer boxes; called whenever TaskText or
    // AnswerText changes.
    virtual void PaintArithmetic(const ZekState& state) = 0;
};

} // namespace kestrava::zek
