#include "host/catalogue/Catalogue.h"

#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"
#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"
#include "protocol/MyMessages.h"
#include "ui/Colours.h"
#include "ui/MyCustomListBox.h"

#include <dlfcn.h>

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

// A path reaches a module as a short string of Windows-1252 bytes. A path
// that is longer than 255 bytes there, or holds a character Windows-1252
// lacks, would reach the module changed, and the module would look for its
// settings and write its results somewhere else.
bool FitsShortString(const std::string& utf8)
{
    TShortString probe{};
    return SetShortStringUtf8(probe, utf8) && ShortStringToUtf8(probe) == utf8;
}

// Binds the module only for its info query. False when it does not load or
// lacks its entry.
// A module that does not load, lacks its entry or throws for its info is
// not listed.
bool AskModuleInfo(ModuleHost& host, const std::string& path, TTestInfo& info)
{
    return host.QueryModuleInfo(path, info);
}

// A program file is listed only when it loads and exports PROG; it is not
// called here.
bool ProgramFileUsable(const std::string& path)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return false;
    const bool hasProg = dlsym(library, KESTRAVA_PROG_SYMBOL) != nullptr;
    dlclose(library);
    return hasProg;
}

std::string FileNameWithoutExt(const std::string& name)
{
    return ChangeFileExt(name, "");
}

void ScanFolder(const std::string& folder, ModuleHost& host, TestCatalogue& tests, ProgramCatalogue& programs,
                std::ostream& log)
{
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        const std::string path = folder + entry.name;
        if (entry.isSearchableFolder) {
            ScanFolder(path + "/", host, tests, programs, log);
            return;
        }
        if (!entry.isFile)
            return;
        const std::string ext = UpperAscii(ExtractFileExt(entry.name));
        if (ext == ".TST") {
            if (!FitsShortString(path)) {
                log << "velomar: module skipped, its path does not fit 255 Windows-1252 characters: " << path << "\n";
                return;
            }
            TTestInfo info{};
            if (!AskModuleInfo(host, path, info))
                return;
            std::string title = ModuleTextToUtf8(info.Title);
            // A module that leaves its title empty would be an empty,
            // unnamed line; it is listed under its file name instead.
            if (title.empty())
                title = FileNameWithoutExt(entry.name);
            tests.Add({std::move(title), path});
        } else if (ext == ".PRG") {
            if (ProgramFileUsable(path))
                programs.Add({FileNameWithoutExt(entry.name), path});
        } else if (ext == ".WAV") {
            // A module's named sounds: every wave file below the test folder,
            // named by its file name; a later file of the same name wins.
            host.Sounds().Add(UpperAscii(FileNameWithoutExt(entry.name)), path);
        }
    });
}

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

// ------------------------------------------------------------------ Catalogues

const TestCatalogueEntry* TestCatalogue::ByIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_entries[static_cast<size_t>(index)];
}

std::optional<int32_t> TestCatalogue::IndexOfTitle(std::string_view title) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].title == title)
            return static_cast<int32_t>(i);
    return std::nullopt;
}

const TestCatalogueEntry* TestCatalogue::ByTitle(std::string_view title) const
{
    const std::optional<int32_t> index = IndexOfTitle(title);
    return index ? ByIndex(*index) : nullptr;
}

std::string ResultFileOf(const TestCatalogueEntry& entry) { return ChangeFileExt(entry.modulePath, ".RLT"); }

const ProgramCatalogueEntry* ProgramCatalogue::ByName(std::string_view name) const
{
    for (const ProgramCatalogueEntry& entry : m_entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

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
        font.height = 16;
        font.color = look.textColor;
        look.list.SetFont(font);
        look.list.SetSize(look.width, look.list.Height());
        look.list.SetColor(kBlack);
        look.list.SetSelColor(kSelection);
        look.list.SetAlignement(look.alignment);
        look.list.SetAbstand(look.abstand);
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

void ScanTestFolder(const std::string& folder, ModuleHost& host, TestCatalogue& tests, ProgramCatalogue& programs,
                    RunPlan& run, std::ostream& log)
{
    ScanFolder(folder, host, tests, programs, log);
    // A composed run refers to catalogue positions that may have changed.
    run.Clear();
}

void RefreshTestList(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                     ProgramCatalogue& programs, RunPlan& run, const MenuLists& lists, std::ostream& log)
{
    EmptyList(lists.TestListBox);
    EmptyList(lists.DauerListBox);
    EmptyList(lists.PunkteListBox);
    EmptyList(lists.ProgrammListBox);
    tests.Clear();
    programs.Clear();
    host.Sounds().Clear();

    ScanTestFolder(testsFolder, host, tests, programs, run, log);

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
    result.proposal = ComposeRun(lists.TestListBox, tests, host, run);
    // ComposeRun took the marks off the titles; the columns follow.
    CopyTestFlags(lists);
    lists.TestListBox.Invalidate();
    lists.DauerListBox.Invalidate();
    lists.PunkteListBox.Invalidate();
    result.outcome = run.Empty() ? GoOutcome::NoTestKeepsResults : GoOutcome::ShowTimeDialog;
    return result;
}

// ------------------------------------------------------------------ Scroll thumbs

void ThumbDrag::MouseDown(bool leftButton, int32_t y)
{
    if (!leftButton)
        return;
    m_dragging = true;
    m_grabOffset = y;
}

std::optional<int32_t> ThumbDrag::MouseMove(const ThumbTrack& track, int32_t thumbTop, int32_t y) const
{
    if (!m_dragging)
        return std::nullopt;
    const int64_t lowest = std::max<int64_t>(static_cast<int64_t>(track.top) + track.height - track.thumbHeight, track.top);
    const int64_t top = static_cast<int64_t>(thumbTop) + y - m_grabOffset;
    return static_cast<int32_t>(std::clamp<int64_t>(top, track.top, lowest));
}

void ThumbDrag::MouseUp(bool leftButton)
{
    if (leftButton)
        m_dragging = false;
}

int32_t ThumbListPosition(const ThumbTrack& track, int32_t thumbTop, int32_t listMax)
{
    // A track no taller than the thumb leaves nothing to scroll through
    // (and would divide by zero).
    const int64_t travel = static_cast<int64_t>(track.height) - track.thumbHeight;
    if (travel <= 0 || listMax <= 0)
        return 0;
    const int64_t offset = std::clamp<int64_t>(static_cast<int64_t>(thumbTop) - track.top, 0, travel);
    return static_cast<int32_t>(static_cast<int64_t>(listMax) * offset / travel);
}

int32_t ThumbTopForPosition(const ThumbTrack& track, int32_t position, int32_t listMax)
{
    const int64_t travel = static_cast<int64_t>(track.height) - track.thumbHeight;
    if (travel <= 0 || listMax <= 0)
        return track.top;
    const int64_t p = std::clamp<int64_t>(position, 0, listMax);
    return static_cast<int32_t>(track.top + (p * travel + listMax - 1) / listMax);
}

void ScrollTestColumns(const MenuLists& lists, int32_t position)
{
    lists.TestListBox.SetPosition(position);
    lists.DauerListBox.SetPosition(position);
    lists.PunkteListBox.SetPosition(position);
}

} // namespace kestrava
