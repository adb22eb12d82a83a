// The application: one backend, the user-interface loop, the form, and
// everything between them: hit testing, mouse capture, enter and leave,
// double clicks, keyboard focus with key preview, cursors, hints, and the
// painting of dirty rectangles into the one back buffer.
//
// Everything runs on the user-interface thread; other threads reach it only
// through Loop().Post().
//
// The focus lives in focus scopes (the screens and dialogs, see Control):
// Tab and Shift+Tab that neither the form nor the focused control nor its
// scope took move it along the scope's Tab order. A key that reaches no
// control first gives the focus to the topmost showing scope. Whether the
// focus shows is a state of its own: keys that move it (Tab, the arrows,
// Page Up/Down, Home, End) switch it on, a mouse press switches it off,
// and while it is on the focused control's FocusRect is painted over it
// by the focus painter the program installs.
#pragma once

#include "platform/app/Backend.h"
#include "platform/app/Control.h"
#include "platform/app/EventLoop.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrava::app {

class Application {
public:
    Application(Backend& backend, Clock& clock);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Opens the backend's window, makes the back buffer and sizes the form
    // to the screen. False with the backend's reason.
    bool Open(std::string& error);
    // Closes the backend's window.
    void Close();

    Backend& GetBackend() { return m_backend; }
    EventLoop& Loop() { return m_loop; }
    Clock& GetClock() { return m_loop.GetClock(); }
    Form& MainForm() { return m_form; }
    const gdi::Bitmap& BackBuffer() const { return m_backBuffer; }
    int32_t ScreenWidth() const { return m_backBuffer.Width(); }
    int32_t ScreenHeight() const { return m_backBuffer.Height(); }
    // The user-interface scale the program chose (1 until set): the hints
    // are drawn at it.
    void SetUiScale(double k) { m_uiScale = k; }
    double UiScale() const { return m_uiScale; }

    // Runs the loop until Quit. [user-interface thread]
    void Run() { m_loop.Run(); }
    // [thread-safe]
    void Quit() { m_loop.Quit(); }

    // Handles one backend event as the loop would. Tests may feed events
    // straight in; the loop calls it for every event the backend delivers.
    void HandleEvent(const Event& event);

    // --- Painting ---
    // Marks a rectangle of the screen for repainting.
    void InvalidateScreen(const gdi::Rect& screenRect);
    // Paints every dirty rectangle and presents them. The loop does this
    // whenever a round's work is done.
    void Update();
    // Counts the frames Update has painted.
    uint64_t FrameNumber() const { return m_frameNumber; }
    // Paints the tree under a screen rectangle into the back buffer at once,
    // without presenting it; the rectangle stays due for the next frame.
    // Skinned windows use it to see what lies behind them.
    void PaintNow(const gdi::Rect& screenRect);
    // The back buffer as a drawing source.
    gdi::HDC BackBufferDC() { return m_backBuffer.Handle(); }
    const std::vector<gdi::Rect>& DirtyRects() const { return m_dirty; }

    // --- Input state ---
    // The topmost visible and enabled control at a screen point that takes
    // the hit (the form when no child does; null off the screen).
    Control* ControlAt(int32_t x, int32_t y);
    Control* Hovered() const { return m_hover; }
    Control* Captured() const { return m_capture; }
    // The last mouse position on the screen; false before the first event.
    bool MousePosition(int32_t& x, int32_t& y) const
    {
        x = m_mouseX;
        y = m_mouseY;
        return m_mouseKnown;
    }
    Control* FocusedControl() const { return m_focus; }
    // Moves the keyboard focus (null clears it); the control that loses it
    // hears FocusExit before the new one hears FocusEnter. False when
    // control cannot take it.
    bool SetFocus(Control* control);
    bool Active() const { return m_active; }

