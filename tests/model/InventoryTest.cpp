#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "model/AppInventory.h"
#include "platform/AppServices.h"
#include "platform/DeviceInfo.h"
#include "platform/Preferences.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using model::isExcludedIdentifier;
using model::scanAvailableApps;
using test::TestDevice;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

constexpr const char* kPreferences = "/var/mobile/Library/Preferences";

// The sample device's offered bundles (names in "/Applications" beginning
// with a dot and the excluded identifiers left out), in no particular order.
const std::vector<std::string> kSampleBundles = {
    "com.apple.mobilesafari", "com.apple.mobilemail",   "com.apple.mobilenotes", "com.apple.mobilecal",
    "com.apple.MobileSMS",    "com.apple.Preferences",  "com.apple.Maps",        "com.apple.stocks",
    "com.apple.calculator",   "com.example.chirp",      "com.example.tanks",     "com.example.weatherpro",
    "com.example.sudoku",     "com.example.beta",
};

void setDeviceModel(const TestDevice& device, const std::string& model) {
    ASSERT_TRUE(test::plistlibWrite(device.host(platform::kDeviceProfilePath), "{'Model': '" + model + "'}", "xml"));
}

// A category's preferences file holding `items` (a Python literal).
void writeItems(const TestDevice& device, const std::string& fileName, const std::string& items) {
    device.makeFolder(kPreferences);
    ASSERT_TRUE(test::plistlibWrite(device.host(std::string(kPreferences) + "/" + fileName),
                                    "{'items': " + items + "}", "binary"));
}

std::vector<std::string> scan(bool hasNestoraSB = false, std::string_view model = "iPhone") {
    platform::Preferences preferences;
    return scanAvailableApps(preferences, model, hasNestoraSB);
}

