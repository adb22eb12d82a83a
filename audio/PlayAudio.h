// The sixteen-slot mixer on the wave output engine: 44100 frames per
// second, 16 bits, stereo. Every output buffer is the sum of all playing
// slots, each with its own volume and balance, through a limiter that
// scales a side down at once when it would clip and lets it recover by
// Attack per frame.
//
// Threads: the mixing runs on the user-interface thread in the device's
// buffer notice; slot changes come from whichever thread the module's
// callback runs on (the tick thread among them). Both take one short lock:
// a slot is never changed or freed while a buffer is mixed. Files are read
// and sounds destroyed outside the lock; streamed sounds read their next
// chunk before the lock is taken.
#pragma once

#include "audio/AudioIO.h"
#include "audio/SoundFile.h"
#include "audio/SoundPlayer.h"

#include <array>
#include <memory>
#include <mutex>

namespace kestrava::audio {

class TPlayAudio : public TAudioOut, public SoundPlayer {
public:
    TPlayAudio(app::WaveOutDevice* device, PostFn post);
    ~TPlayAudio() override;

    double Attack() const { return m_attack; }
    void SetAttack(double attack) { m_attack = attack; }
    // A slot's sound finished; called on the user-interface thread after
    // the buffer that finished it was filled.
    std::function<void(uint8_t slot)> OnTerminate;

    // ---- SoundPlayer [any thread]
    int32_t AddSound(const std::string& path) override;
    void FreeSound(int32_t slot) override;
    bool HoldsSound(int32_t slot) const override;
    bool IsPlaying(int32_t slot) const override;
    void SetTemporary(int32_t slot, bool temporary) override;
    void StopSound(int32_t slot) override;
    void Start(int32_t slot, int16_t pan, uint16_t volume, bool loop) override;

    // A sound file played once at full volume and forgotten (button sounds).
    // False when it found no free slot. [any thread]
    bool PlayFile(const std::string& path);
    // Stops and frees every slot. [any thread]
    void FreeAll();
    // The slot's sound's file loaded (false for an empty slot).
    bool SoundLoaded(int32_t slot) const;

    // Fills a buffer as the device's refill does: size bytes, whole frames
    // of the mix of every playing slot; always true, so the output never
    // stops by itself. [ui-thread]
    bool FillHandler(uint8_t* buffer, uint32_t& size);

private:
    struct Active {
        TSoundFile* sound = nullptr;
        double leftGain = 0.0;
        double rightGain = 0.0;
        bool left = false;
        bool right = false;
    };
    // Mixes whole stereo frames into buffer; the lock is held.
    void MixFrames(const Active* active, size_t count, uint8_t* buffer, uint32_t frames);

    static bool Valid(int32_t slot) { return slot >= 0 && slot < kSlots; }
    void Terminated(uint8_t slot);

    double m_leftGain = 1.0;
    double m_rightGain = 1.0;
    double m_attack = 0.001;
    mutable std::mutex m_lock;
    std::array<std::shared_ptr<TSoundFile>, kSlots> m_slots;
    // Per slot: the streamed chunk read ahead of the lock.
    std::array<std::vector<int16_t>, kSlots> m_chunks;
    std::array<std::shared_ptr<TSoundFile>, kSlots> m_streaming;
    // Each frame's left and right sums, kept from buffer to buffer.
    std::vector<double> m_left;
    std::vector<double> m_right;
};

} // namespace kestrava::audio
