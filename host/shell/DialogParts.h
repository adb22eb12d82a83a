// Small pieces the host's dialogs share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kestrava::shell {

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
