// The standard controls: panel, image, label, one-line edit, paint box, and
// the surface control that hands its own bitmap to another thread.
//
// They own behaviour only; how the host looks comes from the pictures and
// colours the host gives them.
#pragma once

#include "platform/app/Control.h"

#include <mutex>
#include <string>

namespace kestrava::app {

// A rectangle of one colour (or nothing, when transparent) holding other
// controls.
class Panel : public Control {
public:
    void SetColor(gdi::ColorRef color);
    gdi::ColorRef Color() const { return m_color; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }
    // Kept for the host's sake: every control already paints into the one
    // back buffer, so nothing flickers whatever this says.
    bool doubleBuffered = false;

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;

private:
    gdi::ColorRef m_color = gdi::Rgb(240, 240, 240);
    bool m_transparent = false;
};

// A picture, drawn at the top-left or stretched over the control. A
// transparent image leaves out every pixel of its picture's lower-left
// colour.
class Image : public Control {
public:
    void SetPicture(const gdi::Bitmap& picture);
    // For drawing into the picture in place; call PictureChanged after.
    gdi::Bitmap& Picture() { return m_picture; }
    const gdi::Bitmap& Picture() const { return m_picture; }
    void PictureChanged() { Invalidate(); }
    void SetStretch(bool stretch);
    bool Stretch() const { return m_stretch; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }
    // The control takes the picture's size when it is set.
    bool autoSize = false;

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;

private:
    gdi::Bitmap m_picture;
    bool m_stretch = false;
    bool m_transparent = false;
};

enum class Alignment { Left, Center, Right };
enum class VerticalAlignment { Top, Center, Bottom };

// One line of text.
class Label : public Control {
public:
    void SetText(std::string utf8);
    const std::string& Text() const { return m_text; }
    void SetFont(const gdi::Font& font);
    const gdi::Font& Font() const { return m_font; }
    void SetColor(gdi::ColorRef background);
    gdi::ColorRef Color() const { return m_color; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return m_transparent; }
    void SetAlignment(Alignment alignment);
    Alignment GetAlignment() const { return m_alignment; }
    void SetLayout(VerticalAlignment layout);
    // With auto size the control takes the extent of its text whenever
    // text or font change, keeping its left edge.
    void SetAutoSize(bool autoSize);
    bool AutoSize() const { return m_autoSize; }

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;

private:
    void Fit();
    std::string m_text;
    gdi::Font m_font;
    gdi::ColorRef m_color = gdi::Rgb(240, 240, 240);
    bool m_transparent = false;
    Alignment m_alignment = Alignment::Left;
    VerticalAlignment m_layout = VerticalAlignment::Top;
    bool m_autoSize = false;
};

// A one-line text field. Text is kept as Windows-1252, the characters the
// keyboard delivers; Text() and SetText() speak UTF-8. The whole text can
// be selected (SelectAll, or on focus with autoSelect), and typing then
// replaces it; there is no partial selection.
// FIXME: the caret does not blink, and there is no clipboard; the host's
// fields are short numbers typed fresh, which need neither.
class Edit : public Control {
public:
    Edit();
    void SetText(std::string_view utf8);
    std::string Text() const;
    const std::string& Text1252() const { return m_text; }
    void SetFont(const gdi::Font& font);
    const gdi::Font& Font() const { return m_font; }
    void SetColor(gdi::ColorRef background);
    void SetBorder(bool border);
    // 0: no limit. Limits typing only, as the system's edit does; SetText
    // is taken whole.
    void SetMaxLength(size_t maxLength) { m_maxLength = maxLength; }
    size_t MaxLength() const { return m_maxLength; }
    size_t CaretPos() const { return m_caret; }
    void SetCaretPos(size_t pos);
    void SelectAll();
    bool AllSelected() const { return m_allSelected && !m_text.empty(); }
    bool autoSelect = true;

    // The text changed by typing or by SetText.
    NotifyHandler OnChange;

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;
    void KeyDown(uint32_t& key, Modifiers modifiers) override;
    void KeyPress(uint8_t& ch) override;
    void MouseDown(MouseButton button, int32_t x, int32_t y, Modifiers modifiers) override;
    void FocusEnter() override;
    void FocusExit() override;

private:
    int32_t TextLeft() const;
    int32_t CaretX(size_t pos) const; // in text coordinates
    void Changed();
    void DropSelection();

    std::string m_text;
    gdi::Font m_font;
    gdi::ColorRef m_color = gdi::Rgb(255, 255, 255);
    bool m_border = true;
    size_t m_maxLength = 0;
    size_t m_caret = 0;
    bool m_allSelected = false;
    int32_t m_scroll = 0;
};

// A control that paints nothing itself: its OnPaint draws on its canvas.
class PaintBox : public Control {
public:
    std::function<void(Canvas& canvas, const gdi::Rect& clip)> OnPaint;
    void Paint(Canvas& canvas, const gdi::Rect& clip) override;
};

// A control with its own surface, which another thread may draw into: the
// test area, where the module draws under the canvas lock from the tick
// thread while the user-interface thread copies the surface to the back
// buffer under the same lock.
//
// The lock is the control's own, or one handed in (the host's test canvas
// lock, so that the lock a module call holds and the lock painting takes are
// one). The surface follows the control's size; resizing clears it.
class SurfaceControl : public Control {
public:
    explicit SurfaceControl(std::mutex* externalLock = nullptr);
    std::mutex& Lock() { return *m_lock; }
    // The drawing library's handle of the surface; stays the same for the
    // control's life, whatever its size. [any thread]
    uint32_t DeviceContext() const { return m_dc; }
    // The surface itself; touch it only while holding Lock().
    gdi::Bitmap& Surface() { return m_surface; }
    // Colour a resized surface is cleared to.
    gdi::ColorRef color = gdi::Rgb(0, 0, 0);

    // Runs on the user-interface thread before the surface is copied, with
    // the part being repainted, without the lock held (the handler may call
    // into the module, which takes it). It must not invalidate.
    std::function<void(const gdi::Rect& clip)> OnPaint;

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;
    // The surface has the control's size and is copied whole.
    bool Opaque() const override { return true; }

protected:
    void Resized() override;

private:
    std::mutex m_ownLock;
    std::mutex* m_lock;
    gdi::Bitmap m_surface;
    uint32_t m_dc;
};

} // namespace kestrava::app
