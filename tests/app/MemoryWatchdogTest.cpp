#include <gtest/gtest.h>
#include <signal.h>

#include <QLabel>

#include "app/MemoryWatchdog.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/RunProgram.h"

namespace nestora::app {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;

TEST(AppMemoryWatchdog, SevenWholeMegabytesKeepRunningSixStop) {
    EXPECT_FALSE(readingForFreeBytes(7 * kMB).mustStop);
    EXPECT_TRUE(readingForFreeBytes(7 * kMB - 1).mustStop);
    EXPECT_TRUE(readingForFreeBytes(6 * kMB).mustStop);
    EXPECT_TRUE(readingForFreeBytes(0).mustStop);
    // Truncated, never rounded up: 7.99 MB reads as 7.
    EXPECT_EQ(readingForFreeBytes(8 * kMB - 1).freeMegabytes, 7);
    EXPECT_EQ(readingForFreeBytes(23 * kMB + kMB / 2).freeMegabytes, 23);
    EXPECT_EQ(freeMemoryText(23), "Free: 23MB");
}

TEST(AppMemoryWatchdog, LargeHostsDoNotWrapAround) {
    // (free + inactive) x page size passes 2^31 and 2^32 on today's hosts.
    EXPECT_EQ(readingForFreeBytes(3ull * 1024 * kMB).freeMegabytes, 3072);
    EXPECT_FALSE(readingForFreeBytes(3ull * 1024 * kMB).mustStop);
    EXPECT_EQ(readingForFreeBytes(4ull * 1024 * kMB + 5 * kMB).freeMegabytes, 4101);
    EXPECT_FALSE(readingForFreeBytes(4ull * 1024 * kMB + 5 * kMB).mustStop);
}

TEST(AppMemoryWatchdog, ReadoutFollowsEachTick) {
    test::AppDeviceOptions options;
    options.freeMemoryBytes = 8 * kMB - 1;
    test::AppDevice device(options);
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    EXPECT_EQ(nestora.memLabel()->text(), QStringLiteral("Free: 7MB"));
    EXPECT_TRUE(nestora.memTimer().isActive());
    EXPECT_EQ(nestora.memTimer().interval(), 1000);
    device.writeProfile("iPhone", 300 * kMB);
    nestora.checkAvailableMemory();
    EXPECT_EQ(nestora.memLabel()->text(), QStringLiteral("Free: 300MB"));
}

TEST(AppMemoryWatchdog, WarningsDropBothCachesOnTheMainLoop) {
    test::AppDevice device;
    Nestora nestora;
    nestora.applicationDidFinishLaunching();
    ASSERT_TRUE(nestora.isListeningForMemoryWarnings());
    const auto fill = [&] {
        nestora.items() = std::vector<std::string>{"com.apple.mobilemail"};
        nestora.icons() = std::vector<std::string>{"/var/mobile/Media/Nestora/Icons/a.png"};
    };
    fill();
    ASSERT_EQ(::raise(SIGUSR2), 0);  // kill -USR2, as a user simulates one
    EXPECT_TRUE(nestora.items().has_value()) << "handled inside the signal handler";
    ASSERT_TRUE(test::waitUntil([&] { return !nestora.items() && !nestora.icons(); }));

    // Free memory falling below 12 MB on a tick; staying there warns no more.
    fill();
    device.writeProfile("iPhone", 12 * kMB - 1);
    nestora.checkAvailableMemory();
    ASSERT_TRUE(test::waitUntil([&] { return !nestora.items() && !nestora.icons(); }));
    EXPECT_EQ(nestora.memLabel()->text(), QStringLiteral("Free: 11MB"));
    fill();
    nestora.checkAvailableMemory();
    test::settle();
    EXPECT_TRUE(nestora.items().has_value());
}

// The stop ends the process, so it runs in a child: the built app itself.
TEST(AppMemoryWatchdog, LowMemoryStopEndsTheAppWithoutTheTerminationSteps) {
    test::AppDeviceOptions options;
    options.freeMemoryBytes = 7 * kMB - 1;
    test::AppDevice device(options);
    device.setPersistedNeedRespring(true);
    const test::RunResult result =
        test::runProgram({"/usr/bin/timeout", "20", NESTORA_APP_EXECUTABLE}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_NE(result.exitStatus, 124) << "the app kept running";
    EXPECT_NE(result.err.find(kLowMemoryStopLogLine), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Restarting SpringBoard..."), std::string::npos);
    EXPECT_EQ(device.persistedNeedRespring(), std::optional<bool>(true));
    EXPECT_FALSE(device.exists("/var/run/nestora-notifications.log"));
}

TEST(AppMemoryWatchdog, StopOnALaterTick) {
    test::AppDeviceOptions options;
    options.freeMemoryBytes = 7 * kMB;
    test::AppDevice device(options);
    // Runs until the profile drops below the line, then must stop by itself.
    const std::string script = "( sleep 1.5; printf '%s' '<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                               "<key>Model</key><string>iPhone</string><key>FreeMemoryBytes</key>"
                               "<integer>6291456</integer></dict></plist>' > \"" +
                               device.host("/etc/nestora/DeviceProfile.plist") + "\" ) & exec /usr/bin/timeout 20 \"" +
                               NESTORA_APP_EXECUTABLE + "\"";
    const test::RunResult result = test::runProgram({"/bin/sh", "-c", script}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_NE(result.exitStatus, 124) << "the app kept running";
    EXPECT_NE(result.err.find(kLowMemoryStopLogLine), std::string::npos) << result.err;
}

}  // namespace
}  // namespace nestora::app
