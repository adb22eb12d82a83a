// Whether each test of a run really added its record to its result file.
//
// Modules write their results themselves and report only the end of the
// test, never whether the record arrived: a full disk, a folder the user
// may not write or a file of another kind costs the record with no more
// than a line on the module's standard error. The runner therefore counts
// the whole records of an entry's result file before its test starts and
// again after the module reported the end. The end screen shows a record
// only for an entry whose record arrived, and a note for one whose record
// was lost, never an older record in its place.
//
// A damaged result file is set aside by the writer under a name of
// SetAsideNameFor (platform/gdi/ResultAppend.h); a name of that kind that
// appears beside the file during the test is reported to the candidate.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrava::shell {

// What a look at a result file's folder says about a record that did not
// arrive.
enum class ResultTrouble {
    Unknown,
    DiskFull,        // no block left for this user
    MediumReadOnly,  // the file system is mounted read-only
    FileReadOnly,    // the result file exists and may not be written
    FolderReadOnly,  // the folder may not be written (no new file, no file set aside)
};

// Looks at the file and its folder now (statvfs, access).
ResultTrouble ProbeResultTrouble(const std::string& resultPath);
using ResultTroubleProbe = std::function<ResultTrouble(const std::string& resultPath)>;

class TResultWatch {
public:
    enum class Outcome {
        Unknown,      // not watched (an entry before a resumed run's current one)
        Waiting,      // its test runs
        Arrived,      // the file holds more whole records than before
        Lost,         // the test keeps results, and none arrived
        NotExpected,  // nothing arrived, and nothing was to (keeps no results)
    };

    // A new run of this many entries, none watched yet.
    void Reset(size_t entries);
    // Before the entry's test starts: counts the records and notes the
    // files set aside so far.
    void Begin(size_t entry, const std::string& resultPath, bool keepsResults);
    // After the module reported the end of the entry's test; notes for the
    // candidate what went wrong (in German, title being the test's name).
    Outcome Finish(size_t entry, const std::string& title, const ResultTroubleProbe& probe);
    Outcome OutcomeOf(size_t entry) const;

    // The notes gathered since the last call, one sentence a line; empty
    // when there is nothing to tell.
    std::string TakeNotes();

private:
    struct Watched {
        Outcome outcome = Outcome::Unknown;
        std::string path;
        bool expected = false;
        int64_t recordsBefore = 0;
        std::vector<std::string> setAsideBefore;
    };
    void Note(const std::string& sentence);

    std::vector<Watched> m_entries;
    std::vector<std::string> m_notes;
};

} // namespace kestrava::shell
