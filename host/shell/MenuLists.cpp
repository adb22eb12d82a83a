#include "host/shell/MenuLists.h"

#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"
#include "protocol/MyMessages.h"
#include "ui/Colours.h"
#include "ui/UiScale.h"

#include <algorithm>
#include <limits>
#include <ostream>

namespace kestrava {

namespace {

constexpr gdi::ColorRef kWhite = gdi::Rgb(255, 255, 255);
constexpr gdi::ColorRef kBlack = gdi::Rgb(0, 0, 0);
constexpr gdi::ColorRef kSelection = ui::colour::kListSelection;
constexpr gdi::ColorRef kGoodScore = ui::colour::kScoreGood;
constexpr gdi::ColorRef kWeakScore = ui::colour::kScoreWeak;
// A score at or below this is weak.
constexpr int32_t kScoreThreshold = 82;

void CopyTestFlags(const MenuLists& lists)
{
    for (int32_t i = 0; i < lists.TestListBox.Count(); ++i) {
        const bool selected = lists.TestListBox.IsItemSelected(i);
        lists.DauerListBox.SetItemSelected(i, selected);
        lists.PunkteListBox.SetItemSelected(i, selected);
    }
}

void ClearFlags(ui::TMyCustomListBox& list)
{
    for (int32_t i = 0; i < list.Count(); ++i)
        list.SetItemSelected(i, false);
}

bool AnySelected(const ui::TMyCustomListBox& list)
{
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.IsItemSelected(i))
            return true;
    return false;
}

// Empties a list. Its position goes back to the top first, while the lines
// that allowed it are still there.
void EmptyList(ui::TMyCustomListBox& list)
{
    list.SetPosition(0);
    list.ClearLines();
}

} // namespace

// ------------------------------------------------------------------ Lists

void ConfigureMenuLists(const MenuLists& lists)
{
    struct Look {
        ui::TMyCustomListBox& list;
        int32_t width;
        gdi::ColorRef textColor;
        app::Alignment alignment;
        int32_t abstand;
        bool clickable;
    };
    const Look looks[] = {
        {lists.TestListBox, 239, kWhite, app::Alignment::Left, 11, true},
        {lists.DauerListBox, 53, kWhite, app::Alignment::Right, 2, false},
        {lists.PunkteListBox, 42, kGoodScore, app::Alignment::Right, 1, false},
        {lists.ProgrammListBox, 212, kWhite, app::Alignment::Left, 14, true},
    };
    for (const Look& look : looks) {
        gdi::Font font;
        font.family = "Arial";
        font.height = ui::Scaled(16);
        font.color = look.textColor;
        look.list.SetFont(font);
        look.list.SetSize(ui::Scaled(look.width), look.list.Height());
        look.list.SetColor(kBlack);
        look.list.SetSelColor(kSelection);
        look.list.SetAlignement(look.alignment);
        look.list.SetAbstand(ui::Scaled(look.abstand));
        look.list.SetAlternative(false);
        look.list.SetEnabled(look.clickable);
    }
    // The dash of a test without results has no digits and keeps the
    // normal colour.
    lists.PunkteListBox.SetAlternative(true);
    lists.PunkteListBox.SetThreshold(kScoreThreshold);
    lists.PunkteListBox.SetAlternativeColor(kWeakScore);
    lists.TestListBox.SetSorted(true);
    lists.ProgrammListBox.SetSorted(true);
}

void RefreshTestList(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                     ProgramCatalogue& programs, RunPlan& run, const MenuLists& lists, std::ostream& log)
{
    EmptyList(lists.TestListBox);
    EmptyList(lists.DauerListBox);
    EmptyList(lists.PunkteListBox);
    EmptyList(lists.ProgrammListBox);
    RefreshCatalogue(testsFolder, host, tests, programs, run, log);

    lists.TestListBox.SetSorted(true);
    lists.ProgrammListBox.SetSorted(true);
    for (const TestCatalogueEntry& entry : tests.Entries())
        lists.TestListBox.AddLine(entry.title);

    for (const std::string& line : lists.TestListBox.Lines()) {
        // Every line came from an entry, so the lookup finds one.
        const TestCatalogueEntry* entry = tests.ByTitle(line);
        const TestListTexts texts = TestListColumns(entry ? ReadTestSummary(ResultFileOf(*entry)) : TestSummary{});
        lists.DauerListBox.AddLine(texts.duration);
        lists.PunkteListBox.AddLine(texts.points);
    }

    for (const ProgramCatalogueEntry& entry : programs.Entries())
        lists.ProgrammListBox.AddLine(entry.name);

    lists.TestListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
    lists.ProgrammListBox.Invalidate();
}

// ------------------------------------------------------------------ Selection

