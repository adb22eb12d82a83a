// The player's slots as the host's sound service needs them: every call is
// one step under the player's lock, so a module's call on the tick thread
// and the mixing on the user-interface thread never see half a change.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava::audio {

class SoundPlayer {
public:
    static constexpr int32_t kSlots = 16;
    virtual ~SoundPlayer() = default;
    // Loads a sound file into the lowest free slot; the slot, or -1 when all
    // are taken. The new slot is temporary: the player frees it when its
    // sound comes to an end. A file that fails to load still takes the slot
    // and plays as silence. The file is read before the lock is taken.
    // [any thread]
    virtual int32_t AddSound(const std::string& path) = 0;
    virtual void FreeSound(int32_t slot) = 0;
    virtual bool HoldsSound(int32_t slot) const = 0;
    virtual bool IsPlaying(int32_t slot) const = 0;
    // Temporary slots are freed by the player when their sound ends.
    virtual void SetTemporary(int32_t slot, bool temporary) = 0;
    // Stops the slot's sound; a temporary slot is freed at once.
    virtual void StopSound(int32_t slot) = 0;
    // Sets pan, volume and looping and starts the sound, in one step.
    virtual void Start(int32_t slot, int16_t pan, uint16_t volume, bool loop) = 0;
};

} // namespace kestrava::audio
