#include "host/shell/MenuLists.h"

#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"

#include <ostream>

namespace kestrava {

namespace {

// Empties a list. Its position goes back to the top first, while the lines
// that allowed it are still there.
void EmptyList(ui::TMyCustomListBox& list)
{
    list.SetPosition(0);
    list.ClearLines();
}

// The line a press at y hits, as the list itself counts it; -1 past the
// lines.
int32_t LineAt(const ui::TMyCustomListBox& list, int32_t y)
{
    const int32_t row = list.RowHeight();
    if (row <= 0 || y < 0)
        return -1;
    const int32_t line = y / row + list.Position();
    return line < list.Count() ? line : -1;
}

void ShowMarks(ui::TMyCustomListBox& list, const SelectionList& marks)
{
    for (int32_t i = 0; i < list.Count(); ++i)
        list.SetItemSelected(i, marks.IsSelected(i));
    list.Invalidate();
}

} // namespace

// ------------------------------------------------------------------ Lists

void RefreshTestList(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                     ProgramCatalogue& programs, RunPlan& run, const MenuLists& lists, std::ostream& log)
{
    EmptyList(lists.TestListBox);
    EmptyList(lists.DauerListBox);
    EmptyList(lists.PunkteListBox);
    EmptyList(lists.ProgrammListBox);
    RefreshCatalogue(testsFolder, host, tests, programs, run, log);

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
    lists.selection.SetLines(lists.TestListBox.Lines(), lists.ProgrammListBox.Lines());

    lists.TestListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
    lists.ProgrammListBox.Invalidate();
}

// ------------------------------------------------------------------ Selection

void ConnectSelection(const MenuLists& lists)
{
    // The list has already changed its own marks by the time the press
    // reaches this handler; the selection's marks replace them before the
    // next paint.
    lists.TestListBox.OnMouseDown = [lists](app::MouseButton, int32_t, int32_t y, app::Modifiers modifiers) {
        lists.selection.ClickTest(LineAt(lists.TestListBox, y), modifiers.ctrl);
        ShowSelection(lists);
    };
    lists.ProgrammListBox.OnMouseDown = [lists](app::MouseButton, int32_t, int32_t y, app::Modifiers modifiers) {
        lists.selection.ClickProgram(LineAt(lists.ProgrammListBox, y), modifiers.ctrl);
        ShowSelection(lists);
    };
}

void ShowSelection(const MenuLists& lists)
{
    const MenuSelection& selection = lists.selection;
    for (ui::TMyCustomListBox* column : {&lists.TestListBox, &lists.DauerListBox, &lists.PunkteListBox})
        ShowMarks(*column, selection.Tests());
    ShowMarks(lists.ProgrammListBox, selection.Programs());
}

void ScrollTestColumns(const MenuLists& lists, int32_t position)
{
    lists.TestListBox.SetPosition(position);
    lists.DauerListBox.SetPosition(position);
    lists.PunkteListBox.SetPosition(position);
}

} // namespace kestrava
