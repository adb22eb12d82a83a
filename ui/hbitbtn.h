// Bitmap buttons: a button that is nothing but its pictures.
//
// Thbitbtn shows one of three pictures by its state: the rest picture
// (Bitmap_Idle) while the pointer is elsewhere, the hover picture (Bitmap_Up)
// while it is over the button, and Bitmap_Down while the left mouse button
// is held on it. The rest picture also gives the button its size and its
// shape: a point counts as on the button only where the rest picture differs
// from its see-through colour (the colour of its lower-left pixel), so the
// mouse reaches what lies behind the button's corners.
//
// A latching button (Schalter) toggles Pressed on each click; latching swaps
// the down and rest pictures, so a latched button rests showing its former
// down picture.
//
// TThbitbtn can paint through: with Transparent set, the see-through colour
// of its pictures is left out and what lies behind shows.
//
// Buttons may play sound files on enter, press and release; the files are
// played through a service the program installs (none: silent).
#pragma once

#include "platform/app/Control.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrava::ui {

// Plays a sound file asynchronously by its file name; installed by the
// program. Without one the buttons are silent.
using PlayFileService = std::function<void(const std::string& file)>;
void SetPlayFileService(PlayFileService service);
void PlayFile(const std::string& file); // nothing for an empty name

// Resizes a picture keeping its top-left content; new pixels are black.
void ResizeKeepingContent(gdi::Bitmap& picture, int32_t width, int32_t height);

class Thbitbtn : public app::Control {
public:
    Thbitbtn();

    // --- Pictures ---
    const gdi::Bitmap& Bitmap_Up() const { return m_up; }
    const gdi::Bitmap& Bitmap_Down() const { return m_down; }
    const gdi::Bitmap& Bitmap_Idle() const { return m_idle; }
    void SetBitmap_Up(const gdi::Bitmap& picture);
    void SetBitmap_Down(const gdi::Bitmap& picture);
    // Also sizes the button and its other pictures (see IdleChanged).
    void SetBitmap_Idle(const gdi::Bitmap& picture);
    // Loads NAME_Idle, NAME_Up and NAME_Down (and what a subclass adds) from
    // the program's resources; throws EResNotFound when one is missing.
    virtual void LoadPictures(const std::string& name);

    // --- Latching ---
    void SetSchalter(bool on) { m_schalter = on; }
    bool Schalter() const { return m_schalter; }
    void SetPressed(bool pressed);
    bool Pressed() const { return m_pressed; }

    // --- Sounds (file names) ---
    std::string RollOverSound;
    std::string DownSound;
    std::string UpSound;
    bool PlaySound = false;

    // --- Caption ---
    void SetCaption(std::string utf8);
    const std::string& Caption() const { return m_caption; }
    void SetFont(const gdi::Font& font);
    const gdi::Font& Font() const { return m_font; }
    // The dialog character: ch is the caption's accelerator ("&O" in
    // "&OK") and the button is enabled: clicks and returns true.
    bool DialogChar(uint8_t ch);

    // --- Keyboard ---
    // A button takes the keyboard (a place in the Tab order) but not the
    // focus from a click. Space presses the focused button, and so does
    // Enter unless it latches: Enter on a switch goes on to the dialog, for
    // its default button.
    bool FocusOnPress() const override { return false; }
    gdi::Rect FocusRect() const override { return ClientRect(); }
    void KeyPress(uint8_t& ch) override;
    // What a click does, from the keyboard: a switch toggles first.
    void Press();

    // --- State ---
    bool Hovered() const { return m_hover; }
    bool Held() const { return m_held; }
    // The picture painted now.
    const gdi::Bitmap& CurrentPicture() const;

    void Paint(app::Canvas& canvas, const gdi::Rect& clip) override;
    bool HitTest(int32_t x, int32_t y) const override;
    void MouseDown(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers) override;
    void MouseMove(int32_t x, int32_t y, app::Modifiers modifiers) override;
    void MouseUp(app::MouseButton button, int32_t x, int32_t y, app::Modifiers modifiers) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void CaptureLost() override;

protected:
    void Resized() override;
    // The picture shown while the pointer is over the button, not held.
    virtual const gdi::Bitmap& HoverPicture() const { return m_up; }
    // Gives the other pictures the rest picture's size (or clears them when
    // it is empty).
    virtual void FitPicturesToIdle();
    // Paints the chosen picture on the button.
    virtual void PaintPicture(app::Canvas& canvas, const gdi::Bitmap& picture);
    // Re-applies the bounds and the other pictures' size after the rest
    // picture changed.
    void IdleChanged();

    gdi::Bitmap m_up;
    gdi::Bitmap m_down;
    gdi::Bitmap m_idle;

private:
    void Enter();
    void Leave();

    bool m_schalter = false;
    bool m_pressed = false;
    bool m_hover = false;
    bool m_held = false; // the press state: the left button went down here
    std::string m_caption;
    gdi::Font m_font;
};

// A bitmap button that can paint through its pictures' see-through colour.
class TThbitbtn : public Thbitbtn {
public:
    // Sets the transparency flag of every picture; the button then leaves
    // their see-through colour out when it paints.
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }

protected:
    void PaintPicture(app::Canvas& canvas, const gdi::Bitmap& picture) override;

private:
    bool m_transparent = false;
};

} // namespace kestrava::ui
