#include "host/catalogue/RunPlan.h"

#include "host/catalogue/Catalogue.h"
#include "host/core/ModuleHost.h"
#include "host/results/ResultTexts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <unordered_set>
#include <utility>

namespace kestrava {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kTickMs = 10;
// No segment is shorter than this, whatever limits a module reports: each
// segment brings its title, countdown, result and gap, so a module whose
// settings file gives its limits in seconds (MIN=10) must not cut a run
// into hundreds of 10 ms segments.
constexpr int32_t kShortestSegmentMs = 1000;
constexpr int32_t kMsPerHour = 3'600'000;
constexpr int32_t kMaxHours = 99;
constexpr int32_t kMaxMinutes = 59;
constexpr size_t kUnboundedCandidates = 50;
constexpr int kShufflePasses = 50;

int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), kInt32Max));
}

// The limits as the arithmetic uses them. A module may report a step of 0
// (which would divide by zero), a tiny or negative minimum, or a minimum
// above its maximum (which would make the fitting loop for ever): the step
// is then at least 1 ms, the minimum at least the shortest segment and the
// maximum at least the minimum.
int64_t StepOf(const TRunEntry& e) { return e.DurationStep > 0 ? e.DurationStep : 1; }
int64_t MinOf(const TRunEntry& e) { return std::max<int64_t>(e.MinDuration, kShortestSegmentMs); }
bool HasMax(const TRunEntry& e) { return e.MaxDuration > 0; }
int64_t MaxOf(const TRunEntry& e) { return std::max<int64_t>(e.MaxDuration, MinOf(e)); }

// Cut down to a whole number of steps (truncating division).
int64_t CutToStep(int64_t ms, int64_t step) { return ms / step * step; }

// A module ends its test on the tick whose elapsed time equals the planned
// duration, and ticks come every 10 ms: a duration that is no multiple of
// 10 would never end. A segment is therefore cut down to whole ticks, or
// raised to the next whole tick where cutting would take it below its
// minimum.
int32_t AlignToTicks(const TRunEntry& e)
{
    const int64_t floor = MinOf(e);
    const int64_t down = std::max<int64_t>(e.PlannedDuration, 0) / kTickMs * kTickMs;
    if (down >= floor)
        return static_cast<int32_t>(down);
    const int64_t up = (floor + kTickMs - 1) / kTickMs * kTickMs;
    return static_cast<int32_t>(std::min<int64_t>(up, kInt32Max / kTickMs * kTickMs));
}

// An injected source is trusted to stay in range, but an index drawn from
// it is still kept inside the list.
int32_t DrawIn(const UniformDraw& draw, int32_t lo, int32_t hi) { return std::clamp(draw(lo, hi), lo, hi); }

int32_t ParseField(std::string_view digits, int32_t most)
{
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > most)
            return most;
    }
    return static_cast<int32_t>(value);
}

} // namespace

UniformDraw MakeSeededDraw(uint64_t seed)
{
    auto engine = std::make_shared<std::mt19937_64>(seed);
    return [engine](int32_t lo, int32_t hi) {
        if (hi <= lo)
            return lo;
        return std::uniform_int_distribution<int32_t>(lo, hi)(*engine);
    };
}

UniformDraw MakeStartupDraw()
{
    std::random_device device;
    const uint64_t seed = (static_cast<uint64_t>(device()) << 32) ^ device();
    return MakeSeededDraw(seed);
}

// ------------------------------------------------------------------ RunPlan

void RunPlan::Clear()
{
    m_entries.clear();
    m_current = TCurrentEntry::None();
}

