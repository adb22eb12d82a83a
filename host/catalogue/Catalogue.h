// The test catalogue: which tests and training programs exist, and the four
// lists of the menu that show them (titles, practised time, recent score,
// programs), with the rules that keep their selections consistent.
//
// Modules (*.TST) and program files (*.PRG) are found in the folder TESTS/
// beside the program and in its searchable subfolders. A module is loaded
// only for the moment of its info query. A program file is listed under its
// file name without extension.
//
// Everything here runs on the user-interface thread, while no run is active.
#pragma once

#include "host/catalogue/RunPlan.h"

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava {

class ModuleHost;
namespace ui { class TMyCustomListBox; }

struct TestCatalogueEntry {
    std::string title;       // UTF-8, as the module reported it
    std::string modulePath;  // folder + file name as found
};

// The tests in the order the search met them. A run entry refers to a test
// by its position here.
class TestCatalogue {
public:
    void Clear() { m_entries.clear(); }
    void Add(TestCatalogueEntry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<TestCatalogueEntry>& Entries() const { return m_entries; }
    int32_t Count() const { return static_cast<int32_t>(m_entries.size()); }

    // Null outside the catalogue.
    const TestCatalogueEntry* ByIndex(int32_t index) const;
    // The first entry whose title is exactly the text (case-sensitive).
    std::optional<int32_t> IndexOfTitle(std::string_view title) const;
    const TestCatalogueEntry* ByTitle(std::string_view title) const;

private:
    std::vector<TestCatalogueEntry> m_entries;
};

// The module path with the extension .RLT.
std::string ResultFileOf(const TestCatalogueEntry& entry);

struct ProgramCatalogueEntry {
    std::string name;         // UTF-8: the file name without extension
    std::string programPath;  // the .PRG file
};

class ProgramCatalogue {
public:
    void Clear() { m_entries.clear(); }
    void Add(ProgramCatalogueEntry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<ProgramCatalogueEntry>& Entries() const { return m_entries; }
    // The first program whose name is exactly the text.
    const ProgramCatalogueEntry* ByName(std::string_view name) const;

private:
    std::vector<ProgramCatalogueEntry> m_entries;
};

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

// Searches folder (ending with '/') and its searchable subfolders, depth
// first in the order the file system lists them: every *.TST that loads and
// answers becomes a test, every *.PRG that loads and exports PROG a program
// (extensions in any case). Files that do not load are skipped silently; a
// module whose path does not fit a short string is skipped with a line on
// log. Appends to the catalogues; empties the run list.
void ScanTestFolder(const std::string& folder, ModuleHost& host, TestCatalogue& tests, ProgramCatalogue& programs,
                    RunPlan& run, std::ostream& log = std::cerr);

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

// ------------------------------------------------------------------ Scroll thumbs

// The track a thumb moves along: the middle piece of the menu background.
struct ThumbTrack {
    int32_t top = 0;          // T
    int32_t height = 0;       // H
    int32_t thumbHeight = 26; // h
};

// One thumb's drag. The main window keeps one per thumb and moves the thumb
// image to the top MouseMove returns.
class ThumbDrag {
public:
    // Only the left button starts a drag; y is the mouse within the thumb.
    void MouseDown(bool leftButton, int32_t y);
    // The thumb's new top while dragging, kept on the track; nothing when
    // not dragging.
    std::optional<int32_t> MouseMove(const ThumbTrack& track, int32_t thumbTop, int32_t y) const;
    void MouseUp(bool leftButton);
    void Reset() { m_dragging = false; }
    bool Dragging() const { return m_dragging; }

private:
    bool m_dragging = false;
    int32_t m_grabOffset = 0;
};

// The list position for a thumb top: trunc(max × (top − T) ÷ (H − h)). A
// track no taller than the thumb gives 0.
int32_t ThumbListPosition(const ThumbTrack& track, int32_t thumbTop, int32_t listMax);
// The reverse, for a list scrolled by other means (the wheel): the first
// thumb top down the track whose list position is at least position,
// T + ceil(position × (H − h) ÷ max). Wherever the track has at least as many
// pixels as the list has positions, ThumbListPosition gives position back.
int32_t ThumbTopForPosition(const ThumbTrack& track, int32_t position, int32_t listMax);

// Regler1: the three test columns scroll together. Regler2 sets the
// program list's position directly.
void ScrollTestColumns(const MenuLists& lists, int32_t position);

} // namespace kestrava