    // --- Focus scopes ---
    // The controls of a scope's Tab order that can take the focus now.
    std::vector<Control*> TabOrder(Control& scope) const;
    // Moves the focus to the next (previous) control of its scope's Tab
    // order, round; false when the focus has no scope or nowhere to go.
    bool MoveFocus(bool backwards);
    // The topmost showing and enabled focus scope (null when none).
    Control* ActiveScope();
    // The focus frame shows while this is on.
    bool FocusVisible() const { return m_focusVisible; }
    void SetFocusVisible(bool visible);
    // Called to paint the focus frame around rect of the focused control,
    // after the control and its children painted; none: no frame.
    void SetFocusPainter(std::function<void(Canvas& canvas, const gdi::Rect& rect)> painter)
    {
        m_focusPainter = std::move(painter);
    }

    // --- Cursors ---
    // The cursor of controls that set none (the arrow unless changed).
    void SetDefaultCursor(std::shared_ptr<Cursor> cursor);
    // A cursor over every control while set (the busy cursor); null ends it.
    void SetOverrideCursor(std::shared_ptr<Cursor> cursor);
    // Picks the cursor again for the control under the mouse.
    void RefreshCursor();

    // --- Hints ---
    // How long the mouse must rest over a control with a hint before it
    // shows.
    static constexpr uint32_t kHintDelayMs = 500;
    bool HintVisible() const { return m_hintVisible; }
    const std::string& HintText() const { return m_hintText; }
    gdi::Rect HintRect() const { return m_hintRect; }
    void HideHint();

    // Called by a control before it leaves the tree or dies, and when it
    // is hidden or disabled: drops every reference to it and its children.
    void ControlGone(Control* control);
    // The same for a control that stays but can no longer take input.
    void ControlLostInput(Control* control);

private:
    void MouseMove(int32_t x, int32_t y, Modifiers modifiers);
    void MouseButtonEvent(const Event& event);
    void Key(const Event& event);
    bool StaleRepeat(const Event& event);
    void UpdateHover(int32_t x, int32_t y);
    void CancelCapture();
    void ArmHint();
    void ShowHint();
    void PaintTree(Control& control, const gdi::Rect& screenClip);
    bool Focusable(const Control* control) const;
    void FocusForKey();
    void PaintHint(const gdi::Rect& screenClip);
    void MergeDirty();

    Backend& m_backend;
    EventLoop m_loop;
    Form m_form;
    gdi::Bitmap m_backBuffer;
    std::vector<gdi::Rect> m_dirty;
    bool m_painting = false;
    uint64_t m_frameNumber = 0;

    Control* m_hover = nullptr;
    Control* m_capture = nullptr;
    MouseButton m_captureButton = MouseButton::Left;
    Control* m_focus = nullptr;
    bool m_focusVisible = false;
    // A snapshot for a skinned window is painted without the focus frame.
    bool m_snapshot = false;
    std::function<void(Canvas&, const gdi::Rect&)> m_focusPainter;
    // The focus when the last key went down: the character that key types
    // goes there, even when the key's own handler moved the focus (Escape
    // opening a question must not also answer it).
    Control* m_keyFocus = nullptr;
    bool m_keyFocusSet = false;
    // Counts the moves of the focus. Each held key keeps the count of its
    // first press: its auto-repeat is delivered only while the focus has
    // not moved since (a key that opened a question must not answer it).
    uint64_t m_focusMoves = 0;
    std::map<uint32_t, uint64_t> m_keyPressedAt;
    bool m_repeatDropped = false; // the character of a dropped repeat goes too
    Control* m_clickTarget = nullptr;
    // The last press: a double click needs both presses on one control,
    // with one button and neither with Ctrl or Shift held.
    Control* m_lastPress = nullptr;
    MouseButton m_lastPressButton = MouseButton::Left;
    bool m_lastPressPlain = false;
    bool m_active = true;
    double m_uiScale = 1.0;
    int32_t m_mouseX = -1;
    int32_t m_mouseY = -1;
    bool m_mouseKnown = false;

    std::shared_ptr<Cursor> m_defaultCursor;
    std::shared_ptr<Cursor> m_overrideCursor;
    // Held so that a freed cursor's address cannot pass for the current one.
    std::shared_ptr<Cursor> m_currentCursor;
    bool m_cursorSet = false;

    EventLoop::TimerId m_hintTimer = 0;
    Control* m_hintControl = nullptr;
    bool m_hintVisible = false;
    std::string m_hintText;
    gdi::Rect m_hintRect{};
};

} // namespace kestrava::app
