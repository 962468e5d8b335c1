// The automatic backup at the app's exit: only when something changed, the
// last ten kept, in the order they were made whatever the clock says.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backup/BackupSave.h"
#include "tests/backup/BackupHarness.h"

namespace nestora::test {
namespace {

using backup::Clock;

backup::Backup layout(int version) {
    backup::Backup made;
    backup::BackupCategory category;
    category.directoryName = "Category000";
    category.displayName = "Games " + std::to_string(version);
    made.categories.push_back(category);
    return made;
}

TEST(Autosave, SavesOnlyWhatChangedAndKeepsTheLastTen) {
    TestDevice device;
    const Clock::time_point start = Clock::from_time_t(1700000000);  // 2023-11-14 22:13:20 UTC
    device.writeFile(std::string(backup::kBackupsFolder) + "/my notes.txt", "the user's own");

    backup::AutosaveResult first = backup::autosave(layout(0), start);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.savedPath, std::string(backup::kBackupsFolder) + "/Backup-20231114-221320-00.plist");
    backup::AutosaveResult same = backup::autosave(layout(0), start + std::chrono::hours(1));
    EXPECT_TRUE(same.ok);
    EXPECT_FALSE(same.savedPath) << "nothing changed since the newest backup";

    for (int version = 1; version <= 11; ++version) {
        ASSERT_TRUE(backup::autosave(layout(version), start + std::chrono::minutes(version)).savedPath);
    }
    const std::vector<std::string> kept = backup::automaticBackupNames(backup::kBackupsFolder);
    ASSERT_EQ(kept.size(), backup::kAutomaticBackupsKept);
    EXPECT_EQ(kept.front(), "Backup-20231114-221520-00.plist") << "the two oldest went";
    EXPECT_EQ(kept.back(), "Backup-20231114-222420-00.plist");
    EXPECT_TRUE(device.exists(std::string(backup::kBackupsFolder) + "/my notes.txt"));
}

TEST(Autosave, ANewBackupSortsLastEvenWhenTheClockWentBack) {
    TestDevice device;
    const Clock::time_point start = Clock::from_time_t(1700000000);
    ASSERT_TRUE(backup::autosave(layout(0), start).savedPath);
    ASSERT_TRUE(backup::autosave(layout(1), start).savedPath);  // within the same second
    ASSERT_TRUE(backup::autosave(layout(2), start - std::chrono::hours(24 * 365)).savedPath);
    EXPECT_EQ(backup::automaticBackupNames(backup::kBackupsFolder),
              (std::vector<std::string>{"Backup-20231114-221320-00.plist", "Backup-20231114-221320-01.plist",
                                        "Backup-20231114-221320-02.plist"}));
    const std::string newest = device.readFile(std::string(backup::kBackupsFolder) + "/Backup-20231114-221320-02.plist");
    EXPECT_NE(newest.find("Games 2"), std::string::npos);
}

TEST(Autosave, TheProgramSavesOnceForOneLayout) {
    BackupDevice device;
    device.makeCategory("Games", {"com.example.tanks"});
    RunResult first = device.backup({"autosave"});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out.rfind("Saved /var/mobile/Library/Nestora/Backups/Backup-", 0), 0u) << first.out;
    RunResult second = device.backup({"autosave"});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(backup::automaticBackupNames(backup::kBackupsFolder).size(), 1u);
}

TEST(Autosave, RunByRootItWorksAsTheOwnerOfThePreferences) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr || nobody->pw_uid == 0) GTEST_SKIP() << "needs root and a user nobody";
    BackupDevice device;
    for (const char* folder : {"/var/mobile", "/var/mobile/Library", "/var/mobile/Library/Preferences"}) {
        ASSERT_EQ(::chown(device.host(folder).c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    RunResult saved = device.backup({"autosave"});
    ASSERT_EQ(saved.exitStatus, 0) << saved.err;
    const std::vector<std::string> names = backup::automaticBackupNames(backup::kBackupsFolder);
    ASSERT_EQ(names.size(), 1u);
    for (const std::string& path : {std::string(backup::kBackupsFolder), std::string(backup::kBackupsFolder) + "/" + names[0]}) {
        struct stat st {};
        ASSERT_EQ(::stat(device.host(path).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, nobody->pw_uid) << path << " belongs to the user whose layout it holds";
    }
}

}  // namespace
}  // namespace nestora::test
