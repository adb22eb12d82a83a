// The host's two preferences, the sound volume and whether the clock shows
// on the test screen, kept in a 4-byte file beside the program: the
// program's path with the extension .INI, holding two little-endian uint16
// values (volume, clock flag) and nothing else.
//
// The file is read once at start-up and written once at shutdown.
// [ui-thread]
#pragma once

#include <cstdint>
#include <string>

namespace kestrava {

struct Preferences {
    uint16_t volume = 65535;  // 0 silent .. 65535 full
    uint16_t clockShown = 1;  // non-zero: the clock panel shows
};

// The program's path with its extension replaced by ".INI".
std::string PreferencesPath(const std::string& programPath);

// The defaults, overwritten by every whole value the file holds: a missing
// or unreadable file gives both defaults, a file of 2 or 3 bytes the volume
// from the file and the default clock flag. Bytes after the fourth are not
// read. Only a regular file is read.
Preferences ReadPreferences(const std::string& path);

// Writes the two values through WriteFileDurably, so a crash leaves either
// the old file or the new one, never a part of it. False, with a one-line
// reason in error, when it could not be written.
bool WritePreferences(const std::string& path, const Preferences& prefs, std::string& error);

} // namespace kestrava
