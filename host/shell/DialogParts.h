// Small pieces the host's dialogs share.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava::shell {

// Enter, Escape and the space bar close a dialog as its OK button does.
inline bool IsCloseKey(uint8_t ch) { return ch == 13 || ch == 27 || ch == 32; }

// A bitmap button of the skin (NAME_Idle, NAME_Up, NAME_Down) at a place
// of its parent, painting through its see-through colour.
template <class Button, class Parent>
Button& MakeButton(Parent& parent, const std::string& name, int32_t left, int32_t top)
{
    auto& button = parent.template Create<Button>();
    button.LoadPictures(name);
    button.SetTransparent(true);
    button.SetPosition(left, top);
    return button;
}

} // namespace kestrava::shell
