#include "host/core/SoundTable.h"

#include "platform/gdi/Paths.h"

#include <cmath>

namespace kestrava {

void SoundTable::Add(const std::string& name, const std::string& path)
{
    m_entries.push_back({UpperAscii(name), path, -1});
}

void SoundTable::Clear() { m_entries.clear(); }

SoundEntry* SoundTable::Find(const std::string& name)
{
    std::string key = UpperAscii(name);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->name == key)
            return &*it;
    return nullptr;
}

int32_t SoundTable::PlaySound(const std::string& name, uint16_t volume, int16_t pan)
{
    SoundEntry* entry = Find(name);
    if (!entry || !m_player)
        return -1;
    int32_t slot = entry->slot;
    // A permanent slot that is busy plays nothing new over itself: the sound
    // gets a temporary slot of its own instead.
    if (ValidSlot(slot) && m_player->IsPlaying(slot))
        slot = -1;
    if (!ValidSlot(slot)) {
        slot = m_player->Load(entry->path);
        if (!ValidSlot(slot))
            return -1;
        m_temporary[static_cast<size_t>(slot)] = true;
    } else {
        m_temporary[static_cast<size_t>(slot)] = false;
    }
    m_player->SetPan(slot, pan);
    double scaled = std::nearbyint(double(volume) / 65535.0 * double(m_masterVolume));
    m_player->SetVolume(slot, static_cast<uint16_t>(scaled));
    m_player->SetLooping(slot, false);
    m_player->Play(slot);
    return slot;
}

void SoundTable::LoadSound(const std::string& name)
{
    SoundEntry* entry = Find(name);
    if (!entry || !m_player || entry->slot != -1)
        return;
    entry->slot = m_player->Load(entry->path);
    if (!ValidSlot(entry->slot))
        entry->slot = -1;
}

void SoundTable::UnloadSound(const std::string& name)
{
    SoundEntry* entry = Find(name);
    if (!entry || entry->slot == -1)
        return;
    if (m_player && ValidSlot(entry->slot))
        m_player->Release(entry->slot);
    entry->slot = -1;
}

void SoundTable::StopSound(int32_t slot)
{
    if (!m_player || !ValidSlot(slot) || !m_player->HoldsSound(slot))
        return;
    m_player->Stop(slot);
    if (m_temporary[static_cast<size_t>(slot)]) {
        m_player->Release(slot);
        m_temporary[static_cast<size_t>(slot)] = false;
    }
}

void SoundTable::ReleaseAll()
{
    if (m_player) {
        for (int32_t slot = 0; slot < SoundPlayer::kSlots; ++slot) {
            if (m_player->HoldsSound(slot)) {
                m_player->Stop(slot);
                m_player->Release(slot);
            }
        }
    }
    m_temporary.fill(false);
    for (SoundEntry& entry : m_entries)
        entry.slot = -1;
}

} // namespace kestrava
