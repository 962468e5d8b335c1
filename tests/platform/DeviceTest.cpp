#include <gtest/gtest.h>

#include "platform/DeviceInfo.h"
#include "platform/Notifications.h"
#include "platform/Shell.h"
#include "platform/SystemLog.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using test::TestDevice;

TEST(PlatformDeviceInfo, ModelAndFreeMemoryComeFromTheProfile) {
    TestDevice device;
    EXPECT_EQ(platform::deviceModel(), "iPhone Simulator");
    auto hostFree = platform::freeMemoryBytes();
    ASSERT_TRUE(hostFree);
    EXPECT_GT(*hostFree, 0u);

    // More than 4 GiB: the arithmetic is 64-bit all the way.
    device.writeFile("/etc/nestora/DeviceProfile.plist",
                     "<plist version=\"1.0\"><dict><key>Model</key><string>iPod touch</string>"
                     "<key>FreeMemoryBytes</key><integer>6442450944</integer></dict></plist>");
    EXPECT_EQ(platform::deviceModel(), "iPod touch");
    EXPECT_EQ(platform::freeMemoryBytes(), 6442450944u);

    device.writeFile("/etc/nestora/DeviceProfile.plist",
                     "<plist version=\"1.0\"><dict><key>Model</key><string>iPhone</string></dict></plist>");
    EXPECT_EQ(platform::deviceModel(), "iPhone");
    EXPECT_TRUE(platform::freeMemoryBytes()) << "without a simulated figure the host's is used";
}

TEST(PlatformNotifications, PostsAreObservable) {
    TestDevice device;
    device.makeFolder("/var/run");
    EXPECT_TRUE(platform::postedNotifications().empty());
    EXPECT_TRUE(platform::notifyPost("com.apple.language.changed"));
    EXPECT_TRUE(platform::notifyPost("second"));
    EXPECT_EQ(platform::postedNotifications(), (std::vector<std::string>{"com.apple.language.changed", "second"}));
}

TEST(PlatformShell, ReturnsTheExitStatus) {
    EXPECT_EQ(platform::runShell("exit 0"), 0);
    EXPECT_EQ(platform::runShell("exit 3"), 3);
    EXPECT_EQ(platform::runShell("kill -9 $$"), -1);
}

TEST(PlatformSystemLog, CapturesFormattedLines) {
    platform::systemLog("not captured\n");
    platform::LogCapture capture;
    platform::systemLog("Saving edits file of %d entries\n", 3);
    platform::systemLog("Hiding %s\n", "/Applications/MobileSafari.app/Info.plist");
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Saving edits file of 3 entries\n",
                                                         "Hiding /Applications/MobileSafari.app/Info.plist\n"}));
}

}  // namespace
}  // namespace nestora
