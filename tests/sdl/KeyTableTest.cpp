// Scancodes to virtual-key codes: the codes modules rely on, the keypad
// whatever Num Lock says, and the way back for the key state.
#include "platform/sdl/KeyTable.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace kestrava::sdl {
namespace {

bool Contains(const std::vector<SDL_Scancode>& list, SDL_Scancode sc)
{
    return std::find(list.begin(), list.end(), sc) != list.end();
}

TEST(KeyTable, RangesOfLettersDigitsAndFunctionKeys)
{
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(VirtualKeyOf(SDL_Scancode(SDL_SCANCODE_A + i)), uint32_t(65 + i)) << "letter " << i;
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_0), 48u);
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_1), 49u);
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_9), 57u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(VirtualKeyOf(SDL_Scancode(SDL_SCANCODE_F1 + i)), uint32_t(112 + i)) << "F" << i + 1;
}

TEST(KeyTable, KeypadReportsDigitCodesWhateverNumLock)
{
    // Scancodes do not change with Num Lock, so neither may the codes: the
    // key that says 7 and Home is always 103.
    const std::pair<SDL_Scancode, uint32_t> keypad[] = {
        {SDL_SCANCODE_KP_0, 96}, {SDL_SCANCODE_KP_1, 97}, {SDL_SCANCODE_KP_2, 98}, {SDL_SCANCODE_KP_3, 99},
        {SDL_SCANCODE_KP_4, 100}, {SDL_SCANCODE_KP_5, 101}, {SDL_SCANCODE_KP_6, 102}, {SDL_SCANCODE_KP_7, 103},
        {SDL_SCANCODE_KP_8, 104}, {SDL_SCANCODE_KP_9, 105}, {SDL_SCANCODE_KP_MULTIPLY, 106},
        {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_MINUS, 109}, {SDL_SCANCODE_KP_PERIOD, 110},
        {SDL_SCANCODE_KP_DIVIDE, 111}, {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    };
    for (auto [sc, vk] : keypad)
        EXPECT_EQ(VirtualKeyOf(sc), vk) << SDL_GetScancodeName(sc);
}

TEST(KeyTable, ControlNavigationAndOemKeys)
{
    const std::pair<SDL_Scancode, uint32_t> keys[] = {
        {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_RETURN, 13},
        {SDL_SCANCODE_LSHIFT, 16}, {SDL_SCANCODE_RSHIFT, 16}, {SDL_SCANCODE_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, 17}, {SDL_SCANCODE_LALT, 18}, {SDL_SCANCODE_RALT, 18},
        {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20}, {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34},
        {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_INSERT, 45},
        {SDL_SCANCODE_DELETE, 46}, {SDL_SCANCODE_SCROLLLOCK, 145},
        {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_LEFTBRACKET, 219},
        {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_APOSTROPHE, 222},
        {SDL_SCANCODE_GRAVE, 192}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_COMMA, 188},
        {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191}, {SDL_SCANCODE_NONUSBACKSLASH, 226},
    };
    for (auto [sc, vk] : keys)
        EXPECT_EQ(VirtualKeyOf(sc), vk) << SDL_GetScancodeName(sc);
}

TEST(KeyTable, UnknownScancodesReportNothing)
{
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_UNKNOWN), 0u);
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_MUTE), 0u);
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_INTERNATIONAL1), 0u);
    EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_AUDIOPLAY), 0u);
    // Out-of-range values come from nowhere good; they must not index past
    // the table.
    EXPECT_EQ(VirtualKeyOf(SDL_Scancode(SDL_NUM_SCANCODES)), 0u);
    EXPECT_EQ(VirtualKeyOf(SDL_Scancode(1000)), 0u);
}

TEST(KeyTable, EveryKnownScancodeIsFoundAgainByItsCode)
{
    EXPECT_TRUE(ScancodesOf(0).empty());
    EXPECT_TRUE(ScancodesOf(250).empty());
    int known = 0;
    for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
        auto sc = SDL_Scancode(i);
        uint32_t vk = VirtualKeyOf(sc);
        if (vk == 0)
            continue;
        ++known;
        EXPECT_TRUE(Contains(ScancodesOf(vk), sc)) << SDL_GetScancodeName(sc);
    }
    EXPECT_GT(known, 100);
    auto shift = ScancodesOf(16);
    EXPECT_EQ(shift.size(), 2u);
    EXPECT_TRUE(Contains(shift, SDL_SCANCODE_LSHIFT) && Contains(shift, SDL_SCANCODE_RSHIFT));
    EXPECT_TRUE(Contains(ScancodesOf(13), SDL_SCANCODE_KP_ENTER));
}

} // namespace
} // namespace kestrava::sdl
