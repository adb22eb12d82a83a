// The host's side of a running module: the shared status record, the gate
// that drops input while a test is not running, the one routine through
// which the host enters a module, and the callbacks it offers.
//
// This is the protocol part of the main window, kept free of any window
// system so that tests drive it directly.
#pragma once

#include "host/core/SoundTable.h"
#include "host/core/TestCanvas.h"
#include "protocol/MyMessages.h"

#include <atomic>
#include <functional>
#include <string>

namespace kestrava {

class ModuleHost {
public:
    explicit ModuleHost(TestCanvas& canvas);
    // The status record's address is handed to modules: the host never moves.
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    TTestStatus& Status() { return m_status; }
    const TTestStatus& Status() const { return m_status; }

    // Set while a test is being prepared, paused, awaiting the abort
    // question or over. While set only info, init, stop, resize, paint and
    // the two state messages reach the module. [any thread]
    void SetBlocked(bool blocked) { m_blocked.store(blocked); }
    bool Blocked() const { return m_blocked.load(); }

    // The only way the host calls DispatchMessage: drops the message when no
    // entry is bound, the gate is shut for it or the bound module has
    // failed, otherwise holds the canvas lock for the whole call and puts
    // the canvas's device context into DC first. An exception out of the
    // module stops at this call: the module counts as failed until the next
    // Bind or Unbind, and the fault handler hears of it. [ui-thread,
    // tick-thread]
    void SendModuleMessage(uint32_t code, TArgCell* cells);
    // The same with the cells given by value (zero-extended); unused cells
    // are zero.
    void SendModuleMessage(uint32_t code, uintptr_t cell0 = 0, uintptr_t cell1 = 0, uintptr_t cell2 = 0);

    // Binds the module at path for a test, or releases the bound one, under
    // the canvas lock: a tick already on its way into the module finishes
    // before the library goes, and a later one finds nothing bound.
    // [ui-thread]
    void Bind(const std::string& modulePath);
    void Unbind();

    // Binds the module at path just for an info query and releases it
    // again. Returns false when the path does not fit a short string or the
    // module does not load (or lacks its entry); the reply fields are then
    // left as they were. [ui-thread]
    bool QueryModuleInfo(const std::string& modulePath, TTestInfo& info);

    // Fills the status record for a test about to receive MSG_INIT: paths,
    // callbacks, ElapsedMs 0, DC, Scale and DurationMs. The input fields are
    // left as the devices left them. False when the path does not fit a
    // short string. [ui-thread]
    bool FillTestStatus(const std::string& modulePath, uint32_t durationMs, double scale);

    // What OnTestEnd does: the runner's handler. It runs on the tick thread,
    // inside the module's MSG_TICK, with the canvas lock held, so it may
    // only set flags and post work. [tick-thread]
    // Only the first OnTestEnd of a test, and only from inside MSG_TICK,
    // reaches the handler; a module that reports its end twice, or outside a
    // tick, cannot end two entries of a run or end one from another thread.
    void SetTestEndHandler(std::function<void()> handler) { m_testEnded = std::move(handler); }

    // What a module's exception does: called once per bound module, on the
    // thread of the message that threw, with the canvas lock held, so it
    // may only set flags and post work. The fault itself waits in TakeFault.
    // [ui-thread, tick-thread]
    void SetFaultHandler(std::function<void()> handler) { m_faultHandler = std::move(handler); }
    // True while the bound module has thrown: nothing more is sent to it.
    bool Faulted() const { return m_faulted.load(); }
    // Hands out a fault not yet reported (which message threw and what it
    // said) and forgets it; false when there is none. A fault survives the
    // module's Unbind, so the host can still tell the candidate. [ui-thread]
    bool TakeFault(uint32_t& code, std::string& what);

    SoundTable& Sounds() { return m_sounds; }

private:
    static void OnTestEndThunk(void* context);
    static int32_t PlaySoundThunk(void* context, const TShortString* name, uint16_t volume, int16_t pan);
    static void LoadSoundThunk(void* context, const TShortString* name);
    static void UnloadSoundThunk(void* context, const TShortString* name);
    static void StopSoundThunk(void* context, int32_t slot);

    // Calls the bound entry with the canvas lock held; false when it threw.
    bool Dispatch(TDispatchMessageProc dispatch, uint32_t code, TArgCell* cells);

    TestCanvas& m_canvas;
    TTestStatus m_status{};
    std::atomic<bool> m_blocked{false};
    std::function<void()> m_testEnded;
    std::function<void()> m_faultHandler;
    // Under the canvas lock: set while a MSG_TICK is inside the module.
    bool m_inTick = false;
    std::atomic<bool> m_endReported{false};
    std::atomic<bool> m_faulted{false};
    // Under the canvas lock: the fault not yet taken.
    bool m_faultPending = false;
    uint32_t m_faultCode = 0;
    std::string m_faultWhat;
    SoundTable m_sounds;
};

} // namespace kestrava
