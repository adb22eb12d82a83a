#include "host/shell/ResultWatch.h"

#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"
#include "platform/gdi/Paths.h"
#include "platform/gdi/ResultAppend.h"

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kestrava::shell {

namespace {


std::string FolderOf(const std::string& path)
{
    const std::string folder = ExtractFilePath(path);
    return folder.empty() ? std::string(".") : folder;
}

// The names of the files set aside from this result file so far, sorted.
std::vector<std::string> SetAsideNames(const std::string& path)
{
    const std::string prefix = ExtractFileName(path) + SetAsideInfix();
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(FolderOf(path), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TroubleText(ResultTrouble trouble, const std::string& path)
{
    switch (trouble) {
    case ResultTrouble::DiskFull:
        return "Auf dem Datentr\xc3\xa4ger ist kein Platz mehr frei.";
    case ResultTrouble::MediumReadOnly:
        return "Der Datentr\xc3\xa4ger ist schreibgesch\xc3\xbctzt.";
    case ResultTrouble::FileReadOnly:
        return "Die Ergebnisdatei " + Quoted(ExtractFileName(path)) + " ist schreibgesch\xc3\xbctzt.";
    case ResultTrouble::FolderReadOnly: {
        std::string folder = FolderOf(path);
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return "In den Ordner " + Quoted(ExtractFileName(folder)) + " darf nicht geschrieben werden.";
    }
    case ResultTrouble::Unknown:
        break;
    }
    return {};
}

} // namespace

ResultTrouble ProbeResultTrouble(const std::string& resultPath)
{
    const std::string folder = FolderOf(resultPath);
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0) {
        if ((fs.f_flag & ST_RDONLY) != 0)
            return ResultTrouble::MediumReadOnly;
        // The blocks kept for the superuser count only for the superuser.
        if ((::geteuid() == 0 ? fs.f_bfree : fs.f_bavail) == 0)
            return ResultTrouble::DiskFull;
    }
    struct stat info {};
    if (::stat(resultPath.c_str(), &info) == 0 && ::access(resultPath.c_str(), W_OK) != 0)
        return ResultTrouble::FileReadOnly;
    if (::access(folder.c_str(), W_OK) != 0)
        return ResultTrouble::FolderReadOnly;
    return ResultTrouble::Unknown;
}

void TResultWatch::Reset(size_t entries)
{
    m_entries.assign(entries, Watched{});
    m_notes.clear();
}

void TResultWatch::Begin(size_t entry, const std::string& resultPath, bool keepsResults)
{
    if (entry >= m_entries.size())
        m_entries.resize(entry + 1);
    const RecordTally tally = ReadRecordTally(resultPath);
    Watched& w = m_entries[entry];
    w.outcome = Outcome::Waiting;
    w.path = resultPath;
    // A test whose file is the no-results marker keeps no results here.
    w.expected = keepsResults && !tally.noResults;
    w.recordsBefore = tally.records;
    w.setAsideBefore = SetAsideNames(resultPath);
}

TResultWatch::Outcome TResultWatch::Finish(size_t entry, const std::string& title, const ResultTroubleProbe& probe)
{
    if (entry >= m_entries.size() || m_entries[entry].outcome != Outcome::Waiting)
        return OutcomeOf(entry);
    Watched& w = m_entries[entry];
    const int64_t records = ReadRecordTally(w.path).records;
    if (records > w.recordsBefore)
        w.outcome = Outcome::Arrived;
    else
        w.outcome = w.expected ? Outcome::Lost : Outcome::NotExpected;

    const std::vector<std::string> setAside = SetAsideNames(w.path);
    for (const std::string& name : setAside) {
        if (std::binary_search(w.setAsideBefore.begin(), w.setAsideBefore.end(), name))
            continue;
        const std::string file = Quoted(ExtractFileName(w.path));
        Note("Die Ergebnisdatei " + file + " war besch\xc3\xa4" "digt. Sie bleibt unver\xc3\xa4ndert als " +
             Quoted(name) + " erhalten" +
             (w.outcome == Outcome::Arrived ? "; das Ergebnis von " + Quoted(title) + " steht in einer neuen Datei " +
                                                  file + "."
                                            : "."));
    }
    if (w.outcome == Outcome::Lost) {
        const std::string why = TroubleText(probe ? probe(w.path) : ProbeResultTrouble(w.path), w.path);
        if (!why.empty())
            Note("Das Ergebnis von " + Quoted(title) + " konnte nicht gespeichert werden: " + why);
    }
    return w.outcome;
}

TResultWatch::Outcome TResultWatch::OutcomeOf(size_t entry) const
{
    return entry < m_entries.size() ? m_entries[entry].outcome : Outcome::Unknown;
}

void TResultWatch::Note(const std::string& sentence)
{
    // A test played in several segments loses each for the same reason.
    if (std::find(m_notes.begin(), m_notes.end(), sentence) == m_notes.end())
        m_notes.push_back(sentence);
}

std::string TResultWatch::TakeNotes()
{
    std::string text;
    for (const std::string& note : m_notes)
        text += (text.empty() ? "" : "\n") + note;
    m_notes.clear();
    return text;
}

} // namespace kestrava::shell
