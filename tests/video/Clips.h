// What the video tests share: a scratch folder, short clips whose every
// frame is one known grey, and damaged copies of files.
#pragma once

#include "platform/video/VideoWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace kestrava::video::testing {

inline std::string CreditsVideo() { return std::string(KESTRAVA_PROGRAM_DIR) + "/FLIEGE.AVI"; }

// A folder of its own for one test, removed with everything in it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrava-video-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
        EXPECT_FALSE(m_path.empty()) << "no scratch folder";
    }
    ~ScratchDir()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The grey of frame i of a test clip: far enough apart to tell any two
// frames by one pixel after lossy coding.
inline uint8_t LevelOf(int32_t i) { return static_cast<uint8_t>(30 + 20 * (i % 10)); }

// A clip of frames frames, each one grey all over, at 25 per second.
inline void WriteClip(const std::string& path, int32_t frames, int32_t width = 64, int32_t height = 48,
                      const std::string& codec = "mpeg4")
{
    VideoFormat format;
    format.width = width;
    format.height = height;
    format.codec = codec;
    VideoWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(path, format, error)) << error;
    gdi::Bitmap frame(width, height);
    for (int32_t i = 0; i < frames; ++i) {
        const uint8_t v = LevelOf(i);
        frame.Fill(gdi::PixelOf(gdi::Rgb(v, v, v)));
        ASSERT_TRUE(writer.WriteFrame(frame, error)) << error;
    }
    ASSERT_TRUE(writer.Finish(error)) << error;
}

inline std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::vector<char> RandomBytes(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<char> bytes(count);
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

} // namespace kestrava::video::testing
