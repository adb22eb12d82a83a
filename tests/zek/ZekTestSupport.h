// Deterministic stand-ins for the simulation's random source, clock and
// view, and a rig that wires them to a fresh state block.
#pragma once

#include "modules/zek/ZekSimulation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <stdexcept>
#include <vector>

namespace kestrava::zek::testing {

// Returns queued values first, then n / 2: with the default settings that
// is never 0 for the light and task draws (no random events) and 100 for
// the heading draws (no turn), so a target runs straight.
class ScriptedRandom final : public RandomSource {
public:
    void Push(std::initializer_list<int32_t> values) { queued.insert(queued.end(), values); }
    int32_t Below(int32_t n) override
    {
        bounds.push_back(n);
        if (queued.empty())
            return n > 0 ? n / 2 : 0;
        const int32_t value = queued.front();
        queued.pop_front();
        EXPECT_TRUE(value >= 0 && value < n) << "scripted " << value << " for Below(" << n << ")";
        return value;
    }

    std::deque<int32_t> queued;
    std::vector<int32_t> bounds;  // every n asked for, in order
};

class ManualClock final : public MillisecondClock {
public:
    uint32_t NowMs() override { return now; }
    uint32_t now = 0;
};

// Counts the drawing requests; a paint of the tracking fields takes
// fieldPaintMs on the manual clock.
class RecordingView final : public ZekView {
public:
    explicit RecordingView(ManualClock& clock) : m_clock(clock) {}
    void LoadImages() override { ++loads; }
    void Release() override { ++releases; }
    void PaintAll(const ZekState&) override { ++full; }
    void PaintTrackingFields(const ZekState&) override
    {
        ++fields;
        m_clock.now += fieldPaintMs;
    }
    void PaintLights(const ZekState&) override { ++lights; }
    void PaintArithmetic(const ZekState&) override { ++arithmetic; }

    int loads = 0, releases = 0, full = 0, fields = 0, lights = 0, arithmetic = 0;
    uint32_t fieldPaintMs = 0;

private:
    ManualClock& m_clock;
};

// A folder of its own for one test, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zek-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch folder");
        m_path = pattern;
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_path / name, std::ios::binary) << text;
        return File(name);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

struct Rig {
    explicit Rig(const ZekSettings& settings = {})
    {
        sim.SetSettings(settings);
        sim.SetView(&view);
        sim.Init();
    }
    // Ticks every 10 ms from `from` to `to`, both included.
    void TickThrough(uint32_t from, uint32_t to, uint32_t duration = 0xFFFFFFF0u)
    {
        for (uint32_t e = from; e <= to; e += 10)
            sim.Tick(e, duration, joysticks);
    }
    // Runs one step at e that shows a task of the given kind (1-7) drawn
    // from the given numbers (the raw draws, in draw order).
    void ShowTask(uint32_t e, int32_t kind, std::initializer_list<int32_t> draws)
    {
        random.Push({1, 0, kind - 1});
        random.Push(draws);
        sim.SimulationStep(e, joysticks);
    }
    std::string Task() const { return std::string(ShortStringView(state.TaskText)); }
    std::string Answer() const { return std::string(ShortStringView(state.AnswerText)); }

    ZekState state{};
    ScriptedRandom random;
    ManualClock clock;
    RecordingView view{clock};
    ZekSimulation sim{state, random, clock};
    Joysticks joysticks;
};

} // namespace kestrava::zek::testing