void TestListBoxSelect(const MenuLists& lists)
{
    CopyTestFlags(lists);
    ClearFlags(lists.ProgrammListBox);
    lists.ProgrammListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
}

void TestListBoxDeSelect(const MenuLists& lists)
{
    CopyTestFlags(lists);
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
}

void ProgrammListBoxSelect(const MenuLists& lists)
{
    const int32_t keep = lists.ProgrammListBox.Selected();
    for (int32_t i = 0; i < lists.ProgrammListBox.Count(); ++i)
        if (i != keep)
            lists.ProgrammListBox.SetItemSelected(i, false);
    ClearFlags(lists.TestListBox);
    ClearFlags(lists.DauerListBox);
    ClearFlags(lists.PunkteListBox);
    lists.ProgrammListBox.Invalidate();
    lists.TestListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
}

StartChoice ChooseStart(const MenuLists& lists)
{
    // Any selected test line counts, not only the line clicked last: after
    // a Ctrl+click that took one test out of a selection of three, the two
    // others are still meant to be started.
    if (AnySelected(lists.TestListBox))
        return StartChoice::Tests;
    if (AnySelected(lists.ProgrammListBox))
        return StartChoice::Program;
    return StartChoice::Nothing;
}

int32_t SelectProgramTests(const MenuLists& lists, const TestCatalogue& tests, const ProgramCatalogue& programs,
                           ModuleHost& host)
{
    const ProgramCatalogueEntry* program = nullptr;
    for (int32_t i = 0; i < lists.ProgrammListBox.Count() && !program; ++i)
        if (lists.ProgrammListBox.IsItemSelected(i))
            program = programs.ByName(lists.ProgrammListBox.Lines()[static_cast<size_t>(i)]);

    ui::TMyCustomListBox& testList = lists.TestListBox;
    std::vector<TProgEntry> entries(static_cast<size_t>(testList.Count()));
    for (int32_t i = 0; i < testList.Count(); ++i) {
        testList.SetItemSelected(i, false);
        TProgEntry& out = entries[static_cast<size_t>(i)];
        const std::string& title = testList.Lines()[static_cast<size_t>(i)];
        SetShortStringUtf8(out.Title, title);
        const TestCatalogueEntry* entry = tests.ByTitle(title);
        if (!entry)
            continue;
        TTestInfo info{};
        host.QueryModuleInfo(entry->modulePath, info);
        out.KeepsResults = info.KeepsResults;
        const TestSummary summary = ReadTestSummary(ResultFileOf(*entry));
        out.AverageScore = summary.recentMean;
        out.TotalMs = static_cast<int32_t>(std::min<int64_t>(summary.totalMs, std::numeric_limits<int32_t>::max()));
        out.Chosen = 0;
    }

    if (program && !entries.empty())
        CallProgramFile(program->programPath, entries.data(), static_cast<int32_t>(entries.size()));

    int32_t chosen = 0;
    for (int32_t i = 0; i < testList.Count(); ++i) {
        const bool on = program && entries[static_cast<size_t>(i)].Chosen != 0;
        testList.SetItemSelected(i, on);
        chosen += on ? 1 : 0;
    }
    ClearFlags(lists.ProgrammListBox);
    CopyTestFlags(lists);
    testList.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
    lists.ProgrammListBox.Invalidate();
    return chosen;
}

GoResult Go(const MenuLists& lists, const TestCatalogue& tests, const ProgramCatalogue& programs, ModuleHost& host,
            RunPlan& run)
{
    GoResult result;
    switch (ChooseStart(lists)) {
    case StartChoice::Nothing:
        result.outcome = GoOutcome::NothingSelected;
        return result;
    case StartChoice::Program:
        if (SelectProgramTests(lists, tests, programs, host) == 0) {
            result.outcome = GoOutcome::ProgramChoseNothing;
            return result;
        }
        break;
    case StartChoice::Tests:
        break;
    }
    // The run is composed from the selected titles, which lose their marks;
    // the columns follow.
    std::vector<std::string> titles;
    for (int32_t i = 0; i < lists.TestListBox.Count(); ++i)
        if (lists.TestListBox.IsItemSelected(i)) {
            lists.TestListBox.SetItemSelected(i, false);
            titles.push_back(lists.TestListBox.Lines()[static_cast<size_t>(i)]);
        }
    result.proposal = ComposeRun(titles, tests, host, run);
    CopyTestFlags(lists);
    lists.TestListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
    result.outcome = run.Empty() ? GoOutcome::NoTestKeepsResults : GoOutcome::ShowTimeDialog;
    return result;
}

void ScrollTestColumns(const MenuLists& lists, int32_t position)
{
    lists.TestListBox.SetPosition(position);
    lists.DauerListBox.SetPosition(position);
    lists.PunkteListBox.SetPosition(position);
}

} // namespace kestrava
