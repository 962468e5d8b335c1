#include <gtest/gtest.h>

#include "platform/AppServices.h"
#include "platform/Plist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using platform::DeviceAppServices;
using test::TestDevice;

class PlatformAppServices : public ::testing::Test {
protected:
    void SetUp() override { device.makeSampleDevice(); }
    TestDevice device;
    DeviceAppServices services;
};

TEST_F(PlatformAppServices, FindsAppsInBothApplicationFolders) {
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.apple.mobilesafari"),
              "/Applications/MobileSafari.app/MobileSafari");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.apple.mobilesafari"), "Safari");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.weatherpro"),
              "/var/mobile/Applications/1A2B3C4D-0003/Weather Pro.app/WeatherPro");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.beta"),
              "/var/mobile/Applications/.1A2B3C4D-0005/Beta.app/Beta");
    // Without a display name the bundle name serves.
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.apple.stocks"), "Stocks");
}

TEST_F(PlatformAppServices, RolesResolveThroughTheirBundle) {
    // The photo roles go through their role folders, which the icon lookup
    // recognises; the iPod roles have none and use the bundle's executable.
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.apple.mobileslideshow-Camera"),
              "/Applications/Camera.app/MobileSlideShow");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.apple.mobileslideshow-Photos"),
              "/Applications/Photos.app/MobileSlideShow");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.apple.mobileslideshow-Camera"), "Camera");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.apple.mobileipod-MediaPlayer"),
              "/Applications/MobileMusicPlayer.app/MobileMusicPlayer");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.apple.mobileipod-AudioPlayer"), "Music");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.apple.mobileipod-VideoPlayer"), "Videos");
}

TEST_F(PlatformAppServices, UnknownIdentifiersGiveNone) {
    for (const char* id : {"com.example.nothing", "", "-", "com.apple.mobilesafari-Camera",
                           "com.apple.mobileslideshow-", "com.apple.mobileslideshow-camera", "com.apple.MOBILESAFARI"}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(services.executablePathForDisplayIdentifier(id));
        EXPECT_FALSE(services.localizedApplicationNameForDisplayIdentifier(id));
    }
}

TEST_F(PlatformAppServices, SeesAppsAddedAndChangedAfterTheFirstLookup) {
    const std::size_t before = services.bundleCount();
    ASSERT_GT(before, 15u);
    device.makeApp("/Applications/New.app", "com.example.new", "New");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.new"), "/Applications/New.app/App");
    device.makeApp("/var/mobile/Applications/NEW-CONTAINER/Fresh.app", "com.example.fresh", "Fresh");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.fresh"), "Fresh");
    device.makeApp("/var/mobile/Applications/1A2B3C4D-0001/Second.app", "com.example.second", "Second");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.second"), "Second");
    EXPECT_EQ(services.bundleCount(), before + 3);

    // A bundle renamed in place (its Info.plist replaced) shows its new name.
    plist::Dictionary info{{"CFBundleIdentifier", plist::Value("com.example.new")},
                           {"CFBundleExecutable", plist::Value("App")},
                           {"CFBundleDisplayName", plist::Value("Renamed")}};
    ASSERT_TRUE(plist::writeXmlAtomically("/Applications/New.app/Info.plist", plist::Value(info)));
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.new"), "Renamed");
}

TEST(PlatformAppServicesDuplicates, TheFirstBundleWithAnIdentifierWins) {
    TestDevice device;
    device.makeApp("/var/mobile/Applications/C1/One.app", "com.example.same", "One");
    device.makeFolder("/Applications");
    DeviceAppServices services;
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.same"), "One");
    EXPECT_EQ(services.bundleCount(), 1u);
}

}  // namespace
}  // namespace nestora
