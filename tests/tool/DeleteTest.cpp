// --delete: un-hiding through the hide library in list order, removal of
// "items", the bundle and the preferences file, and links left as links.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

class ToolDelete : public ::testing::Test {
protected:
    void SetUp() override {
        device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
        device.makeApp("/Applications/MobileNotes.app", "com.apple.mobilenotes", "Notes", "MobileNotes");
        device.makeApp("/var/mobile/Applications/C0FFEE/Game.app", "com.example.game", "Game", "Game");
    }
    ToolDevice device;
};

TEST_F(ToolDelete, UnhidesEveryItemInListOrderThenRemovesTheCategory) {
    device.installHideLibrary(NESTORA_RECORDING_HIDE_LIBRARY);
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000",
                      "{'items': ['com.example.game', 'com.apple.mobilesafari', 'com.gone.app', "
                      "'com.apple.mobilenotes'], 'iconFontColor': 3}");
    RunResult run = device.tool({"-d", "Category000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(device.hideCalls(), (std::vector<std::string>{
                                      "UnHideIcon /var/mobile/Applications/C0FFEE/Game.app/Info.plist",
                                      "UnHideIcon /Applications/MobileSafari.app/Info.plist",
                                      "UnHideIcon (null)",
                                      "UnHideIcon /Applications/MobileNotes.app/Info.plist",
                                  }));
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category000")));
    // The number is free again.
    EXPECT_EQ(device.tool({"-c", "Again"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));
}

TEST_F(ToolDelete, GivesTheAppsBackThroughTheStandInHideLibrary) {
    device.installHideLibrary(NESTORA_HIDE_LIBRARY);
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000", "{'items': ['com.apple.mobilesafari', 'com.example.game']}");
    device.makeFolder("/var/lib/nestora");
    ASSERT_TRUE(plistlibWrite(device.host("/var/lib/nestora/hidden-icons.plist"),
                              "['/Applications/MobileSafari.app/Info.plist', "
                              "'/var/mobile/Applications/C0FFEE/Game.app/Info.plist', "
                              "'/Applications/MobileNotes.app/Info.plist']",
                              "xml"));
    EXPECT_EQ(device.tool({"--delete", "Category000"}).out, "");
    EXPECT_EQ(device.plistJson("/var/lib/nestora/hidden-icons.plist"),
              "[\"/Applications/MobileNotes.app/Info.plist\"]");
}

TEST_F(ToolDelete, WithoutPreferencesOrItemsNothingIsUnhidden) {
    device.installHideLibrary(NESTORA_RECORDING_HIDE_LIBRARY);
    device.makeCategory("Category000", "No prefs", false);
    device.makeCategory("Category001", "Not an array");
    device.writePrefs("Category001", "{'items': 'com.apple.mobilesafari'}");
    EXPECT_EQ(device.tool({"-d", "Category000", "-d", "Category001"}).out, "");
    EXPECT_TRUE(device.hideCalls().empty());
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category001")));
}

TEST_F(ToolDelete, OfNothingPrintsNothingAndPreferencesAloneGo) {
    EXPECT_EQ(device.tool({"-d", "Category042"}).out, "");
    device.writePrefs("Category003", "{'items': []}");
    EXPECT_EQ(device.tool({"-d", "Category003"}).out, "");
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Category003")));
}

TEST_F(ToolDelete, MissingHideLibraryStillDeletes) {
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000", "{'items': ['com.apple.mobilesafari']}");
    EXPECT_EQ(device.tool({"-d", "Category000"}).out, "");
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
}

TEST_F(ToolDelete, ALinkAtTheBundlePathOrInsideIsNeverFollowed) {
    device.makeFolder("/Applications/Other.app");
    device.writeFile("/Applications/Other.app/precious.txt", "keep");
    device.writeFile("/Applications/Other.app/Info.plist", "x");
    std::filesystem::create_directory_symlink(device.host("/Applications/Other.app"),
                                              device.host("/Applications/Category000.app"));
    // A link inside a real category bundle is removed as a link.
    device.makeCategory("Category001", "Games");
    std::filesystem::create_directory_symlink(device.host("/Applications/Other.app"),
                                              device.host("/Applications/Category001.app/inner"));
    // A link at the bundle path is no category bundle, and stays.
    EXPECT_EQ(device.tool({"-d", "Category000", "-d", "Category001"}).out, "ERROR: Not a category: Category000\n");
    EXPECT_TRUE(device.exists("/Applications/Category000.app"));
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    EXPECT_EQ(device.readFile("/Applications/Other.app/precious.txt"), "keep");
}

}  // namespace
}  // namespace nestora::test
