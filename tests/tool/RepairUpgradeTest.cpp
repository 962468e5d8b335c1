// --repair, --repairall, --upgrade, --upgradeall and the conversion of the
// legacy format into the preferences file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

std::string prefsRecord(const std::string& booleans, std::int32_t rows, std::int32_t colour, const std::string& theme,
                        char keepResident) {
    std::string record = booleans;
    for (std::int32_t value : {rows, colour}) {
        for (int i = 0; i < 4; ++i) {
            record.push_back(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xff));
        }
    }
    std::string field = theme;
    field.resize(96, '\0');
    record += field;
    record.push_back(keepResident);
    return record;
}

TEST(ToolRepair, RecreatesALostBundleAndKeepsThePreferences) {
    ToolDevice device;
    device.writePrefs("Category004", "{'items': ['com.apple.mobilesafari'], 'iconFontColor': 2}");
    const std::string prefsBefore = device.readFile(ToolDevice::prefsFile("Category004"));
    RunResult run = device.tool({"-r", "Category004"});
    EXPECT_EQ(run.out, "");
    for (const std::string& name : kLauncherFileNames) {
        EXPECT_EQ(device.readFile("/Applications/Category004.app/" + name), name + " v2");
    }
    EXPECT_EQ(device.modeOf("/Applications/Category004.app/NestoraLauncher"), 0755);
    auto info = device.plistJson("/Applications/Category004.app/Info.plist");
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->find("\"CFBundleDisplayName\": \"Category004\""), std::string::npos);
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category004")), prefsBefore);
}

TEST(ToolRepair, CompleteCategoryIsLeftAlone) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    std::filesystem::remove(device.host("/Applications/Category000.app/blank.png"));
    RunResult run = device.tool({"--repair", "Category000"});
    EXPECT_EQ(run.out, "");
    // An existing bundle is not inspected.
    EXPECT_FALSE(device.exists("/Applications/Category000.app/blank.png"));
}

