#include "modules/mfr/MfrResult.h"

#include "platform/gdi/Paths.h"

#include <algorithm>
#include <vector>

namespace kestrava::mfr {

namespace {

ResultRecordBytes Bytes(const ResultRecord& record)
{
    return {record.Timestamp, {record.Parts.begin(), record.Parts.end()}, record.DurationMs, record.Overall};
}

std::vector<std::string> Names() { return {PartNames().begin(), PartNames().end()}; }

} // namespace

const std::array<std::string, kPartCount>& PartNames()
{
    static const std::array<std::string, kPartCount> names = {
        Utf8ToCp1252("Richtige Reaktionen"),
        Utf8ToCp1252("Fehlerfrei"),
        Utf8ToCp1252("Nichts verpasst"),
        Utf8ToCp1252("Mittlere Reaktionszeit"),
    };
    return names;
}

double Percent(int64_t part, int64_t whole)
{
    if (whole <= 0)
        return 0.0;
    // The last line of defence for counts that do not fit each other.
    return std::clamp(static_cast<double>(part) / static_cast<double>(whole) * 100.0, 0.0, 100.0);
}

double MeanReactionMs(const MfrState& state, const MfrSettings& settings)
{
    if (state.Correct <= 0)
        return static_cast<double>(settings.Slowest);
    return static_cast<double>(state.ReactionSumMs) / state.Correct;
}

double SpeedScore(double meanMs) { return std::clamp((1250.0 - meanMs) / 10.0, 0.0, 100.0); }

ResultRecord MakeResultRecord(const MfrState& state, const MfrSettings& settings, uint32_t elapsedMs, double timestamp)
{
    const int64_t stimuli = state.Stimuli;
    const int64_t faults = static_cast<int64_t>(state.Errors) + state.FalseKeys;
    const double mean = MeanReactionMs(state, settings);
    ResultRecord record;
    record.Timestamp = timestamp;
    record.Parts = {
        Percent(state.Correct, stimuli),
        Percent(std::max<int64_t>(0, stimuli - faults), stimuli),
        Percent(stimuli - state.Missed, stimuli),
        -mean,
    };
    record.DurationMs = static_cast<int32_t>(elapsedMs);
    record.Overall = std::clamp(
        0.4 * record.Parts[0] + 0.2 * record.Parts[1] + 0.2 * record.Parts[2] + 0.2 * SpeedScore(mean), 0.0, 100.0);
    return record;
}

AppendReport WriteResultRecord(const std::string& path, const ResultRecord& record)
{
    return AppendResultRecord(path, Names(), Bytes(record));
}

void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd)
{
    AppendResultAndEndTest("MFR", path, Names(), Bytes(record), onTestEnd);
}

} // namespace kestrava::mfr
