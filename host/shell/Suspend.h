// A suspended run: the file PROG.SAV beside the program, which holds a run
// list, the entry that was running, its tick count, the title of each
// entry's test and the running module's state block, so that a run can be
// continued after the program was closed.
//
// Layout (little-endian, no header): int32 L, L bytes of TRunEntry records
// (40 each), int32 CurrentEntry, int32 TickCount, one 256-byte short string
// per entry (the test's title, Windows-1252), int32 S, S bytes of state,
// then a trailer of 8 bytes: the tag "KCRC" and the CRC-32 (zlib's, little-
// endian) of every byte before the trailer. A file without the trailer (as
// written before it was added) is read all the same, unchecked.
//
// The file is untrusted on reading: every length is checked against the
// file's size before anything is taken from it, and a file that fails a
// check is refused with a German reason for the user. Nothing here touches a
// control or a module. [ui-thread]
#pragma once

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

inline constexpr const char* kSuspendFileName = "PROG.SAV";
// A run list of more entries than this comes from no time dialog.
inline constexpr int32_t kMaxSuspendedEntries = 10000;
// What a module's state block may hold at most; a larger block, or a file
// claiming one, is refused rather than read into memory.
inline constexpr int64_t kMaxStateBytes = 64 * 1024 * 1024;
// The checksum trailer at the end of the file.
inline constexpr size_t kChecksumTrailerBytes = 8;

struct SuspendedRun {
    std::vector<TRunEntry> entries;
    int32_t currentEntry = 0;
    int32_t tickCount = 0;           // negative during the countdown
    std::vector<std::string> titles; // one per entry, Windows-1252, at most 255 bytes
    std::vector<uint8_t> state;      // the module's block, byte for byte
};

// The file's bytes, with the checksum trailer. Titles longer than 255 bytes
// are cut; the unused rest of each title field is zero.
std::vector<uint8_t> EncodeSuspendedRun(const SuspendedRun& run);

// Takes the bytes apart. False, with the reason, when the trailer's checksum
// does not match the bytes before it, the lengths do not agree with the size, the list does not hold 1 to 10,000 entries, the state
// length is negative or too large, or CurrentEntry lies outside the list.
bool DecodeSuspendedRun(const uint8_t* bytes, size_t size, SuspendedRun& run, std::string& reason);

enum class SuspendRead { Missing, Loaded, Refused };

// Reads and decodes the file at path. Missing when nothing exists there;
// Refused, with the reason, when it is no regular file, cannot be read whole,
// or does not decode. Opened without blocking, so a FIFO cannot hang. A
// failing call puts its errno into *errorNumber (the reason names its cause
// in German; the system's own text is for standard error).
SuspendRead ReadSuspendedRun(const std::string& path, SuspendedRun& run, std::string& reason,
                             int* errorNumber = nullptr);

// Whether anything exists at path (the menu offers loading then).
bool SuspendFileExists(const std::string& path);

// Writes the file so that a crash leaves the earlier file or the new one
// whole. False with a one-line reason (English) and the failing call's
// errno in *errorNumber.
bool WriteSuspendedRun(const std::string& path, const SuspendedRun& run, std::string& error,
                       int* errorNumber = nullptr);

// The CatalogueIndex of an entry whose test is no longer in the catalogue:
// it names no test (the end screen leaves it out).
inline constexpr int32_t kNoCatalogueEntry = -1;

// Looks every entry's test up again by its stored title (exactly, case
// included; with several equal titles the last one counts) and sets its
// CatalogueIndex. An entry before CurrentEntry has run already: when its
// test is gone it gets kNoCatalogueEntry rather than the stored index, which
// may now name another test. False, with the reason and the entries
// unchanged, when the running entry's or a coming entry's title names no
// test of the catalogue.
bool MatchSuspendedTitles(SuspendedRun& run, const TestCatalogue& catalogue, std::string& reason);

// Whether the run can be played on: every entry lasts a positive whole
// number of ticks (a module ends on the tick that equals its duration), and
// the tick count lies between the running entry's countdown and its end.
bool CheckSuspendedTimes(const SuspendedRun& run, std::string& reason);

// The title as the file stores it: Windows-1252, cut to 255 bytes.
std::string StoredTitle(const std::string& utf8Title);

// The sentence the user reads when a saved run is refused.
std::string RefusalText(const std::string& reason);

} // namespace kestrava
