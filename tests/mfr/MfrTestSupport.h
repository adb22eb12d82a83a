// Scripted stand-ins for what the Mehrfachreaktion test takes from outside:
// random numbers in a given order, a tone output and a view that record
// what they are asked, and a scratch folder.
#pragma once

#include "modules/mfr/MfrSimulation.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrava::mfr::testing {

// Hands out the queued numbers; a bound they do not fit fails the test.
class ScriptedRandom final : public RandomSource {
public:
    void Queue(std::initializer_list<int32_t> values) { m_values.insert(m_values.end(), values); }
    int32_t Below(int32_t n) override
    {
        if (m_values.empty()) {
            ADD_FAILURE() << "no random number queued (bound " << n << ")";
            return 0;
        }
        const int32_t v = m_values.front();
        m_values.pop_front();
        EXPECT_LT(v, n);
        return v;
    }
    size_t Left() const { return m_values.size(); }

private:
    std::deque<int32_t> m_values;
};

class RecordingTones final : public ToneOutput {
public:
    void Load(Tone tone) override { log.push_back("load " + std::to_string(tone)); }
    int32_t Play(Tone tone) override
    {
        log.push_back("play " + std::to_string(tone));
        return nextSlot;
    }
    void Stop(int32_t slot) override { log.push_back("stop " + std::to_string(slot)); }
    std::vector<std::string> log;
    int32_t nextSlot = 5;
};

class RecordingView final : public MfrView {
public:
    void LoadImages() override { ++loads; }
    void Release() override { ++releases; }
    void PaintAll(const MfrState&) override { ++all; }
    void PaintLamps(const MfrState& s) override { lamps.push_back(s.Lamp * 10 + s.Answered); }
    void PaintStatus(const MfrState& s) override { outcomes.push_back(s.LastOutcome); }
    int loads = 0, releases = 0, all = 0;
    std::vector<int32_t> lamps;     // Lamp x 10 + Answered at each lamp paint
    std::vector<int32_t> outcomes;  // LastOutcome at each status paint
};

class ScratchFolder {
public:
    ScratchFolder()
    {
        static int serial = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("kestrava-mfr-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    void WriteFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_path / name, std::ios::binary) << text;
    }

private:
    std::filesystem::path m_path;
};

} // namespace kestrava::mfr::testing
