// A FIFO standing where a test expects a file, and a watchdog for the
// reader that must not wait on it.
//
// A reader that opens a FIFO without a writer blocks in open() for ever. So
// that such a fault fails a test instead of hanging the suite, the watchdog
// opens the writing end after a delay and closes it again: a blocked reader
// then sees an empty file and goes on, late. Tests check the time taken.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava::testing {

class FifoInPlace {
public:
    static constexpr std::chrono::milliseconds kRelease{3000};

    explicit FifoInPlace(std::string path) : m_path(std::move(path))
    {
        ::unlink(m_path.c_str());
        m_made = ::mkfifo(m_path.c_str(), 0644) == 0;
        m_watchdog = std::thread([this] { Watch(); });
    }
    ~FifoInPlace()
    {
        m_done = true;
        m_watchdog.join();
        ::unlink(m_path.c_str());
    }
    FifoInPlace(const FifoInPlace&) = delete;
    FifoInPlace& operator=(const FifoInPlace&) = delete;

    bool Made() const { return m_made; }
    // True when a reader was found waiting and had to be released.
    bool ReleasedAReader() const { return m_released; }

private:
    void Watch()
    {
        const auto start = std::chrono::steady_clock::now();
        while (!m_done) {
            if (std::chrono::steady_clock::now() - start >= kRelease) {
                // Succeeds only while a reader holds the other end open.
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    m_released = true;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::string m_path;
    bool m_made = false;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_released{false};
    std::thread m_watchdog;
};

} // namespace kestrava::testing
