// Switching the keyboard's Num Lock toggle itself, not just SDL's idea of it.
//
// Covers: X11 (through the XKB extension, which any client may use to lock a
// modifier of the core keyboard). Lacks: Wayland and every other video
// driver, where a client cannot change the lock; there it returns false.
// Kept apart because Xlib's headers define macros (None, Status) that clash
// with ordinary names.
#pragma once

#include <SDL.h>

namespace kestrava::sdl {

bool SetSystemNumLock(SDL_Window* window, bool on);

} // namespace kestrava::sdl
