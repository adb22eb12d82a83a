// Key identities: SDL scancodes to the virtual-key codes the host and its
// modules speak.
//
// Covers: the whole main block, the function keys F1-F24, the navigation
// block, the keypad and the modifiers. Keys are named by where they sit on
// the keyboard, never by what the layout prints on them: the punctuation
// keys report the codes of their position on a US keyboard (the key right
// of 0 is 189 on every layout, though a German layout prints ß on it and
// Windows would call it 219 there). Letters go by position too, so the
// key a German keyboard labels Z reports 89. The keys the delivered module
// uses (W, A, S, D, digits, keypad, arrows, F1-F4) agree either way.
// The keypad digits always report 96-105, whatever the Num Lock state,
// which is what forcing Num Lock on achieves on Windows.
// Lacks: media and browser keys, the Japanese and Korean extra keys (all 0).
#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <vector>

namespace kestrava::sdl {

// The virtual-key code of a scancode, 0 for a key that has none.
uint32_t VirtualKeyOf(SDL_Scancode scancode);

// Every scancode that reports the given virtual-key code (left and right
// Shift both report 16, both Enter keys 13); empty for an unknown code.
std::vector<SDL_Scancode> ScancodesOf(uint32_t virtualKey);

} // namespace kestrava::sdl
