// What the test takes from outside besides the host's messages: random
// numbers, and a place to play its tones and to draw. Each sits behind a
// small interface, so tests script them and the module plugs in the real
// ones.
#pragma once

#include "modules/kit/Random.h"
#include "modules/mfr/MfrState.h"

#include <cstdint>

namespace kestrava::mfr {

// The random source is the kit's: SplitMix64 on a position that lives in
// the state block (MfrState::RandomState), so a saved and resumed test goes
// on with the very numbers it would have drawn.
using kit::BlockRandom;
using kit::ClockSeed;
using kit::RandomSource;

// The tones through the host's sound service. [message thread]
class ToneOutput {
public:
    virtual ~ToneOutput() = default;
    // Ahead of the first stimulus, so a tone starts without reading its file.
    virtual void Load(Tone tone) = 0;
    // Returns the player slot it plays in, or -1.
    virtual int32_t Play(Tone tone) = 0;
    virtual void Stop(int32_t slot) = 0;
};

// The points where the test asks for drawing. Every call comes from inside
// one DispatchMessage call, under the host's canvas lock. [message thread]
class MfrView {
public:
    virtual ~MfrView() = default;
    // MSG_INIT and MSG_RESIZE: (re)load the pictures for the current Scale.
    virtual void LoadImages() = 0;
    // MSG_STOP: free the pictures.
    virtual void Release() = 0;
    // The whole test screen: MSG_PAINT and MSG_INIT.
    virtual void PaintAll(const MfrState& state) = 0;
    // The four lamps; whenever a lamp goes on or off.
    virtual void PaintLamps(const MfrState& state) = 0;
    // The outcome of the last stimulus and the pace bar; whenever they
    // change.
    virtual void PaintStatus(const MfrState& state) = 0;
};

} // namespace kestrava::mfr
