// The result of a test: its part names and the appending of one record to
// the module's result file, the same for every module. The host reads every
// module's file with the same readers.
#pragma once

#include "platform/gdi/ResultAppend.h"
#include "protocol/MyMessages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrava::kit {

// The record format, the appending and the local timestamps are the
// drawing library's.
using kestrava::AppendReport;
using kestrava::AppendStatus;
using kestrava::LocalTimestampNow;
using kestrava::ResultRecordBytes;

// A result file's part names and the writing of one record, the same for
// every module: the file is the module's path with the extension ".RLT",
// written by the drawing library's AppendResultRecord.
class ResultSheet {
public:
    // tag starts every line the module writes on stderr ("MFR"); the names
    // are UTF-8 and are stored in Windows-1252, in record order.
    ResultSheet(std::string tag, std::vector<std::string> partNamesUtf8);

    const std::string& Tag() const { return m_tag; }
    // The names as the file holds them (Windows-1252).
    const std::vector<std::string>& PartNames() const { return m_names; }
    size_t PartCount() const { return m_names.size(); }

    // Writes one record and flushes it (see AppendResultRecord for a torn
    // tail, a damaged file and a file of another test).
    AppendReport Write(const std::string& path, const ResultRecordBytes& record) const;
    // Writes the record, reports a failure with one line on stderr, then
    // calls onTestEnd exactly once whatever happened. [tick-thread]
    void WriteAndEnd(const std::string& path, const ResultRecordBytes& record, const TOnTestEndSlot& onTestEnd) const;

    // part / whole x 100, held to 0 to 100; 0.0 when nothing was counted
    // (never NaN, which every reader would carry into its means).
    static double Percent(int64_t part, int64_t whole);

private:
    std::string m_tag;
    std::vector<std::string> m_names;
};

} // namespace kestrava::kit
