// The scancode table; see KeyTable.h for what it covers and lacks.
#include "platform/sdl/KeyTable.h"

#include "platform/app/Keys.h"

#include <array>

namespace kestrava::sdl {

using namespace kestrava::app;

namespace {

constexpr uint32_t kF13 = 124;
constexpr uint32_t kSeparator = 108;

using Table = std::array<uint16_t, SDL_NUM_SCANCODES>;

constexpr Table BuildTable()
{
    Table t{};
    for (int i = 0; i < 26; ++i)
        t[size_t(SDL_SCANCODE_A + i)] = uint16_t(VK_A + uint32_t(i));
    // SDL orders the digit row 1..9, 0; the keypad 1..9, 0 the same way.
    for (int i = 0; i < 9; ++i) {
        t[size_t(SDL_SCANCODE_1 + i)] = uint16_t(VK_0 + 1 + uint32_t(i));
        t[size_t(SDL_SCANCODE_KP_1 + i)] = uint16_t(VK_NUMPAD0 + 1 + uint32_t(i));
    }
    t[SDL_SCANCODE_0] = VK_0;
    t[SDL_SCANCODE_KP_0] = VK_NUMPAD0;
    for (int i = 0; i < 12; ++i) {
        t[size_t(SDL_SCANCODE_F1 + i)] = uint16_t(VK_F1 + uint32_t(i));
        t[size_t(SDL_SCANCODE_F13 + i)] = uint16_t(kF13 + uint32_t(i));
    }

    t[SDL_SCANCODE_RETURN] = VK_RETURN;
    t[SDL_SCANCODE_KP_ENTER] = VK_RETURN;
    t[SDL_SCANCODE_RETURN2] = VK_RETURN;
    t[SDL_SCANCODE_ESCAPE] = VK_ESCAPE;
    t[SDL_SCANCODE_BACKSPACE] = VK_BACK;
    t[SDL_SCANCODE_TAB] = VK_TAB;
    t[SDL_SCANCODE_SPACE] = VK_SPACE;

    t[SDL_SCANCODE_MINUS] = VK_OEM_MINUS;
    t[SDL_SCANCODE_EQUALS] = VK_OEM_PLUS;
    t[SDL_SCANCODE_LEFTBRACKET] = VK_OEM_4;
    t[SDL_SCANCODE_RIGHTBRACKET] = VK_OEM_6;
    t[SDL_SCANCODE_BACKSLASH] = VK_OEM_5;
    // The ISO key left of Enter sends the same scan code as the US
    // backslash key on Windows.
    t[SDL_SCANCODE_NONUSHASH] = VK_OEM_5;
    t[SDL_SCANCODE_SEMICOLON] = VK_OEM_1;
    t[SDL_SCANCODE_APOSTROPHE] = VK_OEM_7;
    t[SDL_SCANCODE_GRAVE] = VK_OEM_3;
    t[SDL_SCANCODE_COMMA] = VK_OEM_COMMA;
    t[SDL_SCANCODE_PERIOD] = VK_OEM_PERIOD;
    t[SDL_SCANCODE_SLASH] = VK_OEM_2;
    t[SDL_SCANCODE_NONUSBACKSLASH] = VK_OEM_102;

    t[SDL_SCANCODE_CAPSLOCK] = VK_CAPITAL;
    t[SDL_SCANCODE_PRINTSCREEN] = VK_SNAPSHOT;
    t[SDL_SCANCODE_SCROLLLOCK] = VK_SCROLL;
    t[SDL_SCANCODE_PAUSE] = VK_PAUSE;
    t[SDL_SCANCODE_INSERT] = VK_INSERT;
    t[SDL_SCANCODE_HOME] = VK_HOME;
    t[SDL_SCANCODE_PAGEUP] = VK_PRIOR;
    t[SDL_SCANCODE_DELETE] = VK_DELETE;
    t[SDL_SCANCODE_END] = VK_END;
    t[SDL_SCANCODE_PAGEDOWN] = VK_NEXT;
    t[SDL_SCANCODE_RIGHT] = VK_RIGHT;
    t[SDL_SCANCODE_LEFT] = VK_LEFT;
    t[SDL_SCANCODE_DOWN] = VK_DOWN;
    t[SDL_SCANCODE_UP] = VK_UP;

    t[SDL_SCANCODE_NUMLOCKCLEAR] = VK_NUMLOCK;
    t[SDL_SCANCODE_KP_DIVIDE] = VK_DIVIDE;
    t[SDL_SCANCODE_KP_MULTIPLY] = VK_MULTIPLY;
    t[SDL_SCANCODE_KP_MINUS] = VK_SUBTRACT;
    t[SDL_SCANCODE_KP_PLUS] = VK_ADD;
    t[SDL_SCANCODE_KP_PERIOD] = VK_DECIMAL;
    t[SDL_SCANCODE_KP_COMMA] = kSeparator;

    t[SDL_SCANCODE_LSHIFT] = VK_SHIFT;
    t[SDL_SCANCODE_RSHIFT] = VK_SHIFT;
    t[SDL_SCANCODE_LCTRL] = VK_CONTROL;
    t[SDL_SCANCODE_RCTRL] = VK_CONTROL;
    t[SDL_SCANCODE_LALT] = VK_MENU;
    t[SDL_SCANCODE_RALT] = VK_MENU;
    // Some X11 layouts report AltGr as the "mode switch" key.
    t[SDL_SCANCODE_MODE] = VK_MENU;
    t[SDL_SCANCODE_LGUI] = VK_LWIN;
    t[SDL_SCANCODE_RGUI] = VK_RWIN;
    t[SDL_SCANCODE_APPLICATION] = VK_APPS;
    return t;
}

constexpr Table kTable = BuildTable();

} // namespace

uint32_t VirtualKeyOf(SDL_Scancode scancode)
{
    auto i = size_t(scancode);
    return i < kTable.size() ? kTable[i] : 0;
}

std::vector<SDL_Scancode> ScancodesOf(uint32_t virtualKey)
{
    std::vector<SDL_Scancode> out;
    if (virtualKey == 0)
        return out;
    for (size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i] == virtualKey)
            out.push_back(SDL_Scancode(i));
    return out;
}

} // namespace kestrava::sdl
