// The preferences folder belongs to the mobile user, who can plant links in
// it. The tool, running as root, must never read or write through them.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"
#include "tool/CategoryPreferencesFile.h"

namespace nestora::test {
namespace {

constexpr uid_t kUserId = 65534;

class ToolPreferencesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root to hand folders to another user";
        }
        device.makeFolder("/victim");
        ASSERT_TRUE(plistlibWrite(device.host("/victim/secret.plist"), "{'items': ['root-only-secret']}", "xml"));
        chmod(device.host("/victim/secret.plist").c_str(), 0600);
    }
    void giveToUser(std::string_view devicePath) const {
        ASSERT_EQ(lchown(device.host(devicePath).c_str(), kUserId, kUserId), 0);
    }
    void plantLink(std::string_view target, std::string_view at) const {
        std::filesystem::create_symlink(device.host(target), device.host(at));
        ASSERT_EQ(lchown(device.host(at).c_str(), kUserId, kUserId), 0);
    }
    ToolDevice device;
};

TEST_F(ToolPreferencesFolder, APlantedFolderLinkIsNotFollowed) {
    std::filesystem::remove_all(device.host(kPrefsFolder));
    giveToUser("/var/mobile/Library");
    plantLink("/victim", kPrefsFolder);
    RunResult run = device.tool({"-c", "Games"});
    EXPECT_EQ(run.out, "ERROR: Unable to create file: " + ToolDevice::prefsFile("Category000") + "\n");
    EXPECT_FALSE(device.exists("/victim/com.quarvek.nestora.Category000.plist"));
    EXPECT_FALSE(device.exists("/Applications/Category000.app"));
}

TEST_F(ToolPreferencesFolder, ALinkRootMadeInARootFolderIsFollowed) {
    std::filesystem::remove_all(device.host(kPrefsFolder));
    device.makeFolder("/var/stash/Preferences");
    std::filesystem::create_symlink(device.host("/var/stash/Preferences"), device.host(kPrefsFolder));
    EXPECT_EQ(device.tool({"-c", "Games"}).out, "");
    EXPECT_TRUE(device.exists("/var/stash/Preferences/com.quarvek.nestora.Category000.plist"));
}

TEST_F(ToolPreferencesFolder, APlantedFileLinkIsNeitherReadNorWrittenThrough) {
    giveToUser(kPrefsFolder);
    device.makeCategory("Category000", "Games", false);
    plantLink("/victim/secret.plist", ToolDevice::prefsFile("Category000"));
    device.installHideLibrary(NESTORA_RECORDING_HIDE_LIBRARY);

    EXPECT_EQ(device.tool({"-s", "Category000"}).out, "ERROR: Category does not exist or is damaged.\n");
    // Repair sees the link as the preferences file and leaves it.
    EXPECT_EQ(device.tool({"-r", "Category000"}).out, "");
    // Delete reads nothing through the link; not knowing which apps the
    // category holds, it un-hides none and removes nothing.
    EXPECT_EQ(device.tool({"-d", "Category000"}).out,
              "ERROR: Unable to read preferences for com.quarvek.nestora.Category000\n");
    EXPECT_TRUE(device.hideCalls().empty());
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category000")));
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));
    EXPECT_NE(device.plistJson("/victim/secret.plist")->find("root-only-secret"), std::string::npos);
}

TEST_F(ToolPreferencesFolder, AFolderSwappedInDuringARunIsNotUsed) {
    // The folder the run checked is the one it works in to the end, even
    // when another takes its name half-way (here while apps are un-hidden).
    device.makeCategory("Category000", "Games");
    device.writePrefs("Category000", "{'items': ['com.example.game']}");
    device.makeFolder("/var/mobile/Library/Swapped");
    device.writePrefs("Category000", "{'items': ['planted']}");
    std::filesystem::rename(device.host(ToolDevice::prefsFile("Category000")),
                            device.host("/var/mobile/Library/Swapped/com.quarvek.nestora.Category000.plist"));
    device.writePrefs("Category000", "{'items': ['com.example.game']}");
    device.installHideLibrary(NESTORA_SWAPPING_HIDE_LIBRARY);

    EXPECT_EQ(device.tool({"-d", "Category000"}).out, "");
    EXPECT_FALSE(device.exists("/var/mobile/Library/Checked/com.quarvek.nestora.Category000.plist"));
    EXPECT_NE(device.plistJson(ToolDevice::prefsFile("Category000"))->find("planted"), std::string::npos);
}

TEST_F(ToolPreferencesFolder, RemovingItemsKeepsTheFilesOwnerAndMode) {
    giveToUser(kPrefsFolder);
    device.writePrefs("Category000", "{'items': ['com.example.a'], 'iconFontColor': 5}");
    const std::string file = device.host(ToolDevice::prefsFile("Category000"));
    ASSERT_EQ(chown(file.c_str(), kUserId, kUserId), 0);
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(tool::removeCategoryItems(tool::openPreferencesFolder(), "com.quarvek.nestora.Category000"));
    struct stat st{};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kUserId);
    EXPECT_EQ(st.st_gid, kUserId);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category000")), "{\"iconFontColor\": 5}");
    // Through a planted link nothing is read, so nothing is written either.
    std::filesystem::remove(file);
    plantLink("/victim/secret.plist", ToolDevice::prefsFile("Category000"));
    EXPECT_FALSE(tool::removeCategoryItems(tool::openPreferencesFolder(), "com.quarvek.nestora.Category000"));
    EXPECT_NE(device.plistJson("/victim/secret.plist")->find("root-only-secret"), std::string::npos);
}

TEST_F(ToolPreferencesFolder, LegacyConversionWritesAFreshFileNotThroughALink) {
    giveToUser(kPrefsFolder);
    device.makeCategory("Category004", "Games", false);
    device.writeFile("/Applications/Category004.app/list.txt", "Camera.app\n");
    // A dangling link at the preferences name counts as an existing file:
    // nothing is written through it, and the legacy files are discarded as
    // for any existing preferences file.
    plantLink("/victim/new.plist", ToolDevice::prefsFile("Category004"));
    EXPECT_EQ(device.tool({"-u", "Category004"}).out, "Updating category Category004\n");
    EXPECT_FALSE(device.exists("/victim/new.plist"));
}

}  // namespace
}  // namespace nestora::test
