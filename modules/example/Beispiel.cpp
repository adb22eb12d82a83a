// A whole test on the module kit, as small as a test can be: a field in the
// middle of the screen lights up at random moments; press Space while it
// is lit. The result is the share of lit fields caught in time.
//
// docs/MODULES.md walks through it.
#include "modules/kit/Drawing.h"
#include "modules/kit/Module.h"
#include "modules/kit/Random.h"
#include "modules/kit/Settings.h"

#include <algorithm>
#include <cstddef>

namespace {

using namespace kestrava;

// The settings file BEISPIEL.ini beside the module: key, default, range.
constexpr kit::IntKey kLitMs{"FELD", "LEUCHTET", 800, 100, 10000};  // ms the field stays lit
constexpr kit::IntKey kPauseMs{"FELD", "PAUSE", 1500, 100, 60000};  // longest dark pause, ms
constexpr kit::TestTimes kTimes{60000, 600000, 120000, 3000};

constexpr uint32_t kSpace = 32;  // virtual-key code

// Everything a resumed test needs, copied byte for byte by the host: a
// plain struct whose layout is pinned, with the random position inside.
struct BeispielState {
    uint64_t RandomState;
    uint32_t LitAt;   // ElapsedMs when the field lit up
    uint32_t NextAt;  // ElapsedMs when it lights up next
    int32_t Lit;      // 0 or 1
    int32_t Shown;    // fields that went out, caught or not
    int32_t Caught;
    int32_t Reserved;
};
static_assert(offsetof(BeispielState, RandomState) == 0);
static_assert(offsetof(BeispielState, LitAt) == 8);
static_assert(offsetof(BeispielState, Caught) == 24);
static_assert(sizeof(BeispielState) == 32, "the state block is 32 bytes");

class Beispiel final : public kit::Module {
public:
    void OnInfo(kit::Info& info) override
    {
        const kit::SettingsFile file(info.FileBeside(".ini"));
        const kit::TestTimes times = kit::ReadTestTimes(file, kTimes);
        info.Title = "Beispiel";
        info.MinDuration = times.MinDuration;
        info.MaxDuration = times.MaxDuration;
        info.DefaultDuration = times.DefaultDuration;
        info.Countdown = times.Countdown;
    }

    void OnInit(kit::Host& host) override
    {
        const kit::SettingsFile file(host.FileBeside(".ini"));
        m_litMs = static_cast<uint32_t>(file.Read(kLitMs));
        m_pauseMs = file.Read(kPauseMs);
        m_state = BeispielState{};
        m_state.RandomState = kit::ClockSeed();
        m_state.NextAt = Pause(0);
        m_screen.Attach(&host.Status());
    }

    void OnStop(kit::Host&) override { m_screen.Attach(nullptr); }
    void OnPaint(kit::Host&) override { Draw(true); }

    void OnTick(kit::Host& host) override
    {
        const uint32_t e = host.ElapsedMs();
        if (e >= host.DurationMs()) {
            const double caught = kit::ResultSheet::Percent(m_state.Caught, m_state.Shown);
            host.FinishTest(Sheet(), {kit::LocalTimestampNow(), {caught}, static_cast<int32_t>(e), caught});
        } else if (m_state.Lit && e - m_state.LitAt >= m_litMs) {
            GoOut(e, false);
        } else if (!m_state.Lit && e >= m_state.NextAt) {
            m_state.Lit = 1;
            m_state.LitAt = e;
            Draw(false);
        }
    }

    void OnKeyDown(kit::Host& host, uint32_t key) override
    {
        if (key == kSpace && m_state.Lit && !host.Ended())
            GoOut(host.ElapsedMs(), true);
    }

    kit::StateBlock State() override { return kit::BlockOf(m_state); }

    // A saved run's block is untrusted: hold every field to what a real
    // run can reach.
    void AfterRestore(kit::Host& host) override
    {
        const uint32_t e = host.ElapsedMs();
        m_state.Lit = m_state.Lit != 0 ? 1 : 0;
        m_state.LitAt = std::min(m_state.LitAt, e);
        m_state.NextAt = std::min(m_state.NextAt, e + static_cast<uint32_t>(m_pauseMs));
        m_state.Shown = std::clamp(m_state.Shown, 0, static_cast<int32_t>(e / 10 + 1));
        m_state.Caught = std::clamp(m_state.Caught, 0, m_state.Shown);
    }

private:
    static const kit::ResultSheet& Sheet()
    {
        static const kit::ResultSheet sheet("BEISPIEL", {"Rechtzeitig erkannt"});
        return sheet;
    }

    uint32_t Pause(uint32_t e) { return e + 100 + static_cast<uint32_t>(m_random.Below(m_pauseMs - 99)); }

    void GoOut(uint32_t e, bool caught)
    {
        m_state.Lit = 0;
        ++m_state.Shown;
        m_state.Caught += caught ? 1 : 0;
        m_state.NextAt = Pause(e);
        Draw(false);
    }

    // The whole screen, or only the field.
    void Draw(bool whole)
    {
        if (!m_screen.Begin())
            return;
        gdi::Canvas& canvas = m_screen.canvas;
        if (whole) {
            canvas.brush = {gdi::Rgb(0, 0, 0), gdi::BrushStyle::Solid};
            canvas.FillRect(m_screen.Area());
            canvas.brush.style = gdi::BrushStyle::Clear;
            canvas.font.family = "Arial";
            canvas.font.height = m_screen.Px(26);
            canvas.font.color = gdi::Rgb(200, 200, 200);
            m_screen.CentredText("Leertaste, sobald das Feld leuchtet", 400, 480);
        }
        canvas.brush = {m_state.Lit ? gdi::Rgb(80, 200, 90) : gdi::Rgb(40, 40, 40), gdi::BrushStyle::Solid};
        canvas.FillRect(m_screen.Pixels({325, 200, 475, 350}));
        m_screen.End();
    }

    BeispielState m_state{};
    kit::BlockRandom m_random{m_state.RandomState};
    kit::Screen m_screen;
    uint32_t m_litMs = static_cast<uint32_t>(kLitMs.Default);
    int32_t m_pauseMs = kPauseMs.Default;
};

} // namespace

KESTRAVA_MODULE(Beispiel, "BEISPIEL");
