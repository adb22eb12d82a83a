// The bytes of one result file as every reader of this library sees them.
// Internal to host_results: the readers, the validating load and the tool
// must agree on what counts as a record, so they all go through here.
#pragma once

#include "protocol/ResultFile.h"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava::results_detail {

// The largest result file the readers load. A module appends 56 bytes a
// run, so this is over a million runs; a larger file is damaged or not a
// result file at all, and loading it (with the records built from it) could
// exhaust the memory.
inline constexpr int64_t kMaxResultFileSize = int64_t{64} << 20;

enum class FileState {
    Missing,   // absent, unreadable, or not a regular file
    TooLarge,  // larger than kMaxResultFileSize; nothing of it is loaded
    TooShort,  // fewer than the 4 bytes of the part count
    NegativeParts,
    HeaderTooLarge,  // 4 + 256 * n exceeds the file size
    NoResults,       // part count 0, the no-results marker
    Records,         // part count > 0 and a header that fits
};

// A result file read in one go (up to kMaxResultFileSize). Reading everything at once gives a
// consistent picture of a file a module might be appending to, and lets every
// access below be checked against the size actually read, so no field is
// ever read past the end, whatever the header claims.
struct RawResultFile {
    FileState state = FileState::Missing;
    int errorNumber = 0;  // errno of the failed open or read when Missing
    bool notRegularFile = false;  // Missing because it is a folder, FIFO or device
    std::vector<unsigned char> bytes;
    int64_t largeSize = 0;     // the size seen when TooLarge
    int32_t partCount = 0;     // as stored; meaningful from TooShort on
    int64_t recordCount = 0;   // whole records only (state Records)
    int64_t tailBytes = 0;     // bytes of a record cut short at the end

    int64_t Size() const { return static_cast<int64_t>(bytes.size()); }
    int64_t RecordStart(int64_t record) const
    {
        return resultfile::HeaderSize(partCount) + record * resultfile::RecordSize(partCount);
    }

    double Timestamp(int64_t record) const { return Float64At(RecordStart(record) + resultfile::TimestampOffset()); }
    double Part(int64_t record, int32_t part) const { return Float64At(RecordStart(record) + resultfile::PartOffset(part)); }
    int32_t Duration(int64_t record) const { return Int32At(RecordStart(record) + resultfile::DurationOffset(partCount)); }
    double Overall(int64_t record) const { return Float64At(RecordStart(record) + resultfile::OverallOffset(partCount)); }

    // The part name of a slot as stored (Windows-1252 bytes).
    std::string_view PartName(int32_t part) const
    {
        const int64_t slot = resultfile::kCountSize + resultfile::kNameSlotSize * part;
        const unsigned char* p = bytes.data() + slot;
        return {reinterpret_cast<const char*>(p + 1), p[0]};
    }

    int32_t Int32At(int64_t offset) const
    {
        const unsigned char* p = bytes.data() + offset;
        uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
        return std::bit_cast<int32_t>(v);
    }

    double Float64At(int64_t offset) const
    {
        const unsigned char* p = bytes.data() + offset;
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = v << 8 | p[i];
        return std::bit_cast<double>(v);
    }
};

// Opens the file read-only, reads all of it and classifies it. Never throws
// for file-system trouble; that shows as FileState::Missing.
RawResultFile ReadRawResultFile(const std::string& path);

// Round-to-nearest with ties to even of a / b, for b > 0, in integers so that
// no value is lost to float64 on the way.
int64_t RoundedDivision(int64_t a, int64_t b);

} // namespace kestrava::results_detail
