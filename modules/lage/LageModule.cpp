// LAGE.TST: the kit's module frame around the session and the painter.
#include "modules/kit/Module.h"
#include "modules/lage/LagePainter.h"
#include "modules/lage/LageSession.h"

namespace {

using namespace kestrava;
using namespace kestrava::lage;

class Fluglage final : public kit::Module {
public:
    // [any message thread]
    void OnInfo(kit::Info& info) override
    {
        const LageSettings settings = ReadLageSettings(info.FileBeside(".ini"));
        info.Describe("Fluglage", settings, 30000);
    }

    void OnInit(kit::Host& host) override
    {
        const LageSettings settings = ReadLageSettings(host.FileBeside(".ini"));
        m_session.SetSettings(settings);
        m_painter.SetStatus(&host.Status());
        m_session.Init(settings.Seed != 0 ? uint64_t(uint32_t(settings.Seed)) : kit::ClockSeed());
    }
    void OnStop(kit::Host&) override { m_painter.SetStatus(nullptr); }
    void OnPaint(kit::Host&) override { m_painter.PaintAll(m_state); }
    void OnResize(kit::Host&) override { m_painter.PaintAll(m_state); }

    void OnKeyDown(kit::Host& host, uint32_t key) override
    {
        if (m_session.Key(key, host.ElapsedMs()))
            m_painter.PaintAll(m_state);
    }

    // [tick-thread] The tick that meets the duration writes the record and
    // tells the host.
    void OnTick(kit::Host& host) override
    {
        const uint32_t elapsed = host.ElapsedMs();
        switch (m_session.Tick(elapsed, host.DurationMs())) {
        case Step::Finished:
            host.FinishTest(Sheet(), MakeRecord(m_state, m_session.Settings(), elapsed, kit::LocalTimestampNow()));
            break;
        case Step::Changed: m_painter.PaintAll(m_state); break;
        case Step::Unchanged: break;
        }
    }

    kit::StateBlock State() override { return kit::BlockOf(m_state); }
    void AfterRestore(kit::Host& host) override
    {
        CorrectRestoredState(m_state, m_session.Settings(), host.ElapsedMs());
    }

private:
    LageState m_state{};
    kit::BlockRandom m_random{m_state.RandomState};
    LageSession m_session{m_state, m_random};
    LagePainter m_painter;
};

} // namespace

KESTRAVA_MODULE(Fluglage, "LAGE");
