// A latching bitmap button with a fourth picture: the hover picture while it
// is latched (Bitmap_Pressed_Up), so a switched-on button lights up
// differently from a switched-off one when the pointer is over it.
#pragma once

#include "ui/hbitbtn.h"

namespace kestrava::ui {

class TDHBITBTN : public Thbitbtn {
public:
    const gdi::Bitmap& Bitmap_Pressed_Up() const { return m_pressedUp; }
    void SetBitmap_Pressed_Up(const gdi::Bitmap& picture);
    // Also NAME_PressedUp.
    void LoadPictures(const std::string& name) override;

    // Sets the transparency flag of all four pictures; the painting stays
    // the same.
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }

protected:
    const gdi::Bitmap& HoverPicture() const override { return Pressed() ? m_pressedUp : m_up; }

private:
    gdi::Bitmap m_pressedUp;
    bool m_transparent = false;
};

} // namespace kestrava::ui