bool offers(const std::vector<std::string>& list, std::string_view id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

TEST(ModelInventory, SampleIPhoneOffersItsAppsThenTheRoles) {
    TestDevice device;
    device.makeSampleDevice();
    setDeviceModel(device, "iPhone");
    platform::Preferences preferences;
    const auto list = scanAvailableApps(preferences, platform::deviceModel(), false);

    std::vector<std::string> expected = kSampleBundles;
    expected.insert(expected.end(), {"com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                                     "com.apple.mobileipod-MediaPlayer"});
    EXPECT_THAT(list, UnorderedElementsAreArray(expected));
    // The roles come last, in their fixed order, whatever the listings gave.
    ASSERT_GE(list.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(list.end() - 3, list.end()),
                ElementsAre("com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                            "com.apple.mobileipod-MediaPlayer"));
}

TEST(ModelInventory, SampleIPodTouchOffersAudioAndVideoInsteadOfMediaPlayer) {
    TestDevice device;
    device.makeSampleDevice();
    setDeviceModel(device, "iPod touch");
    platform::Preferences preferences;
    const auto list = scanAvailableApps(preferences, platform::deviceModel(), false);

    std::vector<std::string> expected = kSampleBundles;
    expected.insert(expected.end(), {"com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                                     "com.apple.mobileipod-AudioPlayer", "com.apple.mobileipod-VideoPlayer"});
    EXPECT_THAT(list, UnorderedElementsAreArray(expected));
    EXPECT_THAT(std::vector<std::string>(list.end() - 4, list.end()),
                ElementsAre("com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                            "com.apple.mobileipod-AudioPlayer", "com.apple.mobileipod-VideoPlayer"));
}

TEST(ModelInventory, RolesAreOfferedOnAnEmptyDevice) {
    TestDevice device;
    EXPECT_THAT(scan(false, "iPhone 3G"),
                ElementsAre("com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                            "com.apple.mobileipod-MediaPlayer"));
    // Only a model that begins with "iPhone" is a phone.
    EXPECT_THAT(scan(false, "iphone"),
                ElementsAre("com.apple.mobileslideshow-Camera", "com.apple.mobileslideshow-Photos",
                            "com.apple.mobileipod-AudioPlayer", "com.apple.mobileipod-VideoPlayer"));
}

TEST(ModelInventory, DotNamesAreSkippedOnlyInApplications) {
    TestDevice device;
    device.makeApp("/Applications/.Hidden.app", "com.example.hidden");
    device.makeApp("/Applications/Shown.app", "com.example.shown");
    device.makeApp("/var/mobile/Applications/C1/.Dotted.app", "com.example.dotted");
    device.makeApp("/var/mobile/Applications/.C2/Plain.app", "com.example.plain");
    const auto list = scan();
    EXPECT_FALSE(offers(list, "com.example.hidden"));
    EXPECT_TRUE(offers(list, "com.example.shown"));
    EXPECT_TRUE(offers(list, "com.example.dotted"));
    EXPECT_TRUE(offers(list, "com.example.plain"));
}

TEST(ModelInventory, OnlyReadableBundlesWithAnIdentifierCount) {
    TestDevice device;
    device.makeApp("/Applications/Good.app", "com.example.good");
    device.makeApp("/Applications/NotABundle", "com.example.noextension");
    device.makeApp("/Applications/Deep/Inner.app", "com.example.toodeep");  // no recursion
    device.makeApp("/var/mobile/Applications/C1/Deep/Inner.app", "com.example.toodeep2");
    device.makeApp("/var/mobile/Applications/Top.app", "com.example.notinacontainer");
    device.makeFolder("/Applications/Empty.app");
    device.writeFile("/Applications/Broken.app/Info.plist", "<plist><dict><key>CFBundle");
    device.writeFile("/Applications/NoId.app/Info.plist", "");  // reads as an empty dictionary
    for (const char* folder : {"/Applications/NumberId.app", "/Applications/EmptyId.app",
                               "/var/mobile/Applications/C2/Binary.app"}) {
        device.makeFolder(folder);
    }
    ASSERT_TRUE(test::plistlibWrite(device.host("/Applications/NumberId.app/Info.plist"),
                                    "{'CFBundleIdentifier': 42}", "xml"));
    ASSERT_TRUE(test::plistlibWrite(device.host("/Applications/EmptyId.app/Info.plist"),
                                    "{'CFBundleIdentifier': ''}", "xml"));
    ASSERT_TRUE(test::plistlibWrite(device.host("/var/mobile/Applications/C2/Binary.app/Info.plist"),
                                    "{'CFBundleIdentifier': 'com.example.binary'}", "binary"));
    const auto list = scan();
    std::vector<std::string> apps(list.begin(), list.end() - 3);  // less the roles
    EXPECT_THAT(apps, UnorderedElementsAre("com.example.good", "com.example.binary"));
}

// The add-items screen and the home screen take the bundles from the
// services' index, which has read every Info.plist already: the list must
// be the one a scan of the folders gives, order and duplicates included.
TEST(ModelInventory, TheServicesIndexGivesWhatAScanOfTheFoldersGives) {
    TestDevice device;
    device.makeSampleDevice();
    device.makeApp("/Applications/.Hidden.app", "com.example.hidden");
    device.makeApp("/var/mobile/Applications/C1/.Dotted.app", "com.example.dotted");
    device.makeApp("/var/mobile/Applications/C1/Twin.app", "com.example.twin");
    device.makeApp("/Applications/Twin.app", "com.example.twin");
    device.makeApp("/Applications/Deep/Inner.app", "com.example.toodeep");
    device.makeApp("/Applications/Photos.app", "com.apple.mobileslideshow");
    device.makeFolder("/Applications/Empty.app");
    device.writeFile("/Applications/Broken.app/Info.plist", "<plist><dict><key>CFBundle");
    device.makeFolder("/Applications/EmptyId.app");
    ASSERT_TRUE(test::plistlibWrite(device.host("/Applications/EmptyId.app/Info.plist"),
                                    "{'CFBundleIdentifier': ''}", "xml"));
    device.makeFolder("/var/mobile/Applications/C2/Binary.app");
    ASSERT_TRUE(test::plistlibWrite(device.host("/var/mobile/Applications/C2/Binary.app/Info.plist"),
                                    "{'CFBundleIdentifier': 'com.example.binary'}", "binary"));
    const platform::DeviceAppServices services;
    const auto scanned = model::scanInstalledApps("iPhone");
    EXPECT_EQ(model::scanInstalledApps(services, "iPhone"), scanned);
    EXPECT_EQ(std::count(scanned.begin(), scanned.end(), "com.example.twin"), 2);
}

TEST(ModelInventory, ExclusionRowsMatchByPrefixOrExactly) {
    // Prefix rows
    EXPECT_TRUE(isExcludedIdentifier("com.apple.mobileslideshow"));
    EXPECT_TRUE(isExcludedIdentifier("com.apple.mobileslideshowX"));
    EXPECT_TRUE(isExcludedIdentifier("com.apple.mobileipod"));
    EXPECT_TRUE(isExcludedIdentifier("com.apple.mobileipod.plugin"));
    EXPECT_TRUE(isExcludedIdentifier("jp.morlen.springjumps.page2"));
    EXPECT_FALSE(isExcludedIdentifier("jp.morlen.springjumps"));  // that row ends in a dot
    // Exact rows
    for (const char* id : {"com.olbex.quarvek.pindrel", "com.apple.DemoApp", "com.apple.fieldtest",
                           "com.apple.webapp", "com.apple.websheet"}) {
        EXPECT_TRUE(isExcludedIdentifier(id)) << id;
    }
    for (const char* id : {"com.apple.webapp2", "com.apple.webapp.extra", "com.apple.WebApp",
                           "com.olbex.quarvek.pindrel2", "com.apple.demoapp", "com.apple.MobileIpod", ""}) {
        EXPECT_FALSE(isExcludedIdentifier(id)) << id;
    }
}

TEST(ModelInventory, ScanAppliesTheExclusionTable) {
    TestDevice device;
    device.makeApp("/Applications/Web.app", "com.apple.webapp");
    device.makeApp("/Applications/WebLonger.app", "com.apple.webapp.clip");
    device.makeApp("/Applications/Ipod.app", "com.apple.mobileipod");
    device.makeApp("/var/mobile/Applications/C/Jump.app", "jp.morlen.springjumps.one");
    device.makeApp("/var/mobile/Applications/C/Category.app", "com.quarvek.nestora.Category001");
    const auto list = scan();
    std::vector<std::string> apps(list.begin(), list.end() - 3);
    // Categories themselves may go into other categories.
    EXPECT_THAT(apps, UnorderedElementsAre("com.apple.webapp.clip", "com.quarvek.nestora.Category001"));
}

TEST(ModelInventory, DuplicateIdentifiersGiveTwoEntriesAndLeaveTogether) {
    TestDevice device;
    device.makeApp("/Applications/Twin.app", "com.example.twin");
    device.makeApp("/var/mobile/Applications/C1/Twin.app", "com.example.twin");
    device.makeApp("/Applications/Other.app", "com.example.other");
    auto list = scan();
    EXPECT_EQ(std::count(list.begin(), list.end(), "com.example.twin"), 2);

    writeItems(device, "com.quarvek.nestora.Category000.plist", "['com.example.twin']");
    list = scan();
    EXPECT_EQ(std::count(list.begin(), list.end(), "com.example.twin"), 0);
    EXPECT_TRUE(offers(list, "com.example.other"));
}

TEST(ModelInventory, AppsHeldByAnyCategoryAreNotOffered) {
    TestDevice device;
    device.makeApp("/Applications/A.app", "com.example.a");
    device.makeApp("/Applications/B.app", "com.example.b");
    device.makeApp("/Applications/C.app", "com.example.c");
    device.makeApp("/Applications/D.app", "com.example.d");
    writeItems(device, "com.quarvek.nestora.Category000.plist", "['com.example.a', 'com.apple.mobileslideshow-Camera']");
    writeItems(device, "com.quarvek.nestora.Category017.plist", "[7, 'com.example.b', {'x': 1}, 'COM.EXAMPLE.C']");
    // Not lists: nothing removed.
    device.writeFile(std::string(kPreferences) + "/com.quarvek.nestora.Category002.plist", "");
    ASSERT_TRUE(test::plistlibWrite(device.host(std::string(kPreferences) + "/com.quarvek.nestora.Category003.plist"),
                                    "{'items': 'com.example.d'}", "xml"));
    device.writeFile(std::string(kPreferences) + "/com.quarvek.nestora.Category004.plist", "garbage");
    const auto list = scan();
    EXPECT_THAT(list, UnorderedElementsAre("com.example.c", "com.example.d", "com.apple.mobileslideshow-Photos",
                                           "com.apple.mobileipod-MediaPlayer"));
}

TEST(ModelInventory, SubtractionKeepsTheOrderOfWhatRemains) {
    TestDevice device;
    writeItems(device, "com.quarvek.nestora.Category000.plist", "['com.apple.mobileslideshow-Photos']");
    EXPECT_THAT(scan(false, "iPod touch"),
                ElementsAre("com.apple.mobileslideshow-Camera", "com.apple.mobileipod-AudioPlayer",
                            "com.apple.mobileipod-VideoPlayer"));
}

TEST(ModelInventory, OnlyFiveDotPartNamesAreRead) {
    TestDevice device;
    for (const char* id : {"com.example.four", "com.example.six", "com.example.five", "com.example.plain",
                           "com.example.nodot"}) {
        device.makeApp(std::string("/Applications/") + id + ".app", id);
    }
    // Four parts, six parts, another prefix: not categories.
    writeItems(device, "com.quarvek.nestora.plist", "['com.example.four']");
    writeItems(device, "com.quarvek.nestora.Category.001.plist", "['com.example.six']");
    writeItems(device, "org.quarvek.nestora.Category001.plist", "['com.example.plain']");
    // The prefix has no trailing dot, and the domain is the name less its
    // last extension, whatever that is.
    writeItems(device, "com.quarvek.nestoraX.Foo.plist", "['com.example.five']");
    writeItems(device, "com.quarvek.nestora.Category001.backup", "['com.example.nodot']");
    const auto list = scan();
    EXPECT_TRUE(offers(list, "com.example.four"));
    EXPECT_TRUE(offers(list, "com.example.six"));
    EXPECT_TRUE(offers(list, "com.example.plain"));
    EXPECT_FALSE(offers(list, "com.example.five"));
    // "…Category001.backup" names the domain com.quarvek.nestora.Category001,
    // whose own file does not exist.
    EXPECT_TRUE(offers(list, "com.example.nodot"));
}

TEST(ModelInventory, RecentCountsAsPlacingOnlyWithoutTheExtension) {
    TestDevice device;
    device.makeApp("/Applications/A.app", "com.example.recentonly");
    device.makeApp("/Applications/B.app", "com.example.both");
    writeItems(device, "com.quarvek.nestora.Recent.plist", "['com.example.recentonly', 'com.example.both']");
    writeItems(device, "com.quarvek.nestora.Category000.plist", "['com.example.both']");

    const auto withExtension = scan(true);
    EXPECT_TRUE(offers(withExtension, "com.example.recentonly"));
    EXPECT_FALSE(offers(withExtension, "com.example.both"));

    const auto withoutExtension = scan(false);
    EXPECT_FALSE(offers(withoutExtension, "com.example.recentonly"));
    EXPECT_FALSE(offers(withoutExtension, "com.example.both"));
}

TEST(ModelInventory, TheRecentFileNameIsMatchedExactly) {
    TestDevice device;
    device.makeApp("/Applications/A.app", "com.example.a");
    // Lower case: an ordinary category, counted even with the extension.
    writeItems(device, "com.quarvek.nestora.recent.plist", "['com.example.a']");
    EXPECT_FALSE(offers(scan(true), "com.example.a"));
}

TEST(ModelInventory, UnreadableFoldersGiveOnlyTheRoles) {
    TestDevice device;
    device.writeFile("/Applications", "not a folder");
    device.writeFile("/var/mobile/Applications", "not a folder");
    device.writeFile(kPreferences, "not a folder");
    EXPECT_EQ(scan().size(), 3u);
}

}  // namespace
}  // namespace nestora
