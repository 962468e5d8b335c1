#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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

// A batch of lookups answers from one look at the device, taken at its
// first lookup of each thing: what changes after that is seen once the
// outermost batch ends, and not before.
TEST_F(PlatformAppServices, ABatchAnswersFromOneLookAtTheDeviceAndSeesChangesAfterIt) {
    const auto rename = [&](const char* name) {
        plist::Dictionary info{{"CFBundleIdentifier", plist::Value("com.example.one")},
                               {"CFBundleExecutable", plist::Value("App")},
                               {"CFBundleDisplayName", plist::Value(name)}};
        ASSERT_TRUE(plist::writeXmlAtomically("/Applications/One.app/Info.plist", plist::Value(info)));
    };
    const auto name = [&] { return services.localizedApplicationNameForDisplayIdentifier("com.example.one"); };
    device.makeApp("/Applications/One.app", "com.example.one", "Alpha");
    ASSERT_EQ(name(), "Alpha");
    {
        const platform::AppServices::Batch outer(services);
        // Changed before the batch first looked: seen.
        rename("Beta");
        device.makeApp("/var/mobile/Applications/C9/Early.app", "com.example.early", "Early");
        EXPECT_EQ(name(), "Beta");
        EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.early"), "Early");
        // Changed after: not seen in the batch, nor when an inner one ends.
        rename("Gamma");
        device.makeApp("/var/mobile/Applications/C9/Late.app", "com.example.late", "Late");
        device.makeApp("/Applications/Later.app", "com.example.later", "Later");
        {
            const platform::AppServices::Batch inner(services);
            EXPECT_EQ(name(), "Beta");
        }
        EXPECT_EQ(name(), "Beta");
        EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.late"), std::nullopt);
        EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.later"), std::nullopt);
    }
    EXPECT_EQ(name(), "Gamma");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.late"), "Late");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.later"), "Later");
    // Each lookup outside a batch looks again.
    rename("Delta");
    EXPECT_EQ(name(), "Delta");
}

// A rebuild reads again only the Info.plists whose files changed, so these
// are the changes it must not miss: one written in place at the same size,
// one that goes away, and one whose bundle is replaced.
TEST_F(PlatformAppServices, ARebuildSeesInPlaceWritesRemovalsAndReplacements) {
    const auto plistWithName = [](const char* identifier, const char* name) {
        return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                           "<key>CFBundleIdentifier</key><string>") +
               identifier + "</string><key>CFBundleExecutable</key><string>App</string>"
                            "<key>CFBundleDisplayName</key><string>" + name + "</string></dict></plist>\n";
    };
    device.writeFile("/Applications/One.app/Info.plist", plistWithName("com.example.one", "Alpha"));
    device.writeFile("/Applications/Two.app/Info.plist", plistWithName("com.example.two", "Two"));
    ASSERT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.one"), "Alpha");
    const std::size_t before = services.bundleCount();

    device.writeFile("/Applications/One.app/Info.plist", plistWithName("com.example.one", "Omega"));
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.one"), "Omega");

    std::filesystem::remove_all(device.host("/Applications/Two.app"));
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.two"), std::nullopt);
    EXPECT_EQ(services.bundleCount(), before - 1);

    std::filesystem::remove_all(device.host("/Applications/One.app"));
    device.writeFile("/Applications/One.app/Info.plist", plistWithName("com.example.other", "Other"));
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.one"), std::nullopt);
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.other"), "Other");
}

// Changes reach the index folder by folder; the index must still be what a
// fresh build would make of the device.
TEST_F(PlatformAppServices, AfterEachChangeTheIndexIsWhatAFreshBuildWouldMake) {
    const auto fresh = [](std::string_view identifier) {
        DeviceAppServices services;
        return services.executablePathForDisplayIdentifier(identifier);
    };
    device.makeApp("/var/mobile/Applications/C9/Dup.app", "com.example.dup", "Dup");
    ASSERT_EQ(services.executablePathForDisplayIdentifier("com.example.dup"), "/var/mobile/Applications/C9/Dup.app/App");
    // The same identifier in /Applications comes first from now on.
    device.makeApp("/Applications/Dup.app", "com.example.dup", "Dup");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.dup"), "/Applications/Dup.app/App");
    // A bundle folder renamed, then removed: the container's copy is next.
    std::filesystem::rename(device.host("/Applications/Dup.app"), device.host("/Applications/Moved.app"));
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.dup"), "/Applications/Moved.app/App");
    std::filesystem::remove_all(device.host("/Applications/Moved.app"));
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.dup"), fresh("com.example.dup"));
    // A whole container goes, and /Applications itself is replaced.
    std::filesystem::remove_all(device.host("/var/mobile/Applications/C9"));
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.dup"), std::nullopt);
    std::filesystem::rename(device.host("/Applications"), device.host("/OldApplications"));
    device.makeApp("/Applications/Late.app", "com.example.late", "Late");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.late"), "/Applications/Late.app/App");
    device.makeApp("/Applications/Later.app", "com.example.later", "Later");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.later"), "/Applications/Later.app/App");
    EXPECT_EQ(services.bundleCount(), DeviceAppServices().bundleCount());
}

// Every inotify watch this process holds, over all its inotify descriptors.
std::size_t inotifyWatchesOfThisProcess() {
    std::size_t watches = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
        std::ifstream info(fd.path());
        for (std::string line; std::getline(info, line);) watches += line.starts_with("inotify wd:") ? 1 : 0;
    }
    return watches;
}

// A device holds thousands of bundles and a user may have a few thousand
// watches in all: the index watches the two folders and each container,
// never each bundle, and still sees what is written in place.
TEST(PlatformAppServicesWatches, OneWatchPerFolderOfBundlesNotPerBundle) {
    TestDevice device;
    for (int n = 0; n < 60; ++n) {
        device.makeApp("/Applications/App" + std::to_string(n) + ".app", "com.example.app" + std::to_string(n));
    }
    device.makeApp("/var/mobile/Applications/C1/One.app", "com.example.one");
    device.makeApp("/var/mobile/Applications/C2/Two.app", "com.example.two");
    const std::size_t before = inotifyWatchesOfThisProcess();
    DeviceAppServices services;
    EXPECT_EQ(services.bundleCount(), 62u);
    EXPECT_EQ(inotifyWatchesOfThisProcess() - before, 4u) << "the two application folders and two containers";

    // An Info.plist written in place, and one that appears in a bundle that
    // had none: both are found by the next lookup.
    plist::Dictionary info{{"CFBundleIdentifier", plist::Value("com.example.app7")},
                           {"CFBundleExecutable", plist::Value("App")},
                           {"CFBundleDisplayName", plist::Value("Seven")}};
    ASSERT_TRUE(plist::writeXmlAtomically("/Applications/App7.app/Info.plist", plist::Value(info)));
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.app7"), "Seven");
    device.makeFolder("/Applications/Late.app");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.late"), std::nullopt);
    device.makeApp("/Applications/Late.app", "com.example.late", "Late");
    EXPECT_EQ(services.localizedApplicationNameForDisplayIdentifier("com.example.late"), "Late");
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
