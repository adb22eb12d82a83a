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
        // A new slot is temporary: the player frees it when the sound ends.
        slot = m_player->AddSound(entry->path);
        if (!ValidSlot(slot))
            return -1;
    } else {
        m_player->SetTemporary(slot, false);
    }
    const double scaled = std::nearbyint(double(volume) / 65535.0 * double(MasterVolume()));
    m_player->Start(slot, pan, static_cast<uint16_t>(scaled), false);
    return slot;
}

void SoundTable::LoadSound(const std::string& name)
{
    SoundEntry* entry = Find(name);
    if (!entry || !m_player || entry->slot != -1)
        return;
    const int32_t slot = m_player->AddSound(entry->path);
    if (!ValidSlot(slot))
        return;
    // Loaded ahead of use, the slot stays until unloaded.
    m_player->SetTemporary(slot, false);
    entry->slot = slot;
}

void SoundTable::UnloadSound(const std::string& name)
{
    SoundEntry* entry = Find(name);
    if (!entry || entry->slot == -1)
        return;
    if (m_player && ValidSlot(entry->slot))
        m_player->FreeSound(entry->slot);
    entry->slot = -1;
}

void SoundTable::StopSound(int32_t slot)
{
    // The player frees a temporary slot as it stops it, in one step.
    if (m_player && ValidSlot(slot))
        m_player->StopSound(slot);
}

void SoundTable::ReleaseAll()
{
    if (m_player)
        for (int32_t slot = 0; slot < SoundPlayer::kSlots; ++slot)
            m_player->FreeSound(slot);
    for (SoundEntry& entry : m_entries)
        entry.slot = -1;
}

} // namespace kestrava
