#include <gtest/gtest.h>

#include "model/IconLookup.h"
#include "platform/AppServices.h"
#include "tests/model/FakeAppServices.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using model::iconFileFromInfoPlist;
using model::iconPathForBundlePath;
using test::TestDevice;

constexpr const char* kBundle = "/var/mobile/Applications/C1/Game.app";

void writeInfo(const TestDevice& device, const std::string& literal, const char* format = "xml") {
    device.makeFolder(kBundle);
    ASSERT_TRUE(test::plistlibWrite(device.host(std::string(kBundle) + "/Info.plist"), literal, format));
}

std::string inBundle(const char* name) { return std::string(kBundle) + "/" + name; }

TEST(ModelIconLookup, CameraAndPhotosHaveFixedIconsEvenWhenMissing) {
    TestDevice device;
    EXPECT_EQ(iconPathForBundlePath("/Applications/Camera.app"), "/Applications/MobileSlideShow.app/icon-Camera.png");
    EXPECT_EQ(iconPathForBundlePath("/Applications/Photos.app"), "/Applications/MobileSlideShow.app/icon-Photos.png");
    // Another spelling goes through the ordinary steps, and finds nothing here.
    EXPECT_EQ(iconPathForBundlePath("/Applications/camera.app"), std::nullopt);
    EXPECT_EQ(iconPathForBundlePath("/Applications/Camera.app/"), std::nullopt);
}

TEST(ModelIconLookup, LowerCaseIconWinsOverCapitalisedAndInfoPlist) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'Other.png'}");
    device.writeFile(inBundle("Other.png"), "png");
    device.writeFile(inBundle("Icon.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("Icon.png"));
    device.writeFile(inBundle("icon.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("icon.png"));
}

TEST(ModelIconLookup, InfoPlistNameWithoutExtensionGetsPng) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'GameIcon'}", "binary");
    device.writeFile(inBundle("GameIcon.png"), "png");
    device.writeFile(inBundle("GameIcon"), "not this one");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("GameIcon.png"));
}

TEST(ModelIconLookup, OnlyAnExactPngExtensionIsTakenAsGiven) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'Game.png'}");
    device.writeFile(inBundle("Game.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("Game.png"));

    writeInfo(device, "{'CFBundleIconFile': 'Game.PNG'}");
    device.writeFile(inBundle("Game.PNG"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);  // looks for Game.PNG.png
    device.writeFile(inBundle("Game.PNG.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("Game.PNG.png"));

    writeInfo(device, "{'CFBundleIconFile': 'ng'}");  // shorter than ".png"
    device.writeFile(inBundle("ng.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("ng.png"));
}

TEST(ModelIconLookup, AMissingNamedIconEndsTheLookup) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'Missing.png'}");
    device.writeFile(inBundle("Icon-57.png"), "png");  // no size variants are tried
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);
}

TEST(ModelIconLookup, NothingWithoutAUsableInfoPlist) {
    TestDevice device;
    device.makeFolder(kBundle);
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);  // no Info.plist
    writeInfo(device, "{'CFBundleIdentifier': 'com.example.game'}");
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);  // no key
    writeInfo(device, "{'CFBundleIconFile': ['Game.png']}");
    device.writeFile(inBundle("Game.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);  // not text
    device.writeFile(inBundle("Info.plist"), "<plist><dict><key>CFBundleIconFile</key><string>Game");
    EXPECT_EQ(iconPathForBundlePath(kBundle), std::nullopt);  // malformed
    EXPECT_EQ(iconPathForBundlePath("/nowhere/Ghost.app"), std::nullopt);
}

TEST(ModelIconLookup, AFolderNamedLikeAnIconIsNoIcon) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'Real'}");
    device.makeFolder(inBundle("icon.png"));
    device.writeFile(inBundle("Real.png"), "png");
    EXPECT_EQ(iconPathForBundlePath(kBundle), inBundle("Real.png"));
}

TEST(ModelIconLookup, IconFileFromInfoPlistReadsOnlyText) {
    TestDevice device;
    writeInfo(device, "{'CFBundleIconFile': 'Icon-Game'}");
    EXPECT_EQ(iconFileFromInfoPlist(inBundle("Info.plist")), "Icon-Game");
    writeInfo(device, "{'CFBundleIconFile': 3}");
    EXPECT_EQ(iconFileFromInfoPlist(inBundle("Info.plist")), std::nullopt);
    writeInfo(device, "['CFBundleIconFile', 'x']");  // not a dictionary
    EXPECT_EQ(iconFileFromInfoPlist(inBundle("Info.plist")), std::nullopt);
    EXPECT_EQ(iconFileFromInfoPlist("/nowhere/Info.plist"), std::nullopt);
}

TEST(ModelIconLookup, DisplayIdentifiersGoThroughTheExecutablePath) {
    TestDevice device;
    device.writeFile(inBundle("icon.png"), "png");
    test::FakeAppServices services;
    services.executables["com.example.game"] = inBundle("Game");
    services.executables["com.apple.mobileslideshow-Camera"] = "/Applications/Camera.app/MobileSlideShow";
    EXPECT_EQ(model::bundlePathForDisplayIdentifier(services, "com.example.game"), kBundle);
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.game"), inBundle("icon.png"));
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.mobileslideshow-Camera"),
              "/Applications/MobileSlideShow.app/icon-Camera.png");
    // No executable path, no bundle folder, no icon.
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.gone"), std::nullopt);
}

TEST(ModelIconLookup, SampleDeviceIcons) {
    TestDevice device;
    device.makeSampleDevice();
    const platform::DeviceAppServices services;
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.mobilesafari"),
              "/Applications/MobileSafari.app/icon.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.mobilemail"),
              "/Applications/MobileMail.app/Icon.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.mobilenotes"),
              "/Applications/MobileNotes.app/NotesIcon.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.calculator"), std::nullopt);
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.sudoku"), std::nullopt);
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.mobileslideshow-Photos"),
              "/Applications/MobileSlideShow.app/icon-Photos.png");
    // Apps laid out as real devices have them: the old steps where they find
    // a file, the newer keys where they do not.
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.chirp"),
              "/var/mobile/Applications/1A2B3C4D-0001/Chirp.app/Icon.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.tanks"),
              "/var/mobile/Applications/1A2B3C4D-0002/Tanks.app/AppIcon57x57@2x.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.example.weatherpro"),
              "/var/mobile/Applications/1A2B3C4D-0003/Weather Pro.app/Icon-Weather@2x.png");
    EXPECT_EQ(model::iconPathForDisplayIdentifier(services, "com.apple.stocks"),
              "/Applications/Stocks.app/Icon-Stocks@2x~iphone.png");
}

}  // namespace
}  // namespace nestora
