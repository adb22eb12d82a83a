// Virtual-key codes, the protocol's currency for keys. Backends translate
// their own key identities to these.
#pragma once

#include <cstdint>

namespace kestrava::app {

enum VirtualKey : uint32_t {
    VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_PAUSE = 19,
    VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
    VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_SNAPSHOT = 44, VK_INSERT = 45, VK_DELETE = 46,
    VK_0 = 48, VK_9 = 57, VK_A = 65, VK_Z = 90, VK_LWIN = 91, VK_RWIN = 92, VK_APPS = 93,
    VK_NUMPAD0 = 96, VK_NUMPAD9 = 105, VK_MULTIPLY = 106, VK_ADD = 107, VK_SUBTRACT = 109, VK_DECIMAL = 110,
    VK_DIVIDE = 111, VK_F1 = 112, VK_F10 = 121, VK_F12 = 123, VK_NUMLOCK = 144, VK_SCROLL = 145,
    VK_OEM_1 = 186, VK_OEM_PLUS = 187, VK_OEM_COMMA = 188, VK_OEM_MINUS = 189, VK_OEM_PERIOD = 190,
    VK_OEM_2 = 191, VK_OEM_3 = 192, VK_OEM_4 = 219, VK_OEM_5 = 220, VK_OEM_6 = 221, VK_OEM_7 = 222,
    VK_OEM_102 = 226,
};

enum class MouseButton : uint32_t { Left = 0, Right = 1, Middle = 2 };

// Modifier state carried with key and mouse events.
struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

} // namespace kestrava::app
