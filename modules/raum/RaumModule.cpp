// RAUM.TST: the kit's module frame around the simulation.
#include "modules/kit/Module.h"
#include "modules/raum/RaumPainter.h"
#include "modules/raum/RaumSimulation.h"

namespace {

using namespace kestrava;
using namespace kestrava::raum;

class Raumvorstellung final : public kit::Module {
public:
    void OnInfo(kit::Info& info) override
    {
        m_settings = ReadRaumSettings(info.FileBeside(".ini"));
        info.Title = "Raumvorstellung";
        info.MinDuration = m_settings.MinDuration;
        info.MaxDuration = m_settings.MaxDuration;
        info.DurationStep = 30000;
        info.DefaultDuration = m_settings.DefaultDuration;
        info.Countdown = m_settings.Countdown;
    }

    void OnInit(kit::Host& host) override
    {
        m_settings = ReadRaumSettings(host.FileBeside(".ini"));
        m_painter.SetStatus(&host.Status());
        m_simulation.SetView(&m_painter);
        m_simulation.Init(m_settings.Seed != 0 ? static_cast<uint64_t>(static_cast<uint32_t>(m_settings.Seed))
                                               : kit::ClockSeed());
    }

    void OnStop(kit::Host&) override
    {
        m_simulation.SetView(nullptr);
        m_painter.SetStatus(nullptr);
    }

    void OnResize(kit::Host& host) override { m_simulation.Paint(host.ElapsedMs()); }
    void OnPaint(kit::Host& host) override { m_simulation.Paint(host.ElapsedMs()); }
    void OnKeyDown(kit::Host& host, uint32_t key) override { m_simulation.KeyDown(key, host.ElapsedMs()); }

    void OnTick(kit::Host& host) override
    {
        const uint32_t e = host.ElapsedMs();
        if (m_simulation.Tick(e, host.DurationMs()) == TickOutcome::Finished)
            host.FinishTest(Sheet(), MakeResultRecord(m_state, m_settings, e, kit::LocalTimestampNow()));
    }

    kit::StateBlock State() override { return kit::BlockOf(m_state); }
    void AfterRestore(kit::Host& host) override
    {
        CorrectRestoredState(m_state, m_settings, host.ElapsedMs());
        m_simulation.Restored();
    }

private:
    RaumSettings m_settings;
    RaumState m_state{};
    RaumSimulation m_simulation{m_state, m_settings};
    RaumPainter m_painter{m_settings};
};

} // namespace

KESTRAVA_MODULE(Raumvorstellung, "RAUM");
