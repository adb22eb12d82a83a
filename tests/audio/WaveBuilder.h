// Builds RIFF/WAVE files byte by byte for the tests, hostile ones included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <string>
#include <vector>

namespace kestrava::audio::testing {

struct WaveBytes {
    std::vector<uint8_t> bytes;

    void Id(const char* id) { bytes.insert(bytes.end(), id, id + 4); }
    void U16(uint32_t v)
    {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Header() { Id("RIFF"), U32(0), Id("WAVE"); }
    void Format(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1, uint32_t size = 16)
    {
        Id("fmt "), U32(size), U16(tag), U16(channels), U32(rate);
        U32(rate * channels * bits / 8), U16(uint32_t(channels) * bits / 8), U16(bits);
        for (uint32_t i = 16; i < size; ++i)
            bytes.push_back(0);
    }
    void Data16(const std::vector<int16_t>& samples)
    {
        Id("data"), U32(uint32_t(samples.size() * 2));
        for (int16_t s : samples)
            U16(uint16_t(s));
    }
    void Data8(const std::vector<uint8_t>& samples)
    {
        Id("data"), U32(uint32_t(samples.size()));
        bytes.insert(bytes.end(), samples.begin(), samples.end());
        if (samples.size() % 2)
            bytes.push_back(0); // the pad byte
    }
    void Write(const std::filesystem::path& path) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
};

inline std::filesystem::path WriteWave(const std::filesystem::path& path, uint16_t channels, uint32_t rate,
                                       const std::vector<int16_t>& samples)
{
    WaveBytes w;
    w.Header();
    w.Format(channels, rate, 16);
    w.Data16(samples);
    w.Write(path);
    return path;
}

// A folder of its own under the system's temporary folder, removed after.
struct TempFolder {
    TempFolder()
    {
        root = std::filesystem::temp_directory_path() /
               ("kestrava-audio-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(root);
    }
    ~TempFolder() { std::filesystem::remove_all(root); }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
    std::filesystem::path root;
};

// Work posted to "the user-interface thread", run when the test says.
struct PostQueue {
    std::vector<std::function<void()>> pending;
    std::function<void(std::function<void()>)> Poster()
    {
        return [this](std::function<void()> fn) { pending.push_back(std::move(fn)); };
    }
    void Run()
    {
        while (!pending.empty()) {
            auto now = std::move(pending);
            pending.clear();
            for (auto& fn : now)
                fn();
        }
    }
};

} // namespace kestrava::audio::testing
