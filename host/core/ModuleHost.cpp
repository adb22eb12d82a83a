#include "host/core/ModuleHost.h"

#include "host/core/DLLImport.h"
#include "platform/gdi/Paths.h"

namespace kestrava {

ModuleHost::ModuleHost(TestCanvas& canvas)
    : m_canvas(canvas)
{
}

void ModuleHost::SendModuleMessage(uint32_t code, TArgCell* cells)
{
    const bool passesGate = code < 5 || code == MSG_RESTORESTATE || code == MSG_SAVESTATE;
    if (m_blocked.load() && !passesGate)
        return;
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    // Read under the lock that Unbind takes, so the entry cannot be
    // unloaded between this read and the call.
    TDispatchMessageProc dispatch = BoundDispatchMessage();
    if (!dispatch)
        return;
    m_status.DC = m_canvas.DeviceContext();
    dispatch(code, cells);
}

void ModuleHost::Bind(const std::string& modulePath)
{
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    BindModule(modulePath);
}

void ModuleHost::Unbind()
{
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    UnbindModule();
}

void ModuleHost::SendModuleMessage(uint32_t code, uintptr_t cell0, uintptr_t cell1, uintptr_t cell2)
{
    TArgCell cells[KESTRAVA_ARG_CELLS] = {cell0, cell1, cell2};
    SendModuleMessage(code, cells);
}

bool ModuleHost::QueryModuleInfo(const std::string& modulePath, TTestInfo& info)
{
    if (!SetShortStringUtf8(info.ModulePath, modulePath))
        return false;
    Bind(modulePath);
    const bool answered = BoundDispatchMessage() != nullptr;
    SendModuleMessage(MSG_INFO, reinterpret_cast<uintptr_t>(&info));
    Unbind();
    return answered;
}

bool ModuleHost::FillTestStatus(const std::string& modulePath, uint32_t durationMs, double scale)
{
    if (!SetShortStringUtf8(m_status.ModulePath, modulePath)
        || !SetShortStringUtf8(m_status.ModuleDir, ExtractFilePath(modulePath)))
        return false;
    m_status.OnTestEnd = {&OnTestEndThunk, this};
    m_status.PlaySound = {&PlaySoundThunk, this};
    m_status.LoadSound = {&LoadSoundThunk, this};
    m_status.UnloadSound = {&UnloadSoundThunk, this};
    m_status.StopSound = {&StopSoundThunk, this};
    m_status.ElapsedMs = 0;
    m_status.DC = m_canvas.DeviceContext();
    m_status.Scale = scale;
    m_status.DurationMs = durationMs;
    return true;
}

// The callbacks are called from module code: a null context or name is
// refused rather than trusted.

void ModuleHost::OnTestEndThunk(void* context)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (host && host->m_testEnded)
        host->m_testEnded();
}

int32_t ModuleHost::PlaySoundThunk(void* context, const TShortString* name, uint16_t volume, int16_t pan)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (!host || !name)
        return -1;
    return host->m_sounds.PlaySound(ShortStringToUtf8(*name), volume, pan);
}

void ModuleHost::LoadSoundThunk(void* context, const TShortString* name)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (host && name)
        host->m_sounds.LoadSound(ShortStringToUtf8(*name));
}

void ModuleHost::UnloadSoundThunk(void* context, const TShortString* name)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (host && name)
        host->m_sounds.UnloadSound(ShortStringToUtf8(*name));
}

void ModuleHost::StopSoundThunk(void* context, int32_t slot)
{
    if (auto* host = static_cast<ModuleHost*>(context))
        host->m_sounds.StopSound(slot);
}

} // namespace kestrava
