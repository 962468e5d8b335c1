// The changing operations act on a bundle only when it is a category: its
// Info.plist names the category of its folder, or, when that cannot be read,
// it holds the launcher. Anything else is refused with one line, untouched.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

class ToolOnlyCategories : public ::testing::Test {
protected:
    void SetUp() override {
        device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
        device.writeFile("/Applications/MobileSafari.app/list.txt", "MobileSafari.app\n");
    }
    std::string snapshot(const std::string& folder) const {
        std::string listing;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(device.host(folder))) {
            listing += entry.path().string() + "=" +
                       (entry.is_regular_file() ? device.readFile(entry.path().string().substr(device.root().size()))
                                                : std::string("/")) +
                       "\n";
        }
        return listing;
    }
    ToolDevice device;
};

TEST_F(ToolOnlyCategories, RepairAndUpgradeLeaveAnAppAlone) {
    const std::string before = snapshot("/Applications/MobileSafari.app");
    EXPECT_EQ(device.tool({"-u", "MobileSafari"}).out, "ERROR: Not a category: MobileSafari\n");
    EXPECT_EQ(device.tool({"--repair", "MobileSafari"}).out, "ERROR: Not a category: MobileSafari\n");
    EXPECT_EQ(snapshot("/Applications/MobileSafari.app"), before);
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("MobileSafari")));

    // A preferences file under an app's name makes it no category for the
    // all-categories forms either; the real categories are still done.
    device.writeFile(ToolDevice::prefsFile("MobileSafari"), "");
    device.makeCategory("Category000", "Games");
    std::vector<std::string> lines = linesOf(device.tool({"--upgradeall", "--repairall"}).out);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"ERROR: Not a category: MobileSafari",
                                               "ERROR: Not a category: MobileSafari", "Updating category Category000"}));
    EXPECT_EQ(snapshot("/Applications/MobileSafari.app"), before);
    EXPECT_EQ(device.readFile("/Applications/Category000.app/NestoraLauncher"), "NestoraLauncher v2");
    EXPECT_EQ(device.tool({"-d", "MobileSafari"}).out, "ERROR: Not a category: MobileSafari\n");
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("MobileSafari")));
}

TEST_F(ToolOnlyCategories, TheIdentifierMustNameTheFoldersOwnCategory) {
    // Category001's Info.plist in Category000's folder: not this category.
    device.makeCategory("Category000", "Games");
    ASSERT_TRUE(plistlibWrite(device.host("/Applications/Category000.app/Info.plist"),
                              "{'CFBundleIdentifier': 'com.quarvek.nestora.Category001'}", "xml"));
    EXPECT_EQ(device.tool({"-n", "X", "Category000"}).out, "ERROR: Not a category: Category000\n");
    EXPECT_EQ(device.tool({"-d", "Category000"}).out, "ERROR: Not a category: Category000\n");
    EXPECT_TRUE(device.exists("/Applications/Category000.app/NestoraLauncher"));
}

TEST_F(ToolOnlyCategories, WithoutAReadableIdentifierTheLauncherDecides) {
    device.makeCategory("Category000", "Games");
    device.makeCategory("Category001", "Games");
    std::filesystem::remove(device.host("/Applications/Category000.app/Info.plist"));
    ASSERT_TRUE(plistlibWrite(device.host("/Applications/Category001.app/Info.plist"),
                              "{'CFBundleDisplayName': 'No identifier'}", "xml"));
    EXPECT_EQ(device.tool({"-n", "Named", "Category000"}).out, "");
    EXPECT_NE(device.plistJson("/Applications/Category000.app/Info.plist")->find("\"Named\""), std::string::npos);
    EXPECT_EQ(device.tool({"-d", "Category001"}).out, "");
    EXPECT_FALSE(device.exists("/Applications/Category001.app"));

    // No launcher and no identifier: no category.
    device.writeFile("/Applications/Category002.app/Info.plist", "not a property list");
    EXPECT_EQ(device.tool({"-u", "Category002", "-d", "Category002"}).out,
              "ERROR: Not a category: Category002\nERROR: Not a category: Category002\n");
    EXPECT_EQ(device.readFile("/Applications/Category002.app/Info.plist"), "not a property list");
}

TEST_F(ToolOnlyCategories, AFileOrALinkAtTheBundlePathIsNoCategory) {
    device.writeFile("/Applications/Category000.app", "a plain file");
    device.makeCategory("Category005", "Real");
    std::filesystem::create_directory_symlink(device.host("/Applications/Category005.app"),
                                              device.host("/Applications/Category001.app"));
    EXPECT_EQ(device.tool({"-d", "Category000", "-r", "Category000", "-d", "Category001"}).out,
              "ERROR: Not a category: Category000\n"
              "ERROR: Not a category: Category000\n"
              "ERROR: Not a category: Category001\n");
    EXPECT_EQ(device.readFile("/Applications/Category000.app"), "a plain file");
    EXPECT_TRUE(device.exists("/Applications/Category001.app"));
    EXPECT_TRUE(device.exists("/Applications/Category005.app/Info.plist"));
}

TEST_F(ToolOnlyCategories, ABundleCutShortInTheMakingIsStillACategory) {
    // What a create or repair killed before the launcher was copied leaves.
    device.makeFolder("/Applications/Category000.app");
    device.writeFile("/Applications/Category001.app/blank.png", "part");
    // Delete clears the one; repair completes the other.
    EXPECT_EQ(device.tool({"-d", "Category000", "-r", "Category001"}).out,
              "Restored missing file: /Applications/Category001.app/NestoraLauncher\n"
              "Restored missing file: /Applications/Category001.app/Default.png\n"
              "Restored missing file: /Applications/Category001.app/background.png\n"
              "Restored missing file: /Applications/Category001.app/MainWindow.nib\n"
              "Rebuilt Info.plist: /Applications/Category001.app/Info.plist\n");
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
    EXPECT_EQ(device.readFile("/Applications/Category001.app/blank.png"), "part");
    EXPECT_EQ(device.modeOf("/Applications/Category001.app/NestoraLauncher"), 0755u);
    EXPECT_EQ(device.tool({"-r", "Category001"}).out, "");
    // Anything the tool does not put there makes it someone else's.
    device.writeFile("/Applications/Category002.app/blank.png", "part");
    device.writeFile("/Applications/Category002.app/Installer", "theirs");
    EXPECT_EQ(device.tool({"-d", "Category002"}).out, "ERROR: Not a category: Category002\n");
    EXPECT_TRUE(device.exists("/Applications/Category002.app/Installer"));
}

}  // namespace
}  // namespace nestora::test