void RunPlan::RemoveRunEntry(size_t index)
{
    if (index < m_entries.size())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

void RunPlan::Replace(std::vector<TRunEntry> entries, TCurrentEntry current)
{
    m_entries = std::move(entries);
    m_current = current;
}

std::optional<size_t> RunPlan::CurrentIndex() const
{
    if (m_current.IsNone())
        return std::nullopt;
    const int32_t saved = m_current.Saved();
    if (saved < 0 || static_cast<size_t>(saved) >= m_entries.size())
        return std::nullopt;
    return static_cast<size_t>(saved);
}

const TRunEntry* RunPlan::Current() const
{
    const std::optional<size_t> index = CurrentIndex();
    return index ? &m_entries[*index] : nullptr;
}

bool RunPlan::Advance()
{
    if (m_current.IsNone())
        return false;
    m_current = m_current.Next();
    return CurrentIndex().has_value();
}

// ------------------------------------------------------------------ Time dialog

TimeProposal ProposeTime(int32_t programTimeMs)
{
    const int32_t ms = std::max(programTimeMs, 0);
    int32_t hours = ms / kMsPerHour;
    int32_t minutes = (ms / 1000) % 3600 / 60;
    if (hours > kMaxHours) {
        hours = kMaxHours;
        minutes = kMaxMinutes;
    }
    return {PadLeftZeros(std::to_string(hours), 2), PadLeftZeros(std::to_string(minutes), 2)};
}

std::string DigitsOnly(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9')
            out += c;
    return out;
}

std::string CorrectMinutes(std::string_view text)
{
    std::string digits = DigitsOnly(text);
    if (digits.empty())
        return "0";
    if (ParseField(digits, 60) >= 60)
        return "59";
    return digits;
}

int32_t ConfirmedProgramTime(std::string_view hours, std::string_view minutes)
{
    const int32_t h = ParseField(DigitsOnly(hours), kMaxHours);
    const int32_t m = ParseField(CorrectMinutes(minutes), kMaxMinutes);
    return (h * 3600 + m * 60) * 1000;
}

// ------------------------------------------------------------------ Composing

TimeProposal ComposeRun(const std::vector<std::string>& selectedTitles, const TestCatalogue& catalogue,
                        ModuleHost& host, RunPlan& run)
{
    run.Clear();
    const size_t selected = selectedTitles.size();

    int64_t programTime = 0;
    for (const std::string& title : selectedTitles) {
        const std::optional<int32_t> index = catalogue.IndexOfTitle(title);
        if (!index)
            continue;
        // A module that has gone since the search answers nothing and
        // leaves these zeros; the runner then shows its title until the
        // user aborts, as for any module that cannot be bound.
        TTestInfo info{};
        host.QueryModuleInfo(catalogue.ByIndex(*index)->modulePath, info);
        TRunEntry entry;
        entry.CatalogueIndex = *index;
        entry.MinDuration = info.MinDuration;
        entry.MaxDuration = info.MaxDuration;
        entry.DurationStep = info.DurationStep;
        entry.Countdown = info.Countdown;
        entry.DefaultDuration = info.DefaultDuration;
        entry.KeepsResults = info.KeepsResults;
        entry.PlannedDuration = 0;
        run.Append(entry);
        if (entry.KeepsResults != 0 || selected == 1)
            programTime += std::max(entry.DefaultDuration, 0);
    }

    // A test that keeps no results can run alone but never in a program.
    if (selected > 1)
        for (size_t i = run.Size(); i-- > 0;)
            if (run.Entries()[i].KeepsResults == 0)
                run.RemoveRunEntry(i);

    // The weights: each default duration over their sum. Should every
    // default be 0 (which would divide by zero) the tests share equally.
    for (TRunEntry& e : run.MutableEntries())
        e.Share = programTime > 0 ? static_cast<double>(std::max(e.DefaultDuration, 0)) / static_cast<double>(programTime)
                                  : 1.0 / static_cast<double>(run.Size());

    run.SetProgramTime(ClampToInt32(programTime));
    run.SetCurrentEntry(TCurrentEntry::None());
    return ProposeTime(run.ProgramTime());
}

void ShareProgramTime(RunPlan& run, const UniformDraw& draw)
{
    const double total = static_cast<double>(run.ProgramTime());
    for (TRunEntry& e : run.MutableEntries()) {
        // Round to nearest, ties to even (the default rounding mode).
        const double product = std::nearbyint(total * e.Share);
        const int64_t rounded = std::isfinite(product) ? static_cast<int64_t>(std::clamp(product, 0.0, static_cast<double>(kInt32Max))) : 0;
        e.PlannedDuration = static_cast<int32_t>(CutToStep(rounded, StepOf(e)));
    }
    FitToLimits(run, draw);
    int64_t sum = 0;
    for (TRunEntry& e : run.MutableEntries()) {
        e.PlannedDuration = AlignToTicks(e);
        sum += e.PlannedDuration;
    }
    run.SetProgramTime(ClampToInt32(sum));
    ShuffleRun(run, draw);
}

void FitToLimits(RunPlan& run, const UniformDraw& draw)
{
    std::vector<TRunEntry>& entries = run.MutableEntries();

    // Each test keeps one segment: the first of its entries. (Every entry of
    // a test carries the test's full share, so the others are duplicates.)
    {
        std::unordered_set<int32_t> seen;
        std::vector<TRunEntry> merged;
        merged.reserve(entries.size());
        for (const TRunEntry& e : entries)
            if (seen.insert(e.CatalogueIndex).second)
                merged.push_back(e);
        entries = std::move(merged);
    }

    // The tests without a maximum that can take a surplus: at most the
    // first 50. Splitting and moving never change which entries these are,
    // since only entries with a maximum are split.
    std::vector<size_t> unbounded;
    for (size_t k = 0; k < entries.size() && unbounded.size() < kUnboundedCandidates; ++k)
        if (entries[k].MaxDuration == 0)
            unbounded.push_back(k);

    // One walk over the list. After an entry above its maximum was dealt
    // with, the walk looks at the same entry again: the entries before it
    // are already within their limits and stay so (only an unbounded entry
    // can grow), so starting over from the front would find nothing new and
    // draw nothing. Split-off copies are appended and met later.
    size_t i = 0;
    while (i < entries.size()) {
        TRunEntry& e = entries[i];
        if (e.PlannedDuration < MinOf(e))
            e.PlannedDuration = static_cast<int32_t>(MinOf(e));
        if (!HasMax(e) || e.PlannedDuration <= MaxOf(e)) {
            ++i;
            continue;
        }
        const int64_t max = MaxOf(e);
        const int64_t step = StepOf(e);
        const int64_t planned = e.PlannedDuration;
        std::optional<size_t> u;
        if (!unbounded.empty())
            u = unbounded[static_cast<size_t>(DrawIn(draw, 0, static_cast<int32_t>(unbounded.size()) - 1))];
        const int32_t r = DrawIn(draw, 0, 9);
        if (r != 5 && u) {
            TRunEntry& taker = entries[*u];
            taker.PlannedDuration = ClampToInt32(static_cast<int64_t>(taker.PlannedDuration) + (planned - max));
            e.PlannedDuration = static_cast<int32_t>(max);
        } else if (planned < max + 2 * step) {
            e.PlannedDuration = static_cast<int32_t>(max);
        } else {
            const int32_t f = DrawIn(draw, 40, 60);
            const auto first = static_cast<int64_t>(std::nearbyint(static_cast<double>(planned) * f / 100.0));
            TRunEntry copy = e;
            copy.PlannedDuration = static_cast<int32_t>(CutToStep(planned - first, step));
            e.PlannedDuration = static_cast<int32_t>(CutToStep(first, step));
            entries.push_back(copy);  // e is not used after this
        }
    }
}

void ShuffleRun(RunPlan& run, const UniformDraw& draw)
{
    std::vector<TRunEntry>& entries = run.MutableEntries();
    const auto n = static_cast<int32_t>(entries.size());
    if (n < 2)
        return;
    for (int pass = 0; pass < kShufflePasses; ++pass)
        for (int32_t i = 0; i < n; ++i) {
            const int32_t j = DrawIn(draw, 0, n - 1);
            std::swap(entries[static_cast<size_t>(i)], entries[static_cast<size_t>(j)]);
        }
}

bool ConfirmRun(RunPlan& run, int32_t programTimeMs, const UniformDraw& draw)
{
    if (run.Empty()) {
        run.SetCurrentEntry(TCurrentEntry::None());
        return false;
    }
    run.SetProgramTime(programTimeMs);
    ShareProgramTime(run, draw);
    run.SetCurrentEntry(TCurrentEntry::First());
    return true;
}

void CancelRun(RunPlan& run) { run.SetCurrentEntry(TCurrentEntry::None()); }

int32_t PlannedProgramTime(const RunPlan& run, int32_t programTimeMs, const UniformDraw& draw)
{
    RunPlan copy = run;
    return ConfirmRun(copy, programTimeMs, draw) ? copy.ProgramTime() : programTimeMs;
}

std::string ActualDurationText(int32_t enteredMs, int32_t plannedMs)
{
    const auto seconds = [](int32_t ms) { return (static_cast<int64_t>(std::max(ms, 0)) + 500) / 1000; };
    const int64_t real = seconds(plannedMs);
    const int64_t entered = seconds(enteredMs);
    if (real == entered)
        return {};
    const auto two = [](int64_t n) { return PadLeftZeros(std::to_string(n), 2); };
    // Longer: the tests' minimums raised it; shorter: each share was cut
    // to its test's steps.
    return "Tatsächliche Dauer: " + two(real / 3600) + ":" + two(real / 60 % 60) + ":" + two(real % 60) +
           (real > entered ? " (Mindestzeiten)" : " (Zeitschritte)");
}

} // namespace kestrava
