#include "host/core/ModuleHost.h"

#include "host/core/DLLImport.h"
#include "platform/gdi/Paths.h"

#include <exception>
#include <iostream>

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
    if (!dispatch || m_faulted.load())
        return;
    m_status.DC = m_canvas.DeviceContext();
    if (!Dispatch(dispatch, code, cells) && m_faultHandler)
        m_faultHandler();
}

bool ModuleHost::Dispatch(TDispatchMessageProc dispatch, uint32_t code, TArgCell* cells)
{
    std::string what;
    m_inTick = code == MSG_TICK;
    try {
        dispatch(code, cells);
        m_inTick = false;
        return true;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "an exception that is no std::exception";
    }
    m_inTick = false;
    // Whatever the module's data holds now is not to be trusted: it gets
    // no further message, not even MSG_STOP, until it is unloaded.
    m_faulted.store(true);
    m_faultPending = true;
    m_faultCode = code;
    m_faultWhat = what;
    std::cerr << "velomar: the module threw out of message " << code << ": " << what << '\n';
    return false;
}

bool ModuleHost::TakeFault(uint32_t& code, std::string& what)
{
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    if (!m_faultPending)
        return false;
    m_faultPending = false;
    code = m_faultCode;
    what = m_faultWhat;
    return true;
}

void ModuleHost::Bind(const std::string& modulePath)
{
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    BindModule(modulePath);
    m_faulted.store(false);
}

void ModuleHost::Unbind()
{
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    UnbindModule();
    m_faulted.store(false);
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
    // A module that throws here is left out like one that does not load;
    // the list it would join is no place to report it.
    std::lock_guard<std::mutex> lock(m_canvas.Lock());
    BindModule(modulePath);
    bool answered = false;
    if (TDispatchMessageProc dispatch = BoundDispatchMessage()) {
        const bool pending = m_faultPending;
        const uint32_t code = m_faultCode;
        std::string what = m_faultWhat;
        TArgCell cells[KESTRAVA_ARG_CELLS] = {reinterpret_cast<uintptr_t>(&info)};
        m_status.DC = m_canvas.DeviceContext();
        answered = Dispatch(dispatch, MSG_INFO, cells);
        m_faultPending = pending;
        m_faultCode = code;
        m_faultWhat = std::move(what);
    }
    UnbindModule();
    m_faulted.store(false);
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
    m_endReported.store(false);
    return true;
}

// The callbacks are called from module code: a null context or name is
// refused rather than trusted.

void ModuleHost::OnTestEndThunk(void* context)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (!host || !host->m_testEnded)
        return;
    if (!host->m_inTick) {
        std::cerr << "velomar: the module reported its end outside a tick; ignored\n";
        return;
    }
    if (host->m_endReported.exchange(true)) {
        std::cerr << "velomar: the module reported its end a second time; ignored\n";
        return;
    }
    host->m_testEnded();
}

int32_t ModuleHost::PlaySoundThunk(void* context, const TShortString* name, uint16_t volume, int16_t pan)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (!host || !name)
        return -1;
    return host->m_sounds.PlaySound(ModuleTextToUtf8(*name), volume, pan);
}

void ModuleHost::LoadSoundThunk(void* context, const TShortString* name)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (host && name)
        host->m_sounds.LoadSound(ModuleTextToUtf8(*name));
}

void ModuleHost::UnloadSoundThunk(void* context, const TShortString* name)
{
    auto* host = static_cast<ModuleHost*>(context);
    if (host && name)
        host->m_sounds.UnloadSound(ModuleTextToUtf8(*name));
}

void ModuleHost::StopSoundThunk(void* context, int32_t slot)
{
    if (auto* host = static_cast<ModuleHost*>(context))
        host->m_sounds.StopSound(slot);
}

} // namespace kestrava
