#include "host/catalogue/MenuSelection.h"

#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "protocol/MyMessages.h"

#include <algorithm>
#include <limits>

namespace kestrava {

bool SelectionList::IsSelected(int32_t line) const { return Contains(line) && marks[static_cast<size_t>(line)]; }

bool SelectionList::Any() const { return std::find(marks.begin(), marks.end(), true) != marks.end(); }

void SelectionList::Clear() { std::fill(marks.begin(), marks.end(), false); }

void MenuSelection::SetLines(std::vector<std::string> testTitles, std::vector<std::string> programNames)
{
    m_tests.lines = std::move(testTitles);
    m_tests.marks.assign(m_tests.lines.size(), false);
    m_programs.lines = std::move(programNames);
    m_programs.marks.assign(m_programs.lines.size(), false);
}

std::optional<int32_t> MenuSelection::Program() const
{
    for (int32_t i = 0; i < m_programs.Count(); ++i)
        if (m_programs.IsSelected(i))
            return i;
    return std::nullopt;
}

void MenuSelection::ClickTest(int32_t line, bool add)
{
    if (!add)
        m_tests.Clear();
    if (!m_tests.Contains(line))
        return;
    const bool on = !m_tests.IsSelected(line);
    m_tests.marks[static_cast<size_t>(line)] = on;
    if (on)
        m_programs.Clear();
}

void MenuSelection::ClickProgram(int32_t line, bool add)
{
    const bool had = m_programs.IsSelected(line);
    if (!add)
        m_programs.Clear();
    if (!m_programs.Contains(line))
        return;
    m_programs.Clear();
    if (add && had)
        return;
    m_programs.marks[static_cast<size_t>(line)] = true;
    m_tests.Clear();
}

void MenuSelection::SetTest(int32_t line, bool selected)
{
    if (m_tests.Contains(line))
        m_tests.marks[static_cast<size_t>(line)] = selected;
}

void MenuSelection::Clear()
{
    m_tests.Clear();
    m_programs.Clear();
}

StartChoice MenuSelection::ChooseStart() const
{
    // Any selected test line counts, not only the line clicked last: after
    // a Ctrl+click that took one test out of a selection of three, the two
    // others are still meant to be started.
    if (m_tests.Any())
        return StartChoice::Tests;
    if (m_programs.Any())
        return StartChoice::Program;
    return StartChoice::Nothing;
}

int32_t MenuSelection::SelectProgramTests(const TestCatalogue& tests, const ProgramCatalogue& programs,
                                          ModuleHost& host)
{
    const std::optional<int32_t> line = Program();
    const ProgramCatalogueEntry* program =
        line ? programs.ByName(m_programs.lines[static_cast<size_t>(*line)]) : nullptr;

    std::vector<TProgEntry> entries(m_tests.lines.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        TProgEntry& out = entries[i];
        SetShortStringUtf8(out.Title, m_tests.lines[i]);
        const TestCatalogueEntry* entry = tests.ByTitle(m_tests.lines[i]);
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
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool on = program && entries[i].Chosen != 0;
        m_tests.marks[i] = on;
        chosen += on ? 1 : 0;
    }
    m_programs.Clear();
    return chosen;
}

std::vector<std::string> MenuSelection::TakeSelectedTests()
{
    std::vector<std::string> titles;
    for (size_t i = 0; i < m_tests.lines.size(); ++i)
        if (m_tests.marks[i])
            titles.push_back(m_tests.lines[i]);
    m_tests.Clear();
    return titles;
}

GoResult Go(MenuSelection& selection, const TestCatalogue& tests, const ProgramCatalogue& programs,
            ModuleHost& host, RunPlan& run)
{
    GoResult result;
    switch (selection.ChooseStart()) {
    case StartChoice::Nothing:
        result.outcome = GoOutcome::NothingSelected;
        return result;
    case StartChoice::Program:
        if (selection.SelectProgramTests(tests, programs, host) == 0) {
            result.outcome = GoOutcome::ProgramChoseNothing;
            return result;
        }
        break;
    case StartChoice::Tests:
        break;
    }
    result.proposal = ComposeRun(selection.TakeSelectedTests(), tests, host, run);
    result.outcome = run.Empty() ? GoOutcome::NoTestKeepsResults : GoOutcome::ShowTimeDialog;
    return result;
}

} // namespace kestrava