TEST(ToolRepair, RepairAllCoversBundlesAndPreferences) {
    ToolDevice device;
    device.writePrefs("Category001", "{'items': []}");
    device.makeCategory("Category002", "No prefs", false);
    EXPECT_EQ(device.tool({"--repairall"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Category001.app/Info.plist"));
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category002")));
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category002")), "");
}

TEST(ToolRepair, MakesABundleOnlyForACategory) {
    ToolDevice device;
    // Any other name could be the folder of an app installed later.
    EXPECT_EQ(device.tool({"-r", "Games"}).out, "ERROR: Category does not exist or is damaged.\n");
    EXPECT_FALSE(device.exists("/Applications/Games.app"));
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("Games")));
    // A name the tool numbers its categories with is made whole, as a
    // restore asks for it.
    EXPECT_EQ(device.tool({"-r", "Category007"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Category007.app/Info.plist"));
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category007")));
    // So is a name its preferences file makes a category.
    device.writePrefs("Games", "{'items': []}");
    EXPECT_EQ(device.tool({"-r", "Games"}).out, "");
    EXPECT_TRUE(device.exists("/Applications/Games.app/Info.plist"));
}

TEST(ToolRepair, FailuresAreReportedAndLeaveNoPartialBundle) {
    ToolDevice device;
    device.writePrefs("Category001", "{}");
    device.writePrefs("Category002", "{}");
    std::filesystem::remove(device.host("/Applications/Nestora.app/Launcher/Default.png"));
    RunResult run = device.tool({"--repairall"});
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with("ERROR: Unable to copy to dest: /Applications/Category00")) << line;
        EXPECT_TRUE(line.ends_with(".app/Default.png")) << line;
    }
    // A bundle is made whole out of sight or not at all: nothing half-made
    // stands behind the category's name, and nothing is left over.
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    EXPECT_FALSE(device.exists("/Applications/Category002.app"));
    EXPECT_EQ(device.tool({"--list"}).out.find("/Applications/Category00"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(device.host("/Applications"))) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
}

TEST(ToolRepair, RepairAllSkipsNamesNoCategoryCanHave) {
    ToolDevice device;
    device.writeFile(std::string(kPrefsFolder) + "/com.quarvek.nestora..plist", "");
    RunResult run = device.tool({"--repairall"});
    EXPECT_EQ(run.out, "ERROR: Invalid category name: \n");
    EXPECT_FALSE(device.exists("/Applications/.app"));
}

TEST(ToolUpgrade, ReplacesTheLauncherFilesOnly) {
    ToolDevice device;
    device.makeCategory("Category004", "Games");
    device.writeFile("/Applications/Category004.app/icon.png", pngBytes("mine"));
    chmod(device.host("/Applications/Nestora.app/Launcher/NestoraLauncher").c_str(), 0600);
    RunResult run = device.tool({"-u", "Category004"});
    EXPECT_EQ(run.out, "Updating category Category004\n");
    for (const char* name : {"NestoraLauncher", "MainWindow.nib", "Default.png"}) {
        EXPECT_EQ(device.readFile("/Applications/Category004.app/" + std::string(name)), std::string(name) + " v2");
    }
    for (const char* name : {"blank.png", "background.png"}) {
        EXPECT_EQ(device.readFile("/Applications/Category004.app/" + std::string(name)), std::string(name) + " v1");
    }
    EXPECT_EQ(device.readFile("/Applications/Category004.app/icon.png"), pngBytes("mine"));
    EXPECT_EQ(device.modeOf("/Applications/Category004.app/NestoraLauncher"), 0755);
    EXPECT_NE(device.plistJson("/Applications/Category004.app/Info.plist")->find("\"Games\""), std::string::npos);
}

TEST(ToolUpgrade, MissingMainWindowNibStopsAfterTheLauncher) {
    ToolDevice device;
    device.makeCategory("Category004", "Games");
    std::filesystem::remove(device.host("/Applications/Category004.app/MainWindow.nib"));
    RunResult run = device.tool({"-u", "Category004"});
    EXPECT_EQ(run.out,
              "Updating category Category004\n"
              "ERROR: Unable to remove old file: /Applications/Category004.app/MainWindow.nib\n");
    EXPECT_EQ(device.readFile("/Applications/Category004.app/NestoraLauncher"), "NestoraLauncher v2");
    EXPECT_EQ(device.readFile("/Applications/Category004.app/Default.png"), "Default.png v1");
    EXPECT_FALSE(device.exists("/Applications/Category004.app/MainWindow.nib"));
}

TEST(ToolUpgrade, MissingSourceFileIsACopyFailure) {
    ToolDevice device;
    device.makeCategory("Category004", "Games");
    std::filesystem::remove(device.host("/Applications/Nestora.app/Launcher/Default.png"));
    RunResult run = device.tool({"-u", "Category004"});
    EXPECT_EQ(run.out,
              "Updating category Category004\n"
              "ERROR: Unable to copy file to destination: /Applications/Category004.app/Default.png\n");
    // Printed first even when the category does not exist at all.
    EXPECT_EQ(device.tool({"-u", "Category009"}).out,
              "Updating category Category009\n"
              "ERROR: Unable to remove old file: /Applications/Category009.app/NestoraLauncher\n");
}

TEST(ToolUpgrade, UpgradeAllCoversOnlyCategoriesWithPreferences) {
    ToolDevice device;
    device.makeCategory("Category000", "With prefs");
    device.makeCategory("Category001", "Without", false);
    RunResult run = device.tool({"--upgradeall"});
    EXPECT_EQ(run.out, "Updating category Category000\n");
    EXPECT_EQ(device.readFile("/Applications/Category000.app/NestoraLauncher"), "NestoraLauncher v2");
    EXPECT_EQ(device.readFile("/Applications/Category001.app/NestoraLauncher"), "NestoraLauncher v1");
}

class ToolLegacyConversion : public ::testing::Test {
protected:
    void SetUp() override {
        device.makeApp("/Applications/MobileNotes.app", "com.apple.mobilenotes", "Notes", "MobileNotes");
        device.makeApp("/var/mobile/Applications/AAAA/Game.app", "com.example.game", "Game", "Game");
        device.makeApp("/var/mobile/Applications/BBBB/Other.app", "com.example.other", "Other", "Other");
        device.makeCategory("Category004", "Games", false);
    }
    std::string legacyFile(const char* name) const { return "/Applications/Category004.app/" + std::string(name); }
    ToolDevice device;
};

TEST_F(ToolLegacyConversion, WritesTheBinaryPreferencesFileAndRemovesTheLegacyFiles) {
    device.writeFile(legacyFile("list.txt"),
                     "Camera.app\nNotes.app  \r\nMobileNotes.app   \r\nGame.app\nMissing.app\nPhotos.app\n"
                     "../MobileNotes.app\nMobileNotes.app");
    device.writeFile(legacyFile("Prefs.bin"), prefsRecord(std::string("\0\1\0\1\0", 5), 3, -2, "Glass", 1));
    device.writeFile(legacyFile("cache.bin"), "cache");
    RunResult run = device.tool({"-u", "Category004"});
    EXPECT_EQ(run.out, "Updating category Category004\n");
    const std::string prefs = ToolDevice::prefsFile("Category004");
    EXPECT_TRUE(device.readFile(prefs).starts_with("bplist00"));
    EXPECT_EQ(device.plistJson(prefs),
              "{\"categoryName\": \"Category004\", \"iconFontColor\": -2, \"iconThemeName\": \"Glass\", "
              "\"items\": [\"com.apple.mobileslideshow-Camera\", \"com.apple.mobilenotes\", \"com.example.game\", "
              "\"com.apple.mobileslideshow-Photos\", \"com.apple.mobilenotes\"], \"keepResident\": true, "
              "\"leftRightRowsPerColumn\": 3, \"leftRightScroll\": false, \"saveImageOnExit\": false, "
              "\"showCategoryName\": false, \"showIconLabels\": true, \"useBackgroundImage\": true}");
    for (const char* name : {"list.txt", "Prefs.bin", "cache.bin"}) {
        EXPECT_FALSE(device.exists(legacyFile(name))) << name;
    }
    EXPECT_EQ(device.modeOf(prefs), 0644);
}

TEST_F(ToolLegacyConversion, ShortRecordKeepsDefaultsForTheRest) {
    device.writeFile(legacyFile("list.txt"), "");
    device.writeFile(legacyFile("Prefs.bin"), std::string("\0\0\0\1\0\7\0", 7));
    EXPECT_EQ(device.tool({"-u", "Category004"}).out, "Updating category Category004\n");
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category004")),
              "{\"categoryName\": \"Category004\", \"iconFontColor\": 0, \"iconThemeName\": \"No Theme\", "
              "\"items\": [], \"keepResident\": false, \"leftRightRowsPerColumn\": 4, \"leftRightScroll\": false, "
              "\"saveImageOnExit\": false, \"showCategoryName\": false, \"showIconLabels\": false, "
              "\"useBackgroundImage\": true}");
}

TEST_F(ToolLegacyConversion, WithoutPrefsBinOnlyItemsAreWritten) {
    device.writeFile(legacyFile("list.txt"), "Photos.app\n");
    EXPECT_EQ(device.tool({"-u", "Category004"}).out, "Updating category Category004\n");
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category004")),
              "{\"items\": [\"com.apple.mobileslideshow-Photos\"]}");
}

TEST_F(ToolLegacyConversion, AnExistingPreferencesFileWins) {
    device.writePrefs("Category004", "{'items': ['com.apple.mobilenotes']}");
    const std::string before = device.readFile(ToolDevice::prefsFile("Category004"));
    device.writeFile(legacyFile("list.txt"), "Camera.app\n");
    device.writeFile(legacyFile("Prefs.bin"), std::string(110, '\0'));
    EXPECT_EQ(device.tool({"-u", "Category004"}).out, "Updating category Category004\n");
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category004")), before);
    EXPECT_FALSE(device.exists(legacyFile("list.txt")));
    EXPECT_FALSE(device.exists(legacyFile("Prefs.bin")));
}

TEST_F(ToolLegacyConversion, AnEmptyPreferencesFileARepairMadeDoesNotCostTheItems) {
    device.writeFile(legacyFile("list.txt"), "MobileNotes.app\n");
    device.writeFile(legacyFile("Prefs.bin"), std::string("\0", 1));
    // Repair gives the bundle its (empty) preferences file first.
    EXPECT_EQ(device.tool({"--repairall"}).out, "");
    EXPECT_EQ(device.readFile(ToolDevice::prefsFile("Category004")), "");
    EXPECT_EQ(device.tool({"-u", "Category004"}).out, "Updating category Category004\n");
    const std::string json = device.plistJson(ToolDevice::prefsFile("Category004")).value_or("");
    EXPECT_NE(json.find("\"items\": [\"com.apple.mobilenotes\"]"), std::string::npos) << json;
    EXPECT_FALSE(device.exists(legacyFile("list.txt")));
}

TEST_F(ToolLegacyConversion, AFailedWriteKeepsTheLegacyFiles) {
    device.writeFile(legacyFile("list.txt"), "Camera.app\n");
    // No preferences folder to write into.
    std::filesystem::remove_all(device.host(kPrefsFolder));
    RunResult run = device.tool({"-u", "Category004"});
    EXPECT_EQ(run.out,
              "Updating category Category004\n"
              "ERROR: Unable to write file: /var/mobile/Library/Preferences/com.quarvek.nestora.Category004.plist\n");
    EXPECT_EQ(device.readFile(legacyFile("list.txt")), "Camera.app\n");
    // The launcher files are refreshed all the same.
    EXPECT_EQ(device.readFile(legacyFile("NestoraLauncher")), "NestoraLauncher v2");
}

}  // namespace
}  // namespace nestora::test
