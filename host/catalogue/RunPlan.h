// The run list: one entry per test segment of a run, the total time the user
// gives the run, how that time is shared among the tests, fitted into each
// test's limits and shuffled, and the entry that runs next.
//
// The run list is stored byte for byte in the suspend file, so TRunEntry has
// a fixed 40-byte layout.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava {

class ModuleHost;
class TestCatalogue;

struct TRunEntry {
    int32_t CatalogueIndex = 0;   // position in the TestCatalogue (search order)
    int32_t MinDuration = 0;      // ms
    int32_t MaxDuration = 0;      // ms; 0 or less: no upper limit
    int32_t DurationStep = 0;     // ms
    int32_t Countdown = 0;        // ms
    int32_t DefaultDuration = 0;  // ms; the test's weight in the sharing
    int32_t KeepsResults = 0;
    int32_t PlannedDuration = 0;  // ms; 0 until the time dialog is confirmed
    double Share = 0.0;           // DefaultDuration / the run's sum of defaults
};
static_assert(offsetof(TRunEntry, CatalogueIndex) == 0);
static_assert(offsetof(TRunEntry, MinDuration) == 4);
static_assert(offsetof(TRunEntry, MaxDuration) == 8);
static_assert(offsetof(TRunEntry, DurationStep) == 12);
static_assert(offsetof(TRunEntry, Countdown) == 16);
static_assert(offsetof(TRunEntry, DefaultDuration) == 20);
static_assert(offsetof(TRunEntry, KeepsResults) == 24);
static_assert(offsetof(TRunEntry, PlannedDuration) == 28);
static_assert(offsetof(TRunEntry, Share) == 32);
static_assert(sizeof(TRunEntry) == 40);

// Which entry of the run list runs or runs next. It is deliberately not an
// integer: a cancelled run stores 2147483637 here, and that value must never
// reach an index operation. The run list hands out its entry through
// RunPlan::Current(), which checks the range.
class TCurrentEntry {
public:
    // What a cancelled time dialog leaves behind: no segment to run.
    static constexpr int32_t kNoSegment = 2147483637;

    static constexpr TCurrentEntry First() { return TCurrentEntry(0); }
    static constexpr TCurrentEntry None() { return TCurrentEntry(kNoSegment); }
    // A value read back from the suspend file; anything negative is no
    // segment at all.
    static constexpr TCurrentEntry FromSaved(int32_t saved) { return saved < 0 ? None() : TCurrentEntry(saved); }

    // The int32 the suspend file stores.
    constexpr int32_t Saved() const { return m_value; }
    constexpr bool IsNone() const { return m_value == kNoSegment; }
    // The following entry; no segment stays no segment.
    constexpr TCurrentEntry Next() const { return IsNone() ? None() : TCurrentEntry(m_value + 1); }

    constexpr bool operator==(const TCurrentEntry&) const = default;

private:
    constexpr explicit TCurrentEntry(int32_t value) : m_value(value) {}
    int32_t m_value;
};

// Draws an integer uniformly from lo to hi, both included. Tests inject a
// scripted source; the program uses one seeded at start-up.
using UniformDraw = std::function<int32_t(int32_t lo, int32_t hi)>;
UniformDraw MakeSeededDraw(uint64_t seed);
UniformDraw MakeStartupDraw();

