// Whole records of a result file, with a validating load that says what is
// wrong with a damaged file. The readers of ResultReaders.h forgive damage
// silently (a damaged file reads like a missing one); this load is for tools
// that must tell the user why a file is rejected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

struct ResultRecord {
    double timestamp = 0.0;     // days since 1899-12-30, local time of day as fraction
    std::vector<double> parts;  // >= 0: percent; < 0: a time of -value ms
    int32_t durationMs = 0;
    double overall = 0.0;       // percent
};

enum class ResultFileProblem {
    None,
    Unreadable,      // missing, not a regular file, or not readable
    TooLarge,        // larger than the readers load; nothing of it is read
    TooShort,        // cannot even hold the part count
    NegativeParts,
    HeaderTooLarge,  // the part count does not fit the file size
    PartialRecord,   // the file ends inside a record; the whole ones are loaded
};

struct ResultFileContents {
    int32_t partCount = 0;               // 0: the no-results marker, no records
    std::vector<std::string> partNames;  // UTF-8
    std::vector<ResultRecord> records;   // whole records, in file order
};

struct ResultFileLoad {
    ResultFileProblem problem = ResultFileProblem::None;
    std::string message;  // one line without the path; empty when problem is None
    ResultFileContents contents;
    int64_t fileSize = 0;

    // The whole records are usable: a clean file, or one whose last record
    // was cut short (a crash while a module appended).
    bool Usable() const { return problem == ResultFileProblem::None || problem == ResultFileProblem::PartialRecord; }
};

ResultFileLoad LoadResultFile(const std::string& path);

} // namespace kestrava
