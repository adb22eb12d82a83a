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

// Searches folder (ending with '/') and its searchable subfolders, depth
// first in the order the file system lists them: every *.TST that loads and
// answers becomes a test, every *.PRG that loads and exports PROG a program
// (extensions in any case). Files that do not load are skipped silently; a
// module whose path does not fit a short string is skipped with a line on
// log. Appends to the catalogues; empties the run list.
void ScanTestFolder(const std::string& folder, ModuleHost& host, TestCatalogue& tests, ProgramCatalogue& programs,
                    RunPlan& run, std::ostream& log = std::cerr);

// Rebuilds both catalogues from testsFolder (the program folder +
// "TESTS/"). Empties the host's sound table and the run list.
void RefreshCatalogue(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                      ProgramCatalogue& programs, RunPlan& run, std::ostream& log = std::cerr);

} // namespace kestrava
