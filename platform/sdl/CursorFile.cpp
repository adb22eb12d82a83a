// The cursor file decoder; see CursorFile.h for what it covers and lacks.
#include "platform/sdl/CursorFile.h"

#include "platform/gdi/FileAccess.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace kestrava::sdl {

namespace {

// Cursors are small; the limits keep a hostile header from making us
// allocate gigabytes before the size checks catch up with it.
constexpr uint32_t kMaxSide = 256;
constexpr uint32_t kMaxFrames = 1024;
constexpr uint32_t kMaxSteps = 4096;

using Bytes = std::span<const uint8_t>;

uint16_t U16(Bytes b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t U32(Bytes b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
bool Tag(Bytes b, size_t at, const char* tag) { return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0; }

bool Fail(std::string& error, const char* why)
{
    error = why;
    return false;
}

// One image of an icon directory: BITMAPINFOHEADER, palette, XOR bitmap,
// AND mask, all bottom-up with rows padded to 4 bytes.
bool DecodeDib(Bytes b, gdi::Bitmap& out, std::string& error)
{
    static constexpr uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
    if (b.size() >= 4 && std::memcmp(b.data(), kPng, 4) == 0)
        return Fail(error, "PNG cursor images are not supported");
    if (b.size() < 40)
        return Fail(error, "image header truncated");
    uint32_t headerSize = U32(b, 0);
    auto width = int32_t(U32(b, 4));
    auto doubleHeight = int32_t(U32(b, 8));
    uint16_t bits = U16(b, 14);
    uint32_t compression = U32(b, 16);
    uint32_t colorsUsed = U32(b, 32);
    if (headerSize < 40 || headerSize > b.size())
        return Fail(error, "bad image header size");
    // The stored height covers the colour bitmap and the mask together.
    if (width <= 0 || doubleHeight <= 0 || doubleHeight % 2 != 0 || uint32_t(width) > kMaxSide ||
        uint32_t(doubleHeight / 2) > kMaxSide)
        return Fail(error, "bad image size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return Fail(error, "unsupported bits per pixel");
    if (compression != 0)
        return Fail(error, "compressed cursor images are not supported");
    auto w = uint32_t(width);
    auto h = uint32_t(doubleHeight / 2);

    size_t at = headerSize;
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        uint32_t full = 1u << bits;
        uint32_t count = colorsUsed == 0 ? full : colorsUsed;
        if (count > full)
            return Fail(error, "palette too large");
        if (b.size() - at < size_t(count) * 4)
            return Fail(error, "palette truncated");
        for (uint32_t i = 0; i < count; ++i)
            palette.push_back(U32(b, at + i * 4) & 0x00FFFFFFu);
        palette.resize(full, 0);
        at += size_t(count) * 4;
    }

    size_t xorStride = (size_t(w) * bits + 31) / 32 * 4;
    size_t andStride = (size_t(w) + 31) / 32 * 4;
    size_t xorSize = xorStride * h;
    if (b.size() - at < xorSize)
        return Fail(error, "colour bitmap truncated");
    Bytes xorBits = b.subspan(at, xorSize);
    at += xorSize;
    // A 32-bit image with real alpha needs no mask, and some writers leave
    // it out; every other image must carry it.
    bool haveMask = b.size() - at >= andStride * h;
    Bytes andBits = haveMask ? b.subspan(at, andStride * h) : Bytes{};

    gdi::Bitmap img{int32_t(w), int32_t(h)};
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h; ++y) {
        Bytes row = xorBits.subspan(size_t(h - 1 - y) * xorStride, xorStride);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t rgb = 0;
            uint32_t alpha = 255;
            switch (bits) {
            case 1: rgb = palette[(uint32_t(row[x / 8]) >> (7 - x % 8)) & 1u]; break;
            case 4: rgb = palette[(uint32_t(row[x / 2]) >> (x % 2 == 0 ? 4u : 0u)) & 0xFu]; break;
            case 8: rgb = palette[row[x]]; break;
            case 24: rgb = uint32_t(row[x * 3]) | uint32_t(row[x * 3 + 1]) << 8 | uint32_t(row[x * 3 + 2]) << 16; break;
            default: {
                uint32_t v = U32(row, size_t(x) * 4);
                rgb = v & 0x00FFFFFFu;
                alpha = v >> 24;
                anyAlpha = anyAlpha || alpha != 0;
            }
            }
            // Palette entries and 24/32-bit pixels are stored B, G, R, as
            // our pixels are.
            img.SetPixel(int32_t(x), int32_t(y), rgb | alpha << 24);
        }
    }
    if (bits == 32 && anyAlpha) {
        out = std::move(img);
        return true;
    }
    if (!haveMask)
        return Fail(error, "mask truncated");
    for (uint32_t y = 0; y < h; ++y) {
        Bytes row = andBits.subspan(size_t(h - 1 - y) * andStride, andStride);
        for (uint32_t x = 0; x < w; ++x) {
            bool clear = ((uint32_t(row[x / 8]) >> (7 - x % 8)) & 1u) != 0;
            gdi::Pixel p = img.GetPixel(int32_t(x), int32_t(y)) & 0x00FFFFFFu;
            img.SetPixel(int32_t(x), int32_t(y), clear ? p : p | 0xFF000000u);
        }
    }
    out = std::move(img);
    return true;
}

// An icon directory (.CUR or .ICO): the first image is the cursor.
bool DecodeIconDirectory(Bytes b, CursorFrame& frame, std::string& error)
{
    if (b.size() < 6)
        return Fail(error, "icon directory truncated");
    uint16_t type = U16(b, 2);
    uint16_t count = U16(b, 4);
    if (U16(b, 0) != 0 || (type != 1 && type != 2))
        return Fail(error, "not a cursor or icon file");
    if (count == 0)
        return Fail(error, "cursor file holds no image");
    if (b.size() < 6 + 16)
        return Fail(error, "icon directory truncated");
    uint32_t size = U32(b, 6 + 8);
    uint32_t offset = U32(b, 6 + 12);
    if (offset > b.size() || size > b.size() - offset)
        return Fail(error, "image lies outside the file");
    if (!DecodeDib(b.subspan(offset, size), frame.image, error))
        return false;
    // Icons have no hotspot; the fields hold planes and depth instead.
    frame.hotX = type == 2 ? U16(b, 6 + 4) : 0;
    frame.hotY = type == 2 ? U16(b, 6 + 6) : 0;
    if (frame.hotX >= frame.image.Width() || frame.hotY >= frame.image.Height())
        return Fail(error, "hotspot outside the image");
    return true;
}

// Splits a run of RIFF chunks (id, length, data padded to an even size).
bool ReadChunks(Bytes b, std::vector<std::pair<std::string, Bytes>>& chunks, std::string& error)
{
    size_t at = 0;
    while (at < b.size()) {
        if (b.size() - at < 8)
            return Fail(error, "chunk header truncated");
        std::string id(reinterpret_cast<const char*>(b.data() + at), 4);
        uint32_t length = U32(b, at + 4);
        at += 8;
        if (length > b.size() - at)
            return Fail(error, "chunk truncated");
        chunks.emplace_back(id, b.subspan(at, length));
        at += length;
        at += length % 2;
        if (at > b.size())
            at = b.size(); // a missing pad byte after the last chunk is common
    }
    return true;
}

bool DecodeAni(Bytes b, CursorImage& image, std::string& error)
{
    if (!Tag(b, 8, "ACON"))
        return Fail(error, "RIFF file is not an animated cursor");
    uint32_t riffLength = U32(b, 4);
    if (riffLength < 4 || riffLength > b.size() - 8)
        return Fail(error, "animated cursor truncated");
    std::vector<std::pair<std::string, Bytes>> chunks;
    if (!ReadChunks(b.subspan(12, riffLength - 4), chunks, error))
        return false;

    bool haveHeader = false;
    uint32_t frameCount = 0, stepCount = 0, defaultRate = 0, flags = 0;
    std::vector<uint32_t> rates, sequence;
    std::vector<Bytes> icons;
    for (auto& [id, data] : chunks) {
        if (id == "anih") {
            if (data.size() < 36)
                return Fail(error, "animation header truncated");
            frameCount = U32(data, 4);
            stepCount = U32(data, 8);
            defaultRate = U32(data, 28);
            flags = U32(data, 32);
            haveHeader = true;
        } else if (id == "rate" || id == "seq ") {
            auto& list = id == "rate" ? rates : sequence;
            list.clear();
            for (size_t i = 0; i + 4 <= data.size() && list.size() < kMaxSteps; i += 4)
                list.push_back(U32(data, i));
        } else if (id == "LIST" && Tag(data, 0, "fram")) {
            std::vector<std::pair<std::string, Bytes>> inner;
            if (!ReadChunks(data.subspan(4), inner, error))
                return false;
            for (auto& [innerId, innerData] : inner)
                if (innerId == "icon")
                    icons.push_back(innerData);
        }
    }
    if (!haveHeader)
        return Fail(error, "animation header missing");
    if ((flags & 1u) == 0)
        return Fail(error, "animated cursors of raw bitmaps are not supported");
    if (frameCount == 0 || frameCount > kMaxFrames || icons.size() < frameCount)
        return Fail(error, "frame count does not match the frames present");
    // Without a sequence the steps are the frames in order.
    if ((flags & 2u) == 0)
        stepCount = frameCount;
    if (stepCount == 0 || stepCount > kMaxSteps)
        return Fail(error, "bad step count");
    if ((flags & 2u) != 0 && sequence.size() < stepCount)
        return Fail(error, "sequence shorter than the step count");
    if (!rates.empty() && rates.size() < stepCount)
        return Fail(error, "rate list shorter than the step count");

    CursorImage result;
    result.frames.resize(frameCount);
    for (uint32_t i = 0; i < frameCount; ++i)
        if (!DecodeIconDirectory(icons[i], result.frames[i], error))
            return false;
    for (uint32_t i = 0; i < stepCount; ++i) {
        CursorStep step;
        step.frame = (flags & 2u) != 0 ? sequence[i] : i;
        if (step.frame >= frameCount)
            return Fail(error, "sequence names a frame that does not exist");
        step.jiffies = rates.empty() ? defaultRate : rates[i];
        // A zero rate would spin; the system shows such a step for one jiffy.
        if (step.jiffies == 0)
            step.jiffies = 1;
        result.steps.push_back(step);
    }
    image = std::move(result);
    return true;
}

} // namespace

