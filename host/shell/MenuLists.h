// The menu's four list boxes and the rules they follow: their look, how the
// catalogue fills them, what selecting in them does, what the start button
// acts on and how it asks for a run. The catalogue and the run list are data
// (host/catalogue); this is the menu's side of them. [ui-thread]
#pragma once

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "ui/MyCustomListBox.h"

#include <cstdint>
#include <iostream>
#include <string>

namespace kestrava {

class ModuleHost;

// The four lists of the menu. They are owned by the main window.
struct MenuLists {
    ui::TMyCustomListBox& TestListBox;
    ui::TMyCustomListBox& DauerListBox;
    ui::TMyCustomListBox& PunkteListBox;
    ui::TMyCustomListBox& ProgrammListBox;
};

// The look of the four lists: widths, font, colours, alignment, margins,
// the score colouring of the points column, which lists take clicks. The
// heights and positions are the layout's; the hand cursor is the main
// window's.
void ConfigureMenuLists(const MenuLists& lists);

// Rebuilds both catalogues from testsFolder (the program folder + "TESTS/")
// and the four lists: sorted titles, practised time and recent score beside
// each title, sorted program names. Empties the host's sound table and the
// run list.
void RefreshTestList(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                     ProgramCatalogue& programs, RunPlan& run, const MenuLists& lists,
                     std::ostream& log = std::cerr);

// ------------------------------------------------------------------ Selection

// The lists' OnSelect / OnDeSelect handlers. Tests and a program are never
// selected at the same time, and the time and score columns follow the
// title column line by line.
void TestListBoxSelect(const MenuLists& lists);
void TestListBoxDeSelect(const MenuLists& lists);
void ProgrammListBoxSelect(const MenuLists& lists);

// What the start button acts on: the tests while any test line is
// selected, else the selected program, else nothing.
enum class StartChoice { Nothing, Tests, Program };
StartChoice ChooseStart(const MenuLists& lists);

// Starting a program: asks the program file which of the listed tests make
// up the program and selects exactly those lines (the program line loses
// its mark). Returns how many test lines are selected afterwards; 0 when
// the program file could not be called or chose nothing.
int32_t SelectProgramTests(const MenuLists& lists, const TestCatalogue& tests, const ProgramCatalogue& programs,
                           ModuleHost& host);

// The start button (or a double click in either list): chooses the tests
// (asking the program file when a program is selected) and composes the
// run. The time dialog is shown only for ShowTimeDialog; every other outcome
// starts nothing, and the main window may tell the user why.
enum class GoOutcome {
    ShowTimeDialog,
    NothingSelected,
    ProgramChoseNothing,   // the program file could not be called or chose no test
    NoTestKeepsResults,    // several tests selected, none of them keeps results
};
struct GoResult {
    GoOutcome outcome = GoOutcome::NothingSelected;
    TimeProposal proposal;  // for ShowTimeDialog
};
GoResult Go(const MenuLists& lists, const TestCatalogue& tests, const ProgramCatalogue& programs, ModuleHost& host,
            RunPlan& run);

// Regler1: the three test columns scroll together. Regler2 sets the
// program list's position directly.
void ScrollTestColumns(const MenuLists& lists, int32_t position);


} // namespace kestrava
