// What is selected in the menu: which test lines, which program, and the
// rules that keep it consistent. Tests and a program are never selected at
// the same time; at most one program is. From the selection follow what the
// start button acts on, the tests a program chooses and the run.
//
// The lines are the menu's: the test titles and program names in the order
// the lists show them. The lists only show this selection; a click, or any
// other way of choosing a line, is a call here. [ui-thread]
#pragma once

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrava {

class ModuleHost;

// One list's lines and which of them are selected.
struct SelectionList {
    std::vector<std::string> lines;
    std::vector<bool> marks;  // one per line

    bool IsSelected(int32_t line) const;
    bool Any() const;
    int32_t Count() const { return static_cast<int32_t>(lines.size()); }
    bool Contains(int32_t line) const { return line >= 0 && line < Count(); }
    void Clear();
};

// What the start button acts on: the tests while any test line is
// selected, else the selected program, else nothing.
enum class StartChoice { Nothing, Tests, Program };

class MenuSelection {
public:
    // New lines, nothing selected.
    void SetLines(std::vector<std::string> testTitles, std::vector<std::string> programNames);
    const SelectionList& Tests() const { return m_tests; }
    const SelectionList& Programs() const { return m_programs; }
    std::optional<int32_t> Program() const;

    // A click on a test line (-1: past the lines). A plain click selects
    // only that line; with add (Ctrl) the line changes its mark and the
    // others keep theirs. A line that becomes selected drops the program.
    void ClickTest(int32_t line, bool add);
    // A click on a program line (-1: past the lines). The line becomes the
    // one selected program and drops every test, or loses its mark when it
    // had it and add (Ctrl) is held. A plain click past the lines drops the
    // program.
    void ClickProgram(int32_t line, bool add);
    // Marks one test line without touching the others or the program.
    void SetTest(int32_t line, bool selected);
    void Clear();

    StartChoice ChooseStart() const;

    // Asks the selected program's file which of the test lines make up the
    // program and selects exactly those; the program loses its mark.
    // Returns how many test lines are selected afterwards; 0 when no
    // program is selected, its file could not be called or chose nothing.
    int32_t SelectProgramTests(const TestCatalogue& tests, const ProgramCatalogue& programs, ModuleHost& host);

    // The selected test titles in the list's order; they lose their marks.
    std::vector<std::string> TakeSelectedTests();

private:
    SelectionList m_tests;
    SelectionList m_programs;
};

// The start button (or a double click in either list): chooses the tests
// (asking the program file when a program is selected) and composes the
// run from them. The time dialog is shown only for ShowTimeDialog; every
// other outcome starts nothing, and the main window may tell the user why.
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
GoResult Go(MenuSelection& selection, const TestCatalogue& tests, const ProgramCatalogue& programs,
            ModuleHost& host, RunPlan& run);

} // namespace kestrava
