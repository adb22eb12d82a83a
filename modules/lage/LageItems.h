// The items of the Fluglage test: an attitude for the instruments and four
// pictures of which exactly one shows it. The wrong pictures are the
// readings a candidate plausibly makes: the bank read the wrong way round,
// east and west swapped, a neighbouring heading, a wrong pitch; mostly one
// thing wrong, sometimes two.
#pragma once

#include "modules/kit/Random.h"
#include "modules/lage/LageState.h"

namespace kestrava::lage {

bool ValidPose(const LagePose& pose);
// Every pose valid, Answer 0 to 3, the answer's picture the shown attitude,
// no other picture equal to it or to another.
bool ValidItem(const LageItem& item);
// The pictures equal to the shown attitude (1 for a valid item).
int32_t MatchingPictures(const LageItem& item);

// A wrong reading of the pose: never the pose itself.
LagePose Distractor(const LagePose& pose, kit::RandomSource& random);
// A new item; always ValidItem. Draws only from random, so a seed gives the
// same items in the same order whatever the timing.
LageItem DrawItem(kit::RandomSource& random);

// The key of a picture (0 to 3) from a virtual-key code: 1 to 4 on the
// main keys or the number pad; -1 for any other key.
int32_t PictureOfKey(uint32_t virtualKey);

} // namespace kestrava::lage
