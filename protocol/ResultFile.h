// The result file format shared by the modules (which append) and the host
// (which reads and deletes). Little-endian, no padding, no magic number:
//
//   int32 n                     part count; 0 marks a test that keeps no results
//   n x 256-byte short strings  part names (Windows-1252)
//   records, back to back, each 24 + 8n bytes:
//     float64 timestamp         days since 1899-12-30, local time of day as fraction
//     n x float64 part results  >= 0: percent; < 0: a time of -value ms
//     int32 duration            ms
//     4 bytes reserved          never read
//     float64 overall           percent
#pragma once

#include <cstdint>

namespace kestrava::resultfile {

inline constexpr int64_t kNameSlotSize = 256;
inline constexpr int64_t kCountSize = 4;

inline constexpr int64_t HeaderSize(int64_t parts) { return kCountSize + kNameSlotSize * parts; }
inline constexpr int64_t RecordSize(int64_t parts) { return 24 + 8 * parts; }
inline constexpr int64_t TimestampOffset() { return 0; }
inline constexpr int64_t PartOffset(int64_t part) { return 8 + 8 * part; }
inline constexpr int64_t DurationOffset(int64_t parts) { return 8 + 8 * parts; }
inline constexpr int64_t OverallOffset(int64_t parts) { return 16 + 8 * parts; }

static_assert(HeaderSize(4) == 1028);
static_assert(RecordSize(4) == 56 && DurationOffset(4) == 40 && OverallOffset(4) == 48);

} // namespace kestrava::resultfile
