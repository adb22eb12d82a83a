#include "host/catalogue/Catalogue.h"

#include "host/core/DLLImport.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"
#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"
#include "protocol/MyMessages.h"

#include <dlfcn.h>

#include <algorithm>
#include <limits>
#include <ostream>

namespace kestrava {

namespace {

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

void ScanTestFolder(const std::string& folder, ModuleHost& host, TestCatalogue& tests, ProgramCatalogue& programs,
                    RunPlan& run, std::ostream& log)
{
    ScanFolder(folder, host, tests, programs, log);
    // A composed run refers to catalogue positions that may have changed.
    run.Clear();
}

void RefreshCatalogue(const std::string& testsFolder, ModuleHost& host, TestCatalogue& tests,
                      ProgramCatalogue& programs, RunPlan& run, std::ostream& log)
{
    tests.Clear();
    programs.Clear();
    host.Sounds().Clear();
    ScanTestFolder(testsFolder, host, tests, programs, run, log);
}

} // namespace kestrava
