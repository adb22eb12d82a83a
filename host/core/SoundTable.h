// The host's named sounds, offered to modules through the callbacks of the
// shared status record.
#pragma once

#include "audio/SoundPlayer.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

using audio::SoundPlayer;

struct SoundEntry {
    std::string name;  // upper case
    std::string path;  // sound file
    int32_t slot = -1; // player slot holding it, or -1
};

// The table and the player behind it. Names compare in upper case; when a
// name appears twice the last entry counts.
//
// The name-based calls come from the module's callbacks, on whichever
// thread the module was entered (the tick thread among them), always under
// the canvas lock; the host's own calls (Clear, ReleaseAll) take that lock
// too or run while no module can call. The master volume is the user's and
// changes from the user-interface thread while a test runs.
class SoundTable {
public:
    void SetPlayer(SoundPlayer* player) { m_player = player; }
    void SetMasterVolume(uint16_t volume) { m_masterVolume.store(volume); }
    uint16_t MasterVolume() const { return m_masterVolume.load(); }

    void Add(const std::string& name, const std::string& path);
    // Emptied by every catalogue scan.
    void Clear();
    const std::vector<SoundEntry>& Entries() const { return m_entries; }

    int32_t PlaySound(const std::string& name, uint16_t volume, int16_t pan);
    void LoadSound(const std::string& name);
    void UnloadSound(const std::string& name);
    void StopSound(int32_t slot);

    // End of a test: stop and release every player slot and forget the
    // entries' slots.
    void ReleaseAll();

private:
    SoundEntry* Find(const std::string& name);
    static bool ValidSlot(int32_t slot) { return slot >= 0 && slot < SoundPlayer::kSlots; }

    std::vector<SoundEntry> m_entries;
    SoundPlayer* m_player = nullptr;
    std::atomic<uint16_t> m_masterVolume{65535};
};

} // namespace kestrava
