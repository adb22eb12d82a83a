#include "modules/zek/ZekResult.h"

#include "platform/gdi/Paths.h"

#include <algorithm>
#include <vector>

namespace kestrava::zek {

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
        Utf8ToCp1252("Vertikales Trackling (Links)"),
        Utf8ToCp1252("Bidirektionales Trackling (Rechts)"),
        Utf8ToCp1252("Reaktionsvermögen F-Tasten"),
        Utf8ToCp1252("Kopfrechnen"),
    };
    return names;
}

double PartResult(int32_t hits, int32_t trials)
{
    if (trials <= 0)
        return 0.0;
    // The last line of defence for counts that do not fit each other: a
    // part is a percentage, never above 100 or below 0.
    return std::clamp(static_cast<double>(hits) / trials * 100.0, 0.0, 100.0);
}

ResultRecord MakeResultRecord(const ZekState& state, uint32_t elapsedMs, double timestamp)
{
    ResultRecord record;
    record.Timestamp = timestamp;
    record.Parts = {
        PartResult(state.HitsV, state.SamplesV),
        PartResult(state.Hits2D, state.Samples2D),
        PartResult(state.LightsAnswered, state.LightsShown),
        PartResult(state.TasksCorrect, state.TasksDone),
    };
    record.DurationMs = static_cast<int32_t>(elapsedMs);
    record.Overall = (record.Parts[0] + record.Parts[1] + record.Parts[2] + record.Parts[3]) / 4.0;
    return record;
}

AppendReport WriteResultRecord(const std::string& path, const ResultRecord& record)
{
    return AppendResultRecord(path, Names(), Bytes(record));
}

void AppendResult(const std::string& path, const ResultRecord& record, const TOnTestEndSlot& onTestEnd)
{
    AppendResultAndEndTest("ZEK", path, Names(), Bytes(record), onTestEnd);
}

} // namespace kestrava::zek
