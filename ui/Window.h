// Skinned windows: soft-edged, partly transparent panels floating over the
// main window.
//
// Child controls cannot be see-through here any more than on the desktop the
// artwork was made for, so these windows fake it: when composed they paint
// what lies behind them (with themselves hidden) into the application's back
// buffer, copy those pixels into their own buffer and blend their skin over
// the copy. Ordinary paints then only copy the buffer. The buffer is a
// snapshot: if what lies behind changes while the window is shown, the
// window keeps showing the old picture in its translucent parts until it is
// composed again (ShowComposed, a resize, a new skin).
//
// TWindow is framed by a nine-piece skin: four alpha-blended corners, four
// stretched edges and a stretched centre, named prefix + "OL", "OR", "UL",
// "UR" (with alpha masks prefix + "OLA" ...), "O", "U", "L", "R", "C".
// TBackWindow's whole face is one alpha-blended picture.
#pragma once

#include "ui/AlphaBitmap.h"

#include "platform/app/Controls.h"
#include "platform/gdi/Bitmap.h"

#include <string>

namespace kestrava::ui {

// Paints the screen pixels behind control (with control hidden) into the
// application's back buffer and copies those under its client area into
// buffer, which takes the control's size. Without an application the buffer
// is black.
void CaptureBehind(app::Control& control, gdi::Bitmap& buffer);

// What both skinned windows share: the snapshot buffer, composing it from
// what lies behind plus the skin, and painting it.
class TComposedWindow : public app::Panel {
public:
    void ComposeFrame();
    void ShowComposed();
    const gdi::Bitmap& Buffer() const { return m_buffer; }

    void Paint(app::Canvas& canvas, const gdi::Rect& clip) override;

protected:
    // Draws the skin over the captured background in the buffer.
    virtual void DrawSkin(gdi::Canvas& canvas) = 0;
    void Resized() override;

private:
    gdi::Bitmap m_buffer;
};

class TWindow : public TComposedWindow {
public:
    // Loads the default skin (empty prefix) when a resource folder is set;
    // a missing piece throws EResNotFound.
    TWindow();

    // Loads the nine pieces for prefix and composes; a missing colour
    // picture throws EResNotFound and leaves the skin as it was.
    void LoadSkin(const std::string& prefix);
    const TAlphaBitmap& CornerOL() const { return m_ol; }

protected:
    void DrawSkin(gdi::Canvas& canvas) override;

private:
    TAlphaBitmap m_ol, m_or, m_ul, m_ur;
    gdi::Bitmap m_top, m_bottom, m_left, m_right, m_centre;
};

class TBackWindow : public TComposedWindow {
public:
    // The default background "BACK" with its mask "BACKA", when a resource
    // folder is set; a missing picture throws EResNotFound.
    TBackWindow();

    // The data resource name: a complete 32-bit bitmap file with its alpha.
    // The window is not recomposed until the next ComposeFrame. A missing
    // resource throws EResNotFound and keeps the old background.
    void LoadBackground(const std::string& name);
    const TAlphaBitmap& Background() const { return m_background; }

protected:
    void DrawSkin(gdi::Canvas& canvas) override;

private:
    TAlphaBitmap m_background;
};

} // namespace kestrava::ui
