// The headless backend: a virtual screen for tests, with no display, no
// input device and no sound.
//
// Covers: a screen of any size and depth; scripted keyboard, mouse, focus
// and window events, delivered in the order pushed; the held-key table
// those events leave behind; Num Lock; scripted joysticks; every presented
// frame kept as a bitmap with its rectangles, and saved as PNG on request;
// cursors as plain objects that remember which one is set; message boxes
// recorded instead of shown.
// Lacks: cursor files are not parsed (a loaded cursor only remembers its
// path, and a missing file gives null as the real backend does).
#pragma once

#include "platform/app/Backend.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

namespace kestrava::app {

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend(int32_t width = 800, int32_t height = 600, int32_t bitsPerPixel = 32);

    // A cursor of this backend: what it was made from.
    class HeadlessCursor final : public Cursor {
    public:
        explicit HeadlessCursor(std::string what) : name(std::move(what)) {}
        const std::string name; // "arrow", "hand", "wait", "ibeam", "none" or the file path
    };

    // --- Backend ---
    bool Open(std::string& error) override;
    void Close() override;
    int32_t ScreenWidth() const override { return m_width; }
    int32_t ScreenHeight() const override { return m_height; }
    int32_t BitsPerPixel() const override { return m_bits; }
    // Waits in real time (a test's scripted events are normally queued
    // before the loop looks, so waits end at once).
    std::optional<Event> WaitEvent(int32_t timeoutMs) override;
    void Wake() override;
    void Present(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty) override;
    std::shared_ptr<Cursor> LoadStandardCursor(StandardCursor which) override;
    std::shared_ptr<Cursor> LoadCursorFile(const std::string& path) override;
    void SetCursor(const std::shared_ptr<Cursor>& cursor) override;
    void Minimize() override;
    void Restore() override;
    void MessageBox(const std::string& title, const std::string& text) override;
    bool KeyHeld(uint32_t virtualKey) const override;
    void SetNumLock(bool on) override;
    bool NumLockOn() const override { return m_numLock; }
    JoystickState ReadJoystick(int32_t n) override;

    // --- Scripted input [thread-safe] ---
    void Push(const Event& event);
    // A key press: down (a repeat when already held); the key counts as held
    // from the moment the event is delivered until its KeyUp is.
    void PushKeyDown(uint32_t vk, Modifiers modifiers = {});
    void PushKeyUp(uint32_t vk, Modifiers modifiers = {});
    // Down and up.
    void PushKey(uint32_t vk, Modifiers modifiers = {});
    void PushChar(uint8_t ch);
    // A key as a keyboard types it: down, the character it types, up (the
    // order the real backend delivers Enter, Escape and letters in).
    void PushTypedKey(uint32_t vk, uint8_t ch, Modifiers modifiers = {});
    void PushMouseMove(int32_t x, int32_t y);
    void PushMouseDown(int32_t x, int32_t y, MouseButton button = MouseButton::Left, Modifiers modifiers = {});
    void PushMouseUp(int32_t x, int32_t y, MouseButton button = MouseButton::Left, Modifiers modifiers = {});
    // Move, down and up at one place.
    void PushClick(int32_t x, int32_t y, MouseButton button = MouseButton::Left);
    // A whole double click: move, down, up, double, up.
    void PushDoubleClick(int32_t x, int32_t y);
    void PushWheel(int32_t x, int32_t y, int32_t delta);
    // Losing or gaining the window focus.
    void PushFocus(bool gained);
    void PushQuit();
    // What a SIGTERM or SIGINT becomes on the real backend.
    void PushTerminate();
    size_t PendingEvents() const;
    // Joystick n (0 or 1) as the tick thread will read it.
    void SetJoystick(int32_t n, const JoystickState& state);

    // --- What the program did ---
    bool IsOpen() const { return m_open; }
    // The screen as last presented: only presented rectangles change it.
    const gdi::Bitmap& Frame() const { return m_frame; }
    // Every rectangle presented so far, and the number of Present calls.
    const std::vector<gdi::Rect>& PresentedRects() const { return m_presented; }
    int32_t PresentCount() const { return m_presentCount; }
    void ClearPresented() { m_presented.clear(); }
    bool SaveFrame(const std::string& path, std::string* error = nullptr) const;
    std::shared_ptr<Cursor> CurrentCursor() const { return m_cursor; }
    // The name of the current cursor ("" for none set).
    std::string CurrentCursorName() const;
    struct Box {
        std::string title, text;
    };
    const std::vector<Box>& MessageBoxes() const { return m_boxes; }
    bool NumLock() const { return m_numLock; }
    bool Minimized() const { return m_minimized; }

private:
    const int32_t m_width;
    const int32_t m_height;
    const int32_t m_bits;
    bool m_open = false;

    mutable std::mutex m_lock; // guards the queue, the held keys, the joysticks, m_woken
    std::condition_variable m_cv;
    std::deque<Event> m_queue;
    bool m_woken = false;
    std::set<uint32_t> m_held;     // as delivered to the program
    std::set<uint32_t> m_scripted; // as pushed, for telling repeats
    JoystickState m_joysticks[2];

    gdi::Bitmap m_frame;
    std::vector<gdi::Rect> m_presented;
    int32_t m_presentCount = 0;
    std::shared_ptr<Cursor> m_cursor;
    std::vector<Box> m_boxes;
    bool m_numLock = false;
    bool m_minimized = false;
};

} // namespace kestrava::app
