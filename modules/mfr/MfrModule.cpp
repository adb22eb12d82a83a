// MFR.TST's only export. It unpacks the host's argument block and forwards
// to the simulation; the tones go to the host's sound service by name.
//
// The state lives in globals: the host loads the module afresh for every
// test and never enters it from two threads at once (it holds the test
// area's lock for the whole call), so one test per process and no locking.
#include "modules/mfr/MfrPainter.h"
#include "modules/mfr/MfrResult.h"
#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrSimulation.h"
#include "modules/mfr/MfrSources.h"
#include "modules/mfr/MfrState.h"
#include "platform/gdi/Paths.h"
#include "protocol/MyMessages.h"

#include <cstdio>
#include <exception>
#include <type_traits>

namespace {

using namespace kestrava::mfr;

// The host's status record from MSG_INIT until MSG_STOP; the host keeps it
// alive that long and never moves it.
const TTestStatus* g_status = nullptr;
// The host has been told where the block is (MSG_RESTORESTATE) and may
// have copied a saved one in; it is checked before anything uses it.
bool g_restored = false;

// The tones by the names the host gives the WAV files beside the module:
// the upper-case file name without its extension.
class HostTones final : public ToneOutput {
public:
    void Load(Tone tone) override
    {
        if (g_status && g_status->LoadSound.Code)
            g_status->LoadSound.Code(g_status->LoadSound.Context, &Name(tone));
    }
    int32_t Play(Tone tone) override
    {
        if (!g_status || !g_status->PlaySound.Code)
            return -1;
        return g_status->PlaySound.Code(g_status->PlaySound.Context, &Name(tone),
                                        static_cast<uint16_t>(m_volume), 0);
    }
    void Stop(int32_t slot) override
    {
        if (g_status && g_status->StopSound.Code)
            g_status->StopSound.Code(g_status->StopSound.Context, slot);
    }
    void SetVolume(int32_t volume) { m_volume = volume; }

private:
    static const TShortString& Name(Tone tone)
    {
        static const TShortString high = Make("MFRHOCH");
        static const TShortString low = Make("MFRTIEF");
        return tone == kToneHigh ? high : low;
    }
    static TShortString Make(const char* text)
    {
        TShortString s{};
        kestrava::SetShortString(s, text);
        return s;
    }
    int32_t m_volume = 65535;
};

MfrState g_state;
BlockRandom g_random(g_state.RandomState);
HostTones g_tones;
MfrSimulation g_simulation(g_state, g_random);
MfrPainter g_painter(g_simulation.Settings());

MfrSettings SettingsBeside(const TShortString& modulePath)
{
    return ReadMfrSettings(kestrava::ChangeFileExt(kestrava::ShortStringToUtf8(modulePath), ".ini"));
}

// [any message thread] Reads the settings beside the module and answers.
void OnInfo(TTestInfo& info)
{
    const MfrSettings settings = SettingsBeside(info.ModulePath);
    g_simulation.SetSettings(settings);
    kestrava::SetShortString(info.Title, "Mehrfachreaktion");
    info.KeepsResults = 1;
    info.MinDuration = settings.MinDuration;
    info.MaxDuration = settings.MaxDuration;
    info.DurationStep = 30000;
    info.DefaultDuration = settings.DefaultDuration;
    info.Countdown = settings.Countdown;
}

// [ui-thread]
void OnInit(const TTestStatus& status)
{
    g_status = &status;
    const MfrSettings settings = SettingsBeside(status.ModulePath);
    g_simulation.SetSettings(settings);
    g_tones.SetVolume(settings.Volume);
    g_painter.SetStatus(&status);
    g_simulation.SetView(&g_painter);
    g_simulation.SetTones(&g_tones);
    g_simulation.Init(settings.Seed != 0 ? static_cast<uint64_t>(static_cast<uint32_t>(settings.Seed)) : ClockSeed());
}

// [tick-thread] The tick that meets the duration writes the record and
// tells the host; OnTestEnd is called from inside this message.
void OnTick(const TTestStatus& status)
{
    const uint32_t elapsed = status.ElapsedMs;
    if (g_simulation.Tick(elapsed, status.DurationMs) != TickOutcome::Finished)
        return;
    // Nothing between here and OnTestEnd may throw past it: a test whose
    // end is never reported leaves the host waiting for good.
    std::string resultPath;
    try {
        const std::string modulePath = kestrava::ShortStringToUtf8(status.ModulePath);
        if (!modulePath.empty())
            resultPath = kestrava::ChangeFileExt(modulePath, ".RLT");
    } catch (const std::exception&) {
        resultPath.clear();
    }
    AppendResult(resultPath, MakeResultRecord(g_state, g_simulation.Settings(), elapsed, LocalTimestampNow()),
                 status.OnTestEnd);
}

void NameStateBlock(TArgCell* cells)
{
    cells[0] = reinterpret_cast<TArgCell>(&g_state);
    cells[1] = sizeof g_state;
}

void Dispatch(uint32_t code, TArgCell* cells)
{
    if (g_restored && g_status && code != MSG_RESTORESTATE && code != MSG_SAVESTATE) {
        g_restored = false;
        CorrectRestoredState(g_state, g_simulation.Settings(), g_status->ElapsedMs);
    }
    switch (code) {
    case MSG_INFO:
        if (auto* info = reinterpret_cast<TTestInfo*>(cells[0]))
            OnInfo(*info);
        break;
    case MSG_INIT:
        if (auto* status = reinterpret_cast<const TTestStatus*>(cells[0])) {
            g_restored = false;
            OnInit(*status);
        }
        break;
    case MSG_STOP:
        g_simulation.Stop();
        g_simulation.SetTones(nullptr);
        g_painter.SetStatus(nullptr);
        g_status = nullptr;
        break;
    case MSG_RESIZE:
        if (g_status)
            g_simulation.Resize();
        break;
    case MSG_PAINT:
        if (g_status)
            g_simulation.Paint();
        break;
    case MSG_KEYDOWN:
        if (g_status && cells[0] <= 0xFF)
            g_simulation.KeyDown(static_cast<uint32_t>(cells[0]), g_status->ElapsedMs);
        break;
    case MSG_TICK:
        if (g_status)
            OnTick(*g_status);
        break;
    case MSG_SOUNDEND:
        // Slots are 0 to 15; a cell beyond int32 names none of ours.
        if (cells[0] <= 0x7FFFFFFF)
            g_simulation.SoundEnded(static_cast<int32_t>(cells[0]));
        break;
    case MSG_RESTORESTATE:
        // The host overwrites the block after this call; whatever tone this
        // binding started belongs to the test it replaces.
        g_simulation.Restored();
        g_restored = true;
        NameStateBlock(cells);
        break;
    case MSG_SAVESTATE:
        NameStateBlock(cells);
        break;
    default:
        break;
    }
}

} // namespace

// The host's calls arrive here: [ui-thread] for everything but MSG_TICK,
// which comes on [tick-thread]; never two at once. An exception escaping
// into the host would end it, so every failure stops at this line and is
// reported on stderr.
extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    if (!cells)
        return;
    try {
        Dispatch(code, cells);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MFR: message %u failed: %s\n", code, e.what());
    } catch (...) {
        std::fprintf(stderr, "MFR: message %u failed\n", code);
    }
}

static_assert(std::is_same_v<decltype(&DispatchMessage), TDispatchMessageProc>,
              "the export must match the protocol's entry type");
