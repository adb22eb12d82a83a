// The host's named sounds, offered to modules through the callbacks of the
// shared status record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrava {

// The sound player's slots as the callbacks need them. The audio engine
// implements it; until a player is attached every name-based call finds
// nothing to play.
class SoundPlayer {
public:
    static constexpr int32_t kSlots = 16;
    virtual ~SoundPlayer() = default;
    // Loads a sound file into a free slot; the slot, or -1.
    virtual int32_t Load(const std::string& path) = 0;
    virtual void Release(int32_t slot) = 0;
    virtual bool HoldsSound(int32_t slot) const = 0;
    virtual bool IsPlaying(int32_t slot) const = 0;
    virtual void Stop(int32_t slot) = 0;
    virtual void SetPan(int32_t slot, int16_t pan) = 0;
    virtual void SetVolume(int32_t slot, uint16_t volume) = 0;
    virtual void SetLooping(int32_t slot, bool looping) = 0;
    virtual void Play(int32_t slot) = 0;
};

struct SoundEntry {
    std::string name;  // upper case
    std::string path;  // sound file
    int32_t slot = -1; // player slot holding it, or -1
};

// The table and the player behind it. Names compare in upper case; when a
// name appears twice the last entry counts.
class SoundTable {
public:
    void SetPlayer(SoundPlayer* player) { m_player = player; }
    void SetMasterVolume(uint16_t volume) { m_masterVolume = volume; }
    uint16_t MasterVolume() const { return m_masterVolume; }

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
    std::array<bool, SoundPlayer::kSlots> m_temporary{};
    SoundPlayer* m_player = nullptr;
    uint16_t m_masterVolume = 65535;
};

} // namespace kestrava
