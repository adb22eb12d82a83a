// The SDL2 backend: the one borderless full-screen window the program runs in.
//
// Covers: the window on the first display at its desktop mode, keyboard
// (virtual-key codes by scancode, Windows-1252 characters from text input),
// mouse with double clicks and wheel, focus, minimise and restore, exposure,
// presenting dirty rectangles of the back buffer, standard and file
// cursors (animated .ANI included), the message box, the key state, the
// Num Lock toggle, and joysticks and gamepads by device index.
// Lacks: more than one window or display; an animated cursor advances only
// while the user-interface thread waits for events (it stands still while
// that thread is busy); Num Lock is switched for real on X11 only (other
// video drivers only change SDL's idea of it, which costs nothing because
// the keypad reports its digit codes whatever the toggle says).
#pragma once

#include "platform/app/Backend.h"
#include "platform/sdl/CursorFile.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>

namespace kestrava::sdl {

// How frames reach the screen. The window surface copies the dirty
// rectangles into SDL's shadow of the window and pushes just those (on X11
// with shared memory); the renderer uploads them into a texture but must
// draw and flip the whole frame each time.
enum class PresentPath { WindowSurface, Renderer };

class SdlBackend final : public app::Backend {
public:
    explicit SdlBackend(PresentPath path = PresentPath::WindowSurface);
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    bool Open(std::string& error) override;
    void Close() override;

    int32_t ScreenWidth() const override { return m_width; }
    int32_t ScreenHeight() const override { return m_height; }
    int32_t BitsPerPixel() const override { return m_bitsPerPixel; }

    std::optional<app::Event> WaitEvent(int32_t timeoutMs) override;
    void Wake() override;

    void Present(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty) override;

    std::shared_ptr<app::Cursor> LoadStandardCursor(app::StandardCursor which) override;
    std::shared_ptr<app::Cursor> LoadCursorFile(const std::string& path) override;
    void SetCursor(const std::shared_ptr<app::Cursor>& cursor) override;

    void Minimize() override;
    void Restore() override;
    void MessageBox(const std::string& title, const std::string& text) override;
    bool KeyHeld(uint32_t virtualKey) const override;
    void SetNumLock(bool on) override;
    bool NumLockOn() const override;
    app::JoystickState ReadJoystick(int32_t n) override;

    PresentPath Path() const { return m_path; }
    // What presents the frames, for logs: the surface's pixel format or the
    // renderer's name.
    std::string PresentInfo() const;
    // An SDL cursor made from a decoded cursor file (public for tests).
    std::shared_ptr<app::Cursor> MakeCursor(const CursorImage& image);

private:
    class SdlCursor;
    void Translate(const SDL_Event& e);
    void AnimateCursor(uint64_t now);
    void PresentToSurface(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty);
    void PresentToRenderer(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty);

    PresentPath m_path;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int32_t m_width = 0, m_height = 0, m_bitsPerPixel = 0;

    std::atomic<uint32_t> m_wakeType{0};
    std::atomic<bool> m_wakePending{false};
    bool m_terminateSent = false; // the Terminate event for the noted signal went out
    std::deque<app::Event> m_pending;
    std::array<bool, SDL_NUM_SCANCODES> m_down{};

    // A cursor the program still holds after Close must not free what
    // SDL_Quit already freed: it checks this token first.
    std::shared_ptr<int> m_session;
    std::shared_ptr<SdlCursor> m_cursor;
    CursorAnimation m_animation;

    mutable std::mutex m_joystickMutex;
    bool m_joysticksReady = false;
    std::map<SDL_JoystickID, SDL_Joystick*> m_joysticks;
};

} // namespace kestrava::sdl
