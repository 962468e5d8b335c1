// Save every category, take them away, restore: the device must be as it
// was. Then restores onto devices that are not empty, or lack some apps.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "backup/BackupFormat.h"
#include "tests/backup/BackupHarness.h"
#include "tests/support/PythonPlist.h"

namespace nestora::test {
namespace {

constexpr const char* kBackupFile = "/var/mobile/Media/layout.plist";

class SaveRestore : public ::testing::Test {
protected:
    void SetUp() override {
        games = device.makeCategory("Games", {"com.example.tanks", "com.example.sudoku"},
                                    {{"iconFontColor", 3}, {"showIconLabels", false}, {"iconThemeName", "Retro"}},
                                    pngImage("games"));
        social = device.makeCategory("Social", {"com.example.chirp", "com.apple.MobileSMS", "com.example.gone"});
        quoted = device.makeCategory("Ünï \"quoted\" $HOME `x` \\", {}, {}, pngImage("quoted"));
    }

    RunResult save() const { return device.backup({"save", kBackupFile}); }
    RunResult restore() const { return device.backup({"restore", kBackupFile}); }

    BackupDevice device;
    std::string games;
    std::string social;
    std::string quoted;
};

TEST_F(SaveRestore, RestoringOntoTheEmptiedDeviceBringsEverythingBack) {
    const std::string before = device.judgedState();
    ASSERT_EQ(device.hiddenApps().size(), 4u) << "four installed apps were put into categories";
    RunResult saved = save();
    ASSERT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_EQ(saved.out, "Saved 3 categories to /var/mobile/Media/layout.plist\n");

    device.deleteEveryCategory();
    EXPECT_TRUE(device.hiddenApps().empty()) << "deleting a category shows its apps again";

    RunResult restored = restore();
    EXPECT_EQ(restored.exitStatus, 0) << restored.out << restored.err;
    EXPECT_EQ(lineWith(restored.out, "restored"), "3 categories restored, 0 already present, 0 skipped, 0 failed.");
    EXPECT_NE(lineWith(restored.out, "1 item names an app"), "") << restored.out;
    EXPECT_EQ(device.judgedState(), before);
    EXPECT_FALSE(device.exists("/var/mobile/Library/Nestora/RestoreJournal.plist"));
}

TEST_F(SaveRestore, TheBackupIsABinaryPropertyListThatPlistlibReads) {
    ASSERT_EQ(save().exitStatus, 0);
    EXPECT_EQ(device.readFile(kBackupFile).substr(0, 8), "bplist00");
    const std::optional<std::string> json = plistlibJson(device.host(kBackupFile));
    ASSERT_TRUE(json);
    EXPECT_NE(json->find("\"NestoraBackupFormat\": 1"), std::string::npos) << *json;
    EXPECT_NE(json->find("\"DisplayName\": \"Games\""), std::string::npos);
    EXPECT_NE(json->find("\"iconFontColor\": 3"), std::string::npos);
    EXPECT_NE(json->find("\"showIconLabels\": false"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(device.host(kBackupFile).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "only its owner reads a user's layout";
}

TEST_F(SaveRestore, ASecondRestoreLeavesEveryCategoryAlone) {
    ASSERT_EQ(save().exitStatus, 0);
    const std::string before = device.state();
    RunResult again = restore();
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(lineWith(again.out, "restored"), "0 categories restored, 3 already present, 0 skipped, 0 failed.");
    EXPECT_EQ(device.state(), before);
}

TEST_F(SaveRestore, RestoreOntoADeviceWithSomeOfTheCategoriesAndFewerApps) {
    ASSERT_EQ(save().exitStatus, 0);
    const std::string backup = device.readFile(kBackupFile);

    BackupDevice other;
    other.removeAll("/var/mobile/Applications/1A2B3C4D-0001");  // no Chirp here
    other.writeFile(kBackupFile, backup);
    const std::string sameGames = other.makeCategory("Games", {"com.example.tanks", "com.example.sudoku"});
    const std::string work = other.makeCategory("Work", {"com.apple.mobilecal"});
    ASSERT_EQ(sameGames, "Category000");
    ASSERT_EQ(work, "Category001");
    const std::string workBefore = other.state();

    RunResult restored = other.backup({"restore", kBackupFile});
    EXPECT_EQ(restored.exitStatus, 0) << restored.out << restored.err;
    EXPECT_EQ(lineWith(restored.out, "restored"), "2 categories restored, 1 already present, 0 skipped, 0 failed.");
    EXPECT_NE(lineWith(restored.out, "2 items name apps"), "") << restored.out;
    // Social's own number is taken by Work, so it gets the lowest number that
    // no category of the device or the backup has.
    EXPECT_EQ(other.categoryNames(),
              (std::vector<std::string>{"Category000", "Category001", "Category002", "Category003"}));
    EXPECT_NE(lineWith(other.tool({"-s", "Category003"}).out, "com.example.chirp"), "")
        << "an item for an app this device lacks stays in its category";
    const std::optional<std::string> work1 = plistlibJson(other.host(std::string(kPreferencesFolder) +
                                                                     "/com.quarvek.nestora.Category001.plist"));
    EXPECT_EQ(work1, "{\"items\": [\"com.apple.mobilecal\"]}") << "the device's own category is untouched";
    const std::vector<std::string> hidden = other.hiddenApps();
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "/Applications/MobileSMS.app/Info.plist"), 1);
    EXPECT_NE(workBefore, other.state());
}

TEST_F(SaveRestore, ACategoryWithoutABundleComesBackWithoutOneAndHidesNothing) {
    // Made by other software (the extension's Recent list): only its
    // preferences domain exists, and its apps stay on the home screen.
    ASSERT_TRUE(plistlibWrite(device.host(std::string(kPreferencesFolder) + "/com.quarvek.nestora.Recent.plist"),
                              "{'items': ['com.apple.Maps']}", "binary"));
    ASSERT_EQ(save().exitStatus, 0);
    const std::string before = device.state();
    device.deleteEveryCategory();
    RunResult restored = restore();
    EXPECT_EQ(restored.exitStatus, 0) << restored.err;
    EXPECT_FALSE(device.exists("/Applications/Recent.app"));
    EXPECT_EQ(device.state(), before);
}

TEST_F(SaveRestore, ListShowsEveryCategoryWithNamesMadeSafe) {
    ASSERT_EQ(save().exitStatus, 0);
    RunResult listed = device.backup({"list", kBackupFile});
    ASSERT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_NE(lineWith(listed.out, "Backup saved on "), "");
    EXPECT_NE(listed.out.find("3 categories"), std::string::npos);
    EXPECT_EQ(lineWith(listed.out, "Category000"), "Games             Category000  2 items, icon");
    EXPECT_EQ(lineWith(listed.out, "Category001"), "Social            Category001  3 items");
    EXPECT_EQ(lineWith(listed.out, "Category002"), "Ünï \"quoted\" $HOME `x` \\\\ Category002  0 items, icon");
}

TEST(Restore, MoreThanAFewCategoriesShowProgressOnOneLine) {
    BackupDevice device;
    backup::Backup many;
    for (int n = 1; n <= 6; ++n) {
        backup::BackupCategory category;
        category.directoryName = "Extra" + std::to_string(n);  // without a bundle: quick to restore
        category.preferences["items"] = plist::Value(plist::Array{});
        many.categories.push_back(category);
    }
    device.writeFile(kBackupFile, backup::encodeBackup(many));
    RunResult restored = device.backup({"restore", kBackupFile});
    EXPECT_EQ(restored.exitStatus, 0) << restored.err;
    EXPECT_EQ(restored.err,
              "\rRestoring category 1 of 6\rRestoring category 2 of 6\rRestoring category 3 of 6"
              "\rRestoring category 4 of 6\rRestoring category 5 of 6\rRestoring category 6 of 6\n");
    EXPECT_EQ(lineWith(restored.out, "restored"), "6 categories restored, 0 already present, 0 skipped, 0 failed.");
}

TEST_F(SaveRestore, UsageAndMissingFilesAreClearFailures) {
    EXPECT_EQ(device.backup({}).exitStatus, 2);
    EXPECT_EQ(device.backup({"restore"}).exitStatus, 2);
    EXPECT_EQ(device.backup({"save", "a", "b"}).exitStatus, 2);
    EXPECT_NE(device.backup({"frobnicate", "x"}).err.find("usage: nestora-backup"), std::string::npos);
    RunResult missing = device.backup({"restore", "/var/mobile/Media/none.plist"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("cannot read /var/mobile/Media/none.plist"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace nestora::test
