// Result files written byte by byte for the tests, in a temporary folder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

namespace kestrava::testing {

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrava-results-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with '/'.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Little-endian bytes of a result file, in the layout the modules write.
class ResultBytes {
public:
    // Header with part count n and the names in Windows-1252; missing names
    // are left empty, and the rest of each slot is filled with 0xCC so that
    // a reader that looks past a name's length is caught.
    explicit ResultBytes(int32_t partCount, const std::vector<std::string>& cp1252Names = {})
        : m_parts(partCount)
    {
        Int32(partCount);
        for (int32_t p = 0; p < partCount; ++p) {
            std::string slot(256, '\xCC');
            const std::string name = static_cast<size_t>(p) < cp1252Names.size() ? cp1252Names[static_cast<size_t>(p)] : "";
            slot[0] = static_cast<char>(name.size());
            slot.replace(1, name.size(), name);
            m_bytes += slot;
        }
    }

    // One record; parts shorter than the part count are padded with 0.0.
    ResultBytes& Record(double timestamp, int32_t durationMs, double overall, std::vector<double> parts = {})
    {
        // A negative count writes records without parts.
        parts.resize(static_cast<size_t>(std::max(m_parts, 0)), 0.0);
        Float64(timestamp);
        for (double part : parts)
            Float64(part);
        Int32(durationMs);
        m_bytes += "\xEE\xEE\xEE\xEE";  // reserved, never read
        Float64(overall);
        return *this;
    }

    ResultBytes& Raw(const std::string& bytes)
    {
        m_bytes += bytes;
        return *this;
    }

    const std::string& Bytes() const { return m_bytes; }

    void WriteTo(const std::string& path) const { WriteFileBytes(path, m_bytes); }

    static void WriteFileBytes(const std::string& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    static std::string Int32Bytes(int32_t value)
    {
        std::string out;
        const auto v = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            out += static_cast<char>((v >> shift) & 0xFF);
        return out;
    }

private:
    void Int32(int32_t value) { m_bytes += Int32Bytes(value); }
    void Float64(double value)
    {
        uint64_t v = 0;
        std::memcpy(&v, &value, sizeof v);
        for (int shift = 0; shift < 64; shift += 8)
            m_bytes += static_cast<char>((v >> shift) & 0xFF);
    }

    int32_t m_parts;
    std::string m_bytes;
};

} // namespace kestrava::testing
