// SIGTERM and SIGINT: the first is a note the program acts on, the second
// ends the process at once. Each case runs in a child process (a death
// test), since the handlers and their note belong to the whole process.
#include "platform/app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace kestrava::app {
namespace {

TEST(TerminationSignalsDeathTest, TheFirstSignalIsNotedTheSecondEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int first : {SIGTERM, SIGINT}) {
        EXPECT_EXIT(
            {
                InstallTerminationSignals();
                if (TerminationSignal() != 0)
                    _exit(3);
                raise(first);
                if (TerminationSignal() != first)
                    _exit(4);
                // The process is still here, and says so.
                if (write(STDERR_FILENO, "alive\n", 6) != 6)
                    _exit(5);
                raise(SIGTERM);
                _exit(6);
            },
            ::testing::KilledBySignal(SIGTERM), "alive");
    }
}

} // namespace
} // namespace kestrava::app
