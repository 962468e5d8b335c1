// Memory warnings: low memory warns when it falls below the line, SIGUSR2
// warns at any time, and both only wake the pipe the main loop watches.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include "platform/MemoryWarnings.h"

namespace nestora::platform {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;

bool readable(const MemoryWarnings& warnings) {
    pollfd fd{warnings.fileDescriptor(), POLLIN, 0};
    return ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLIN) != 0;
}

TEST(PlatformMemoryWarnings, LowMemoryWarnsWhenItFallsBelowTheLine) {
    MemoryWarnings warnings;
    ASSERT_TRUE(warnings.isListening());
    warnings.noteFreeMemory(64 * kMB);
    warnings.noteFreeMemory(12 * kMB);  // 12 MB is not below 12 MB
    EXPECT_FALSE(readable(warnings));
    EXPECT_FALSE(warnings.takeWarnings());

    warnings.noteFreeMemory(12 * kMB - 1);
    EXPECT_TRUE(readable(warnings));
    // Staying low does not warn on every tick.
    warnings.noteFreeMemory(8 * kMB);
    warnings.noteFreeMemory(9 * kMB);
    EXPECT_TRUE(warnings.takeWarnings());
    EXPECT_FALSE(readable(warnings));
    warnings.noteFreeMemory(10 * kMB);
    EXPECT_FALSE(warnings.takeWarnings());
    // Recovered, then low again: one more warning.
    warnings.noteFreeMemory(40 * kMB);
    warnings.noteFreeMemory(3 * kMB);
    EXPECT_TRUE(warnings.takeWarnings());
}

TEST(PlatformMemoryWarnings, SignalsWakeThePipeAndCoalesce) {
    MemoryWarnings warnings;
    ASSERT_TRUE(warnings.isListening());
    for (int i = 0; i < 5000; ++i) {  // more than the pipe holds: the handler must not block
        ASSERT_EQ(::raise(SIGUSR2), 0);
    }
    EXPECT_TRUE(readable(warnings));
    EXPECT_TRUE(warnings.takeWarnings());
    EXPECT_FALSE(warnings.takeWarnings());
}

TEST(PlatformMemoryWarnings, OneListenerAtATimeAndTheOldHandlerComesBack) {
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGUSR2, nullptr, &before), 0);
    {
        MemoryWarnings first;
        ASSERT_TRUE(first.isListening());
        MemoryWarnings second;
        EXPECT_FALSE(second.isListening());
        EXPECT_EQ(second.fileDescriptor(), -1);
        EXPECT_FALSE(second.takeWarnings());
        ASSERT_EQ(::raise(SIGUSR2), 0);
        EXPECT_TRUE(first.takeWarnings());
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGUSR2, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    MemoryWarnings again;
    EXPECT_TRUE(again.isListening());
}

}  // namespace
}  // namespace nestora::platform
