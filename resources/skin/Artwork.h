// The pieces of the host's artwork generator; each draws one family of
// pictures and hands them to the output.
#pragma once

#include "resources/skin/Draw.h"

namespace kestrava::artwork {

void DrawButtons(Output& out);  // bitmap buttons of the menu, dialogs and test bar
void DrawSkins(Output& out);    // nine-piece window skins and the default background
void DrawDialogs(Output& out);  // the six dialog backgrounds
void DrawMenu(Output& out);     // menu column, menu frame, test bar, thumbs, tracks, volume bars
void DrawSplash(Output& out);   // the start-up picture
void WriteCursors(Output& out); // FLIEGE.ANI and HAND.CUR
void DrawFocus(Output& out);    // the focus frame

} // namespace kestrava::artwork
