#include "ui/dhbitbtn.h"

#include "ui/Resources.h"

namespace kestrava::ui {

void TDHBITBTN::SetBitmap_Pressed_Up(const gdi::Bitmap& picture)
{
    m_pressedUp = picture;
    Invalidate();
}

void TDHBITBTN::LoadPictures(const std::string& name)
{
    gdi::Bitmap pressedUp = LoadResourceBitmap(name + "_PressedUp");
    Thbitbtn::LoadPictures(name);
    m_pressedUp = std::move(pressedUp);
    Invalidate();
}

void TDHBITBTN::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    m_up.SetTransparent(transparent);
    m_pressedUp.SetTransparent(transparent);
    m_down.SetTransparent(transparent);
    m_idle.SetTransparent(transparent);
    Invalidate();
}

} // namespace kestrava::ui