class RunPlan {
public:
    const std::vector<TRunEntry>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }

    // Emptied by every catalogue search and when a run ends; no segment is
    // current afterwards.
    void Clear();
    void Append(const TRunEntry& entry) { m_entries.push_back(entry); }
    // Later entries move up by one; an index outside the list is ignored.
    void RemoveRunEntry(size_t index);
    // Replaces the whole list, as resuming a saved run does.
    void Replace(std::vector<TRunEntry> entries, TCurrentEntry current);

    // The proposal, then what the user entered, then the sum of the planned
    // durations.
    int32_t ProgramTime() const { return m_programTime; }
    void SetProgramTime(int32_t ms) { m_programTime = ms; }

    TCurrentEntry CurrentEntry() const { return m_current; }
    void SetCurrentEntry(TCurrentEntry current) { m_current = current; }
    // The entry at CurrentEntry, or null when there is none (cancelled, or
    // past the last entry).
    const TRunEntry* Current() const;
    std::optional<size_t> CurrentIndex() const;
    // After a segment ended: moves to the next entry and says whether one
    // is left to run (false after the last one).
    bool Advance();

    // For the sharing and fitting below.
    std::vector<TRunEntry>& MutableEntries() { return m_entries; }

private:
    std::vector<TRunEntry> m_entries;
    int32_t m_programTime = 0;
    TCurrentEntry m_current = TCurrentEntry::None();
};

// ------------------------------------------------------------------ Time dialog

// The texts the time dialog opens with.
struct TimeProposal {
    std::string hours;    // "Stunden", two digits
    std::string minutes;  // "Minuten", two digits
};

// Hours and whole minutes of a total; seconds are dropped. A total beyond
// what the two-character fields hold is proposed as 99:59.
TimeProposal ProposeTime(int32_t programTimeMs);

// Every character that is not a decimal digit removed (the fields' change
// handlers).
std::string DigitsOnly(std::string_view text);

// The minutes field as it stands after the user left it: digits only, empty
// becomes "0", 60 or more becomes "59".
std::string CorrectMinutes(std::string_view text);

// The total a confirmed dialog stands for, in ms. Empty fields count as 0,
// minutes are corrected as on leaving their field (so Enter pressed inside
// the minutes field counts what the field would show), hours are at most 99.
int32_t ConfirmedProgramTime(std::string_view hours, std::string_view minutes);


// ------------------------------------------------------------------ Composing

// Builds the run list from the selected tests' titles, in the list's order,
// asking each test's module for its limits, and returns the proposal for
// the dialog. With several lines selected the tests that keep
// no results are dropped; the run may then be empty, and nothing must be
// started (Confirm says so). CurrentEntry is none until the dialog is
// confirmed.
TimeProposal ComposeRun(const std::vector<std::string>& selectedTitles, const TestCatalogue& catalogue,
                        ModuleHost& host, RunPlan& run);

// Shares ProgramTime among the entries by their weights, cut to each test's
// step, fits them into their limits, sets ProgramTime to the effective total
// and shuffles the entries.
void ShareProgramTime(RunPlan& run, const UniformDraw& draw);

// Merges several segments of one test into one, then raises segments below
// their minimum and deals with segments above their maximum: the surplus
// goes to a test without maximum (9 times in 10 when there is one), a small
// surplus is dropped, a large segment is split in two.
void FitToLimits(RunPlan& run, const UniformDraw& draw);

// 50 passes; in each, entry i swaps with an entry drawn from the whole list.
void ShuffleRun(RunPlan& run, const UniformDraw& draw);

// OK in the time dialog: takes the total, shares it and makes the first
// entry current. False, with no entry current, when the run list is empty:
// then nothing is started.
bool ConfirmRun(RunPlan& run, int32_t programTimeMs, const UniformDraw& draw);

// Cancel in the time dialog: the composed list stays, no entry is current.
void CancelRun(RunPlan& run);

// The total a run confirmed with programTimeMs really takes: ConfirmRun on a
// copy of the run, which stays as it is. With draws that repeat those of the
// confirmation (the same seed) it is exactly the confirmed ProgramTime.
int32_t PlannedProgramTime(const RunPlan& run, int32_t programTimeMs, const UniformDraw& draw);

// The time dialog's note on the real total: empty when the run takes what
// was entered (to the second), else the total as hours:minutes:seconds and
// why: the tests' minimums make it longer, their steps shorter.
std::string ActualDurationText(int32_t enteredMs, int32_t plannedMs);

} // namespace kestrava
