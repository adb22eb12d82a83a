// MFR.TST: the kit's module frame around the simulation. The tones go to the
// host's sound service by name.
#include "modules/kit/Module.h"
#include "modules/mfr/MfrPainter.h"
#include "modules/mfr/MfrResult.h"
#include "modules/mfr/MfrSettings.h"
#include "modules/mfr/MfrSimulation.h"
#include "modules/mfr/MfrState.h"

#include <optional>

namespace {

using namespace kestrava;
using namespace kestrava::mfr;

// The tones by the names the host gives the WAV files beside the module:
// the upper-case file name without its extension.
class HostTones final : public ToneOutput {
public:
    explicit HostTones(kit::Host& host) : m_host(host) {}
    void Load(Tone tone) override { m_host.LoadSound(Name(tone)); }
    int32_t Play(Tone tone) override { return m_host.PlaySound(Name(tone), m_volume); }
    void Stop(int32_t slot) override { m_host.StopSound(slot); }
    void SetVolume(int32_t volume) { m_volume = static_cast<uint16_t>(volume); }

private:
    static const char* Name(Tone tone) { return tone == kToneHigh ? "MFRHOCH" : "MFRTIEF"; }
    kit::Host& m_host;
    uint16_t m_volume = 65535;
};

class Mehrfachreaktion final : public kit::Module {
public:
    // [any message thread] Reads the settings beside the module and answers.
    void OnInfo(kit::Info& info) override
    {
        const MfrSettings settings = ReadMfrSettings(info.FileBeside(".ini"));
        m_simulation.SetSettings(settings);
        info.Describe("Mehrfachreaktion", settings, 30000);
    }

    void OnInit(kit::Host& host) override
    {
        const MfrSettings settings = ReadMfrSettings(host.FileBeside(".ini"));
        m_simulation.SetSettings(settings);
        m_tones.emplace(host);
        m_tones->SetVolume(settings.Volume);
        m_painter.SetStatus(&host.Status());
        m_simulation.SetView(&m_painter);
        m_simulation.SetTones(&*m_tones);
        m_simulation.Init(settings.Seed != 0 ? static_cast<uint64_t>(static_cast<uint32_t>(settings.Seed))
                                             : ClockSeed());
    }

    void OnStop(kit::Host&) override
    {
        m_simulation.Stop();
        m_simulation.SetTones(nullptr);
        m_painter.SetStatus(nullptr);
    }

    void OnResize(kit::Host&) override { m_simulation.Resize(); }
    void OnPaint(kit::Host&) override { m_simulation.Paint(); }
    void OnKeyDown(kit::Host& host, uint32_t key) override { m_simulation.KeyDown(key, host.ElapsedMs()); }
    void OnSoundEnd(kit::Host&, int32_t slot) override { m_simulation.SoundEnded(slot); }

    // [tick-thread] The tick that meets the duration writes the record and
    // tells the host.
    void OnTick(kit::Host& host) override
    {
        const uint32_t elapsed = host.ElapsedMs();
        if (m_simulation.Tick(elapsed, host.DurationMs()) == TickOutcome::Finished)
            host.FinishTest(Sheet(), Bytes(MakeResultRecord(m_state, m_simulation.Settings(), elapsed,
                                                            LocalTimestampNow())));
    }

    kit::StateBlock State() override { return kit::BlockOf(m_state); }
    // Whatever tone this binding started belongs to the test the restored
    // block replaces.
    void BeforeRestore(kit::Host&) override { m_simulation.Restored(); }
    void AfterRestore(kit::Host& host) override
    {
        CorrectRestoredState(m_state, m_simulation.Settings(), host.ElapsedMs());
    }

private:
    MfrState m_state{};
    BlockRandom m_random{m_state.RandomState};
    MfrSimulation m_simulation{m_state, m_random};
    MfrPainter m_painter{m_simulation.Settings()};
    std::optional<HostTones> m_tones;
};

} // namespace

KESTRAVA_MODULE(Mehrfachreaktion, "MFR");
