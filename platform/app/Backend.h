// The contract between the application layer and a window-system backend.
//
// Two backends implement it: platform/sdl (a real borderless full-screen
// window) and platform/headless (a virtual screen with scripted input for
// tests). The application layer owns one backend and calls it only from the
// user-interface thread, except Wake(), which any thread may call.
#pragma once

#include "platform/app/Keys.h"
#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrava::app {

struct Event {
    enum class Type {
        KeyDown,      // key: virtual-key code; repeat: the key was already down
        KeyUp,        // key
        Char,         // ch: a typed character, Windows-1252 (Enter 13, Escape 27, Backspace 8, Tab 9 included)
        MouseMove,    // x, y in screen pixels
        MouseDown,    // x, y, button
        MouseUp,      // x, y, button
        MouseDouble,  // x, y, button: the second press of a double click (comes instead of MouseDown)
        MouseWheel,   // x, y, wheel (positive away from the user)
        Activate,     // the window gained the input focus
        Deactivate,   // the window lost it
        Minimized,
        Restored,
        Expose,       // the window's content was lost: present everything again
        Quit,         // the system asks the program to close
        Terminate,    // the session ends the program (SIGTERM, SIGINT): no question, no refusal
    };
    Type type = Type::Quit;
    uint32_t key = 0;
    bool repeat = false;
    uint8_t ch = 0;
    int32_t x = 0, y = 0;
    MouseButton button = MouseButton::Left;
    int32_t wheel = 0;
    Modifiers modifiers;
};

// A mouse cursor, as the backend made it.
class Cursor {
public:
    virtual ~Cursor() = default;
};

enum class StandardCursor { Arrow, Hand, Wait, IBeam, None };

// A joystick as the system reports it: axis travel from its capabilities and
// the current raw position.
struct JoystickState {
    bool present = false;
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // reported travel
    int32_t x = 0, y = 0;                            // raw position
    bool buttons[4] = {false, false, false, false};
};

class Backend {
public:
    virtual ~Backend() = default;

    // Opens the one full-screen window on the current display. False with a
    // reason when that is impossible.
    virtual bool Open(std::string& error) = 0;
    virtual void Close() = 0;

    // The display mode: width, height and bits per pixel of the screen.
    virtual int32_t ScreenWidth() const = 0;
    virtual int32_t ScreenHeight() const = 0;
    virtual int32_t BitsPerPixel() const = 0;

    // The next event, waiting at most timeoutMs (0: do not wait; negative:
    // wait until an event comes or Wake() is called). Nothing when the time
    // ran out or the wait was woken.
    virtual std::optional<Event> WaitEvent(int32_t timeoutMs) = 0;
    // Ends a WaitEvent early. [thread-safe]
    virtual void Wake() = 0;

    // Shows the given rectangles of the back buffer (screen-sized) on the
    // screen. An empty list shows nothing.
    virtual void Present(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty) = 0;

    // Cursors: the standard ones, and ones read from .CUR and .ANI files
    // (null when the file cannot be read). An animated cursor animates by
    // itself once set.
    virtual std::shared_ptr<Cursor> LoadStandardCursor(StandardCursor which) = 0;
    virtual std::shared_ptr<Cursor> LoadCursorFile(const std::string& path) = 0;
    virtual void SetCursor(const std::shared_ptr<Cursor>& cursor) = 0;

    virtual void Minimize() = 0;
    virtual void Restore() = 0;

    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& title, const std::string& text) = 0;

    // Keyboard state: whether a key is held, and the Num Lock toggle.
    virtual bool KeyHeld(uint32_t virtualKey) const = 0;
    virtual void SetNumLock(bool on) = 0;
    virtual bool NumLockOn() const = 0;

    // The n-th present joystick (0-based), read now. The tick thread polls
    // joysticks, so this one call must be safe from any thread.
    // [thread-safe]
    virtual JoystickState ReadJoystick(int32_t n) = 0;
};

} // namespace kestrava::app
