// The menu's four list boxes as views of the catalogue and of the menu's
// selection: how the catalogue fills them, how a click in them becomes a
// call on the selection, how they show it, and how the test columns scroll
// together. The catalogue, the selection and the run list are data
// (host/catalogue); this is the menu's side of them. [ui-thread]
#pragma once

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/MenuSelection.h"
#include "host/catalogue/RunPlan.h"
#include "ui/MyCustomListBox.h"

#include <cstdint>
#include <iostream>
#include <string>

namespace kestrava {

class ModuleHost;

// The four lists of the menu and the selection they show. They are owned by
// the menu.
struct MenuLists {
    ui::TMyCustomListBox& TestListBox;
    ui::TMyCustomListBox& DauerListBox;
    ui::TMyCustomListBox& PunkteListBox;
    ui::TMyCustomListBox& ProgrammListBox;
    MenuSelection& selection;
};

// Rebuilds both catalogues from testsFolder (the program folder + "TESTS/")
// and the four lists: sorted titles, practised time and recent score beside
// each title, sorted program names. The selection takes the lines as the
// lists show them, none selected. Empties the host's sound table and the
// run list.
void RefreshTestList(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                     ProgramCatalogue& programs, RunPlan& run, const MenuLists& lists,
                     std::ostream& log = std::cerr);

// A press in the test list or the program list is a click on the selection
// (Ctrl adds), which the lists then show.
void ConnectSelection(const MenuLists& lists);

// The lists' marks as the selection has them: the time and score columns
// follow the title column line by line.
void ShowSelection(const MenuLists& lists);

// Regler1: the three test columns scroll together. Regler2 sets the
// program list's position directly.
void ScrollTestColumns(const MenuLists& lists, int32_t position);

} // namespace kestrava
