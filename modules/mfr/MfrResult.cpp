#include "modules/mfr/MfrResult.h"

#include <algorithm>

namespace kestrava::mfr {

ResultRecordBytes Bytes(const ResultRecord& record)
{
    return {record.Timestamp, {record.Parts.begin(), record.Parts.end()}, record.DurationMs, record.Overall};
}

const kit::ResultSheet& Sheet()
{
    static const kit::ResultSheet sheet(
        "MFR", {"Richtige Reaktionen", "Fehlerfrei", "Nichts verpasst", "Mittlere Reaktionszeit"});
    return sheet;
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
    return Sheet().Write(path, Bytes(record));
}

void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd)
{
    Sheet().WriteAndEnd(path, Bytes(record), onTestEnd);
}

} // namespace kestrava::mfr
