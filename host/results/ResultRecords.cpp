#include "host/results/ResultRecords.h"

#include "host/results/ResultBytes.h"
#include "protocol/MyMessages.h"

#include <system_error>

namespace kestrava {

using results_detail::FileState;
using results_detail::RawResultFile;

namespace {

std::string Bytes(int64_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

std::string Records(int64_t count) { return std::to_string(count) + (count == 1 ? " whole record" : " whole records"); }

void DescribeProblem(const RawResultFile& raw, ResultFileLoad& load)
{
    switch (raw.state) {
    case FileState::Missing:
        load.problem = ResultFileProblem::Unreadable;
        load.message = raw.notRegularFile ? "not a regular file"
                                          : "cannot read the file: " + std::generic_category().message(raw.errorNumber);
        return;
    case FileState::TooLarge:
        load.problem = ResultFileProblem::TooLarge;
        load.message = "a file of " + Bytes(raw.largeSize) + " is too large for a result file (at most " +
                       Bytes(results_detail::kMaxResultFileSize) + ")";
        return;
    case FileState::TooShort:
        load.problem = ResultFileProblem::TooShort;
        load.message = "a file of " + Bytes(raw.Size()) + " is too short to hold the 4-byte part count";
        return;
    case FileState::NegativeParts:
        load.problem = ResultFileProblem::NegativeParts;
        load.message = "negative part count " + std::to_string(raw.partCount);
        return;
    case FileState::HeaderTooLarge:
        load.problem = ResultFileProblem::HeaderTooLarge;
        load.message = "part count " + std::to_string(raw.partCount) + " does not fit a file of " + Bytes(raw.Size()) +
                       " (its header alone needs " + Bytes(resultfile::HeaderSize(raw.partCount)) + ")";
        return;
    case FileState::NoResults:
    case FileState::Records:
        break;
    }
    if (raw.tailBytes != 0) {
        load.problem = ResultFileProblem::PartialRecord;
        load.message = "the file ends inside record " + std::to_string(raw.recordCount + 1) + " (" +
                       Bytes(raw.tailBytes) + " of " + std::to_string(resultfile::RecordSize(raw.partCount)) +
                       "); " + Records(raw.recordCount) + (raw.recordCount == 1 ? " precedes it" : " precede it");
    }
}

} // namespace

ResultFileLoad LoadResultFile(const std::string& path)
{
    const RawResultFile raw = results_detail::ReadRawResultFile(path);
    ResultFileLoad load;
    load.fileSize = raw.Size();
    DescribeProblem(raw, load);
    if (raw.state != FileState::NoResults && raw.state != FileState::Records)
        return load;

    ResultFileContents& contents = load.contents;
    contents.partCount = raw.partCount;
    for (int32_t p = 0; p < raw.partCount; ++p)
        contents.partNames.push_back(Cp1252ToUtf8(raw.PartName(p)));
    contents.records.reserve(static_cast<size_t>(raw.recordCount));
    for (int64_t i = 0; i < raw.recordCount; ++i) {
        ResultRecord record;
        record.timestamp = raw.Timestamp(i);
        record.parts.reserve(static_cast<size_t>(raw.partCount));
        for (int32_t p = 0; p < raw.partCount; ++p)
            record.parts.push_back(raw.Part(i, p));
        record.durationMs = raw.Duration(i);
        record.overall = raw.Overall(i);
        contents.records.push_back(std::move(record));
    }
    return load;
}

} // namespace kestrava
