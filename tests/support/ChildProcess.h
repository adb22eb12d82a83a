// Runs a piece of a test in a child process, with a time limit and, where
// the build allows it, a limit on the address space, so that a fault that
// would hang, abort or exhaust the memory of the test program is seen as
// the child's end instead.
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRAVA_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTRAVA_TEST_SANITIZED 1
#endif
#endif

namespace kestrava::testing {

// The sanitizers reserve terabytes of address space for their shadow
// memory, so a limit on the address space cannot be set under them.
inline constexpr bool kAddressSpaceLimitUsable =
#ifdef KESTRAVA_TEST_SANITIZED
    false;
#else
    true;
#endif

// The process's address space now, in bytes.
inline uint64_t AddressSpaceInUse()
{
    unsigned long long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    return pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Runs body in a forked child that may use at most extraBytes of address
// space beyond what it starts with (0: no limit) and at most seconds of
// time. The child's exit status (body's return value) is returned; -signal
// when it died by a signal (SIGALRM when the time ran out).
inline int RunInChild(const std::function<int()>& body, unsigned seconds, uint64_t extraBytes = 0)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1000;
    if (child == 0) {
        ::alarm(seconds);
        if (extraBytes != 0) {
            const rlim_t limit = AddressSpaceInUse() + extraBytes;
            const rlimit bound{limit, limit};
            if (::setrlimit(RLIMIT_AS, &bound) != 0)
                ::_exit(120);
        }
        int status = 121;
        try {
            status = body();
        } catch (...) {
            status = 122;  // an exception the code under test let out
        }
        std::fflush(nullptr);
        ::_exit(status);
    }
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
}

} // namespace kestrava::testing