bool DecodeCursor(const std::vector<uint8_t>& bytes, CursorImage& image, std::string& error)
{
    image = {};
    Bytes b(bytes);
    if (Tag(b, 0, "RIFF"))
        return DecodeAni(b, image, error);
    CursorImage still;
    still.frames.resize(1);
    if (!DecodeIconDirectory(b, still.frames[0], error))
        return false;
    still.steps.push_back({0, 0});
    image = std::move(still);
    return true;
}

namespace {

uint64_t StepMs(const CursorStep& step) { return std::max<uint64_t>(1, (uint64_t(step.jiffies) * 1000 + 30) / 60); }

} // namespace

CursorAnimation::CursorAnimation(std::vector<CursorStep> steps, uint64_t startMs) : m_steps(std::move(steps))
{
    if (!m_steps.empty())
        m_stepEnds = startMs + StepMs(m_steps[0]);
}

bool CursorAnimation::Advance(uint64_t nowMs)
{
    if (!Animated() || nowMs < m_stepEnds)
        return false;
    const uint32_t before = Frame();
    uint64_t cycle = 0;
    for (const CursorStep& step : m_steps)
        cycle += StepMs(step);
    // Whole cycles missed during a stall change nothing; drop them at once.
    const uint64_t late = nowMs - m_stepEnds;
    m_stepEnds += late / cycle * cycle;
    while (nowMs >= m_stepEnds) {
        m_step = (m_step + 1) % m_steps.size();
        m_stepEnds += StepMs(m_steps[m_step]);
    }
    return Frame() != before;
}

bool LoadCursor(const std::string& path, CursorImage& image, std::string& error)
{
    image = {};
    // Cursors are small; a file beyond this bound is refused before
    // anything is allocated for it.
    constexpr uint64_t kMaxCursorFileSize = uint64_t{16} << 20;
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadRegularFile(path, kMaxCursorFileSize, bytes, why)) {
        error = "cannot read the cursor file: " + why;
        return false;
    }
    return DecodeCursor(bytes, image, error);
}

} // namespace kestrava::sdl
