// Handing a folder the user controls to the user, as root: everything in it
// changes hands, nothing it merely points at or shares a name with does.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/TreeOwnership.h"
#include "tests/support/TestDevice.h"

namespace nestora::privileged {
namespace {

using test::TestDevice;

constexpr FileOwner kMobile{4242, 4343};

struct stat lstatOf(const std::string& hostPath) {
    struct stat st{};
    EXPECT_EQ(::lstat(hostPath.c_str(), &st), 0) << hostPath;
    return st;
}

bool ownedByMobile(const std::string& hostPath) {
    const struct stat st = lstatOf(hostPath);
    return st.st_uid == kMobile.uid && st.st_gid == kMobile.gid;
}

bool ownedByRoot(const std::string& hostPath) {
    const struct stat st = lstatOf(hostPath);
    return st.st_uid == 0 && st.st_gid == 0;
}

class TreeOwnership : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "handing files to another user needs root";
    }
    TestDevice device_;
};

TEST_F(TreeOwnership, EverythingInsideChangesHandsAndNothingOutside) {
    device_.writeFile("/etc/shadow", "root's secret");
    device_.writeFile("/etc/target", "pointed at");
    device_.writeFile("/var/mobile/Documents/mobclix.db", "db");
    device_.writeFile("/var/mobile/Documents/admob/cache/ad.bin", "ad");
    const std::string docs = device_.host("/var/mobile/Documents");
    // What a user with the folder could plant for a root-run walk to hit.
    ASSERT_EQ(::link(device_.host("/etc/shadow").c_str(), (docs + "/hardlink").c_str()), 0);
    ASSERT_EQ(::symlink(device_.host("/etc/target").c_str(), (docs + "/symlink").c_str()), 0);
    ASSERT_EQ(::symlink(device_.host("/etc").c_str(), (docs + "/folderlink").c_str()), 0);
    ASSERT_EQ(::mkfifo((docs + "/fifo").c_str(), 0600), 0);

    const auto count = handTreeToOwner("/var/mobile/Documents", kMobile);
    ASSERT_TRUE(count);
    for (const char* mine : {"", "/mobclix.db", "/admob", "/admob/cache", "/admob/cache/ad.bin", "/symlink",
                             "/folderlink"}) {
        EXPECT_TRUE(ownedByMobile(docs + mine)) << mine;
    }
    EXPECT_EQ(count->changed, 7u);
    EXPECT_TRUE(ownedByRoot(device_.host("/etc/shadow"))) << "a second name of root's file was followed";
    EXPECT_TRUE(ownedByRoot(device_.host("/etc/target"))) << "a link was followed";
    EXPECT_TRUE(ownedByRoot(device_.host("/etc"))) << "a link to a folder was followed";
    EXPECT_TRUE(ownedByRoot(docs + "/fifo"));
    EXPECT_EQ(count->skipped, 2u);  // the hard link and the FIFO
}

TEST_F(TreeOwnership, AFolderTheUserReplacedWithALinkIsNotEntered) {
    device_.writeFile("/etc/shadow", "root's secret");
    device_.makeFolder("/var/mobile");
    // The user owns /var/mobile, so a link there was not put by root.
    ASSERT_EQ(::chown(device_.host("/var/mobile").c_str(), kMobile.uid, kMobile.gid), 0);
    ASSERT_EQ(::symlink(device_.host("/etc").c_str(), device_.host("/var/mobile/Documents").c_str()), 0);
    EXPECT_FALSE(handTreeToOwner("/var/mobile/Documents", kMobile));
    EXPECT_TRUE(ownedByRoot(device_.host("/etc/shadow")));
    EXPECT_TRUE(ownedByRoot(device_.host("/etc")));
    EXPECT_FALSE(handTreeToOwner("/var/mobile/Missing", kMobile));
}

TEST_F(TreeOwnership, ADeepTreeIsWalkedToTheLimitWithoutRecursion) {
    std::string path = "/var/mobile/Documents";
    for (std::size_t depth = 0; depth < kMaxHandOverDepth + 5; ++depth) {
        path += "/d";
    }
    device_.writeFile(path + "/deepest", "x");
    const auto count = handTreeToOwner("/var/mobile/Documents", kMobile);
    ASSERT_TRUE(count);
    std::string limit = "/var/mobile/Documents";
    for (std::size_t depth = 0; depth < kMaxHandOverDepth; ++depth) {
        limit += "/d";
    }
    EXPECT_TRUE(ownedByMobile(device_.host(limit)));
    EXPECT_TRUE(ownedByRoot(device_.host(limit + "/d")));
    EXPECT_EQ(count->changed, kMaxHandOverDepth + 1);
}

TEST_F(TreeOwnership, ModesChangeOnlyOnAFolderOrASingleNamedFile) {
    device_.writeFile("/etc/shadow", "root's secret");
    ASSERT_EQ(::chmod(device_.host("/etc/shadow").c_str(), 0600), 0);
    device_.writeFile("/var/mobile/Documents/mobclix.db", "db");
    const std::string docs = device_.host("/var/mobile/Documents");
    ASSERT_EQ(::link(device_.host("/etc/shadow").c_str(), (docs + "/hardlink").c_str()), 0);
    ASSERT_EQ(::symlink(device_.host("/etc/shadow").c_str(), (docs + "/symlink").c_str()), 0);

    EXPECT_TRUE(setModeOfEntry("/var/mobile/Documents", 0755));
    EXPECT_TRUE(setModeOfEntry("/var/mobile/Documents/mobclix.db", 0640));
    EXPECT_EQ(lstatOf(docs).st_mode & 07777, 0755u);
    EXPECT_EQ(lstatOf(docs + "/mobclix.db").st_mode & 07777, 0640u);
    EXPECT_FALSE(setModeOfEntry("/var/mobile/Documents/hardlink", 0644));
    EXPECT_FALSE(setModeOfEntry("/var/mobile/Documents/symlink", 0644));
    EXPECT_FALSE(setModeOfEntry("/var/mobile/Documents/missing", 0644));
    EXPECT_EQ(lstatOf(device_.host("/etc/shadow")).st_mode & 07777, 0600u);
}

}  // namespace
}  // namespace nestora::privileged
