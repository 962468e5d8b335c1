// nestora-backup run by root, on a device whose /var/mobile belongs to a user
// who has laid links and folders for it: every command refuses before it
// reads or writes anything, and root writes nowhere.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/backup/BackupHarness.h"
#include "tests/support/TestUser.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackupFile = "/var/mobile/Media/before.plist";
// A folder whose files root runs at boot.
constexpr const char* kRootJobs = "/etc/boot-jobs";

class BackupRunByRoot : public ::testing::Test {
protected:
    void SetUp() override {
        auto found = testUser();
        if (!found) GTEST_SKIP() << "needs root and the user nestora-test";
        user = *found;
        // A backup holding a category and, as the extension's Recent list
        // is, a preferences domain without a bundle.
        device.makeCategory("Games", {"com.example.tanks"});
        device.writeFile(std::string(kPreferencesFolder) + "/com.quarvek.nestora.Recent.plist", "");
        ASSERT_EQ(device.backup({"save", kBackupFile}).exitStatus, 0);
        device.deleteEveryCategory();
        device.removeAll(std::string(kPreferencesFolder) + "/com.quarvek.nestora.Recent.plist");
        device.makeFolder(kRootJobs);
        for (const char* folder : {"/var/mobile", "/var/mobile/Library", "/var/mobile/Media"}) {
            ASSERT_EQ(::chown(device.host(folder).c_str(), user.uid, user.gid), 0);
        }
    }

    void expectEveryCommandRefused(const std::string& why) {
        const std::string refusal = "nestora-backup: refusing to run as root: /var/mobile/Library/Preferences " + why + "\n";
        const auto before = device.tree();
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"restore", kBackupFile}, {"save", "/var/mobile/Media/after.plist"}, {"list", kBackupFile}, {"autosave"}}) {
            const RunResult run = device.backup(command);
            EXPECT_EQ(run.exitStatus, 1) << command[0];
            EXPECT_EQ(run.err, refusal) << command[0];
            EXPECT_EQ(run.out, "") << command[0];
        }
        EXPECT_EQ(changedPaths(before, device.tree()), std::vector<std::string>{});
        EXPECT_TRUE(fs::is_empty(device.host(kRootJobs)));
    }

    TestUser user;
    BackupDevice device;
};

TEST_F(BackupRunByRoot, ALinkInPlaceOfThePreferencesFolderIsNotFollowed) {
    fs::rename(device.host(kPreferencesFolder), device.host("/var/mobile/Library/Moved"));
    fs::create_directory_symlink("../../../etc/boot-jobs", device.host(kPreferencesFolder));
    ASSERT_EQ(::chown(device.host("/var/mobile/Library").c_str(), user.uid, user.gid), 0);
    expectEveryCommandRefused("is missing, not a folder, or reached through a link");
}

TEST_F(BackupRunByRoot, AFolderOfRootsInTheUsersFolderIsNoPlaceToWorkAsRoot) {
    ASSERT_EQ(::chown(device.host("/var/mobile/Library").c_str(), user.uid, user.gid), 0);
    ASSERT_EQ(::chown(device.host(kPreferencesFolder).c_str(), 0, 0), 0);
    expectEveryCommandRefused("belongs to root where another user can change it");
}

TEST_F(BackupRunByRoot, WithTheUsersOwnFolderItWorksAsTheUser) {
    for (const char* folder : {"/var/mobile/Library", "/var/mobile/Library/Preferences"}) {
        ASSERT_EQ(::chown(device.host(folder).c_str(), user.uid, user.gid), 0);
    }
    // Root's file where the user could have put a link of their own.
    device.writeFile("/etc/boot-jobs/job.plist", "root's");
    ASSERT_EQ(::chmod(device.host("/etc/boot-jobs/job.plist").c_str(), 0600), 0);
    fs::create_symlink("../../../etc/boot-jobs/job.plist", device.host("/var/mobile/Media/linked.plist"));
    const RunResult listed = device.backup({"list", "/var/mobile/Media/linked.plist"});
    EXPECT_EQ(listed.exitStatus, 1);
    EXPECT_NE(listed.err.find("cannot read"), std::string::npos) << listed.err;

    const RunResult saved = device.backup({"autosave"});
    ASSERT_EQ(saved.exitStatus, 0) << saved.err;
    struct stat st {};
    ASSERT_EQ(::stat(device.host("/var/mobile/Library/Nestora").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, user.uid);
    EXPECT_EQ(st.st_gid, user.gid);
}

}  // namespace
}  // namespace nestora::test
