// Small pieces the host's dialogs share.
#pragma once

#include "platform/app/Controls.h"
#include "platform/gdi/Canvas.h"
#include "ui/Colours.h"
#include "ui/Resources.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrava::shell {

// The grey of the menu and the test bar.
constexpr gdi::ColorRef kMenuColour = ui::colour::kMenuPanel;
constexpr gdi::ColorRef kWhite = gdi::Rgb(255, 255, 255);

inline gdi::Font Arial(int32_t height, gdi::ColorRef colour, bool bold = false, const char* family = "Arial")
{
    gdi::Font f;
    f.family = family;
    f.height = height;
    f.bold = bold;
    f.color = colour;
    return f;
}

// A window in the middle of a room of this size.
inline void PlaceCentred(app::Control& window, int32_t roomWidth, int32_t roomHeight)
{
    window.SetPosition((roomWidth - window.Width()) / 2, (roomHeight - window.Height()) / 2);
}

// A see-through label, its text centred vertically.
inline app::Label& MakeLabel(app::Control& parent, const gdi::Font& font, app::Alignment alignment)
{
    auto& label = parent.Create<app::Label>();
    label.SetFont(font);
    label.SetTransparent(true);
    label.SetAlignment(alignment);
    label.SetLayout(app::VerticalAlignment::Center);
    return label;
}

// A picture of the skin at its own size (stretched to what it is given
// later, when asked).
inline app::Image& MakeImage(app::Control& parent, const std::string& name, bool stretch = false)
{
    auto& image = parent.Create<app::Image>();
    image.SetPicture(ui::LoadResourceBitmap(name));
    image.SetStretch(stretch);
    image.SetSize(image.Picture().Width(), image.Picture().Height());
    return image;
}

// Enter, Escape and the space bar close a dialog as its OK button does.
inline bool IsCloseKey(uint8_t ch) { return ch == 13 || ch == 27 || ch == 32; }

// Wires a dialog's OK button and its close keys to the same callback, read
// when they happen (the owner sets it after construction).
template <class Dialog, class Button>
void CloseThroughOk(Dialog& dialog, Button& ok, const std::function<void()>& onOk)
{
    ok.OnClick = [&onOk] {
        if (onOk)
            onOk();
    };
    dialog.OnKeyPress = [&onOk](uint8_t& ch) {
        if (IsCloseKey(ch)) {
            ch = 0;
            if (onOk)
                onOk();
        }
    };
}

// A bitmap button of the skin (NAME_Idle, NAME_Up, NAME_Down) at a place
// of its parent, painting through its see-through colour, named NAME.
template <class Button, class Parent>
Button& MakeButton(Parent& parent, const std::string& name, int32_t left, int32_t top)
{
    auto& button = parent.template Create<Button>();
    button.LoadPictures(name);
    button.SetName(name);
    button.SetTransparent(true);
    button.SetPosition(left, top);
    return button;
}

} // namespace kestrava::shell
