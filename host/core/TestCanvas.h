// The canvas of the test area: the surface a module draws into and the lock
// that serialises every call into a module.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kestrava {

// The test area owns one of these. A module draws only inside a message,
// under Lock(); the user-interface thread takes the same lock while it
// copies the area to the screen. The device context is the drawing
// library's handle of the area's surface (0 until a surface is attached).
class TestCanvas {
public:
    std::mutex& Lock() { return m_lock; }
    void SetDeviceContext(uint32_t dc) { m_dc.store(dc); }
    uint32_t DeviceContext() const { return m_dc.load(); }

private:
    std::mutex m_lock;
    std::atomic<uint32_t> m_dc{0};
};

} // namespace kestrava
