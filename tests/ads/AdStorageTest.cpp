// The ad libraries' folder: made at start, handed to the user at the end,
// and never left writable by everyone.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ads/AdStorage.h"
#include "tests/support/TestDevice.h"

namespace nestora::ads {
namespace {

struct stat lstatOf(const std::string& hostPath) {
    struct stat st{};
    EXPECT_EQ(::lstat(hostPath.c_str(), &st), 0) << hostPath;
    return st;
}

// Restores the process's file-creation mask when it goes.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }

private:
    mode_t previous_;
};

TEST(AdStorage, FoldersAreMadeForTheOwnerToWriteEvenWithAnOpenMask) {
    test::TestDevice device;
    device.makeFolder("/var/mobile");
    const Umask open(0);
    prepareAdStorage();
    EXPECT_EQ(lstatOf(device.host("/var/mobile/Documents")).st_mode & 07777, 0755u);
    EXPECT_EQ(lstatOf(device.host("/var/mobile/Documents/admob")).st_mode & 07777, 0755u);
    // A second start finds them there.
    prepareAdStorage();
    EXPECT_TRUE(device.exists("/var/mobile/Documents/admob"));
}

TEST(AdStorage, ModesLeftWorldWritableAreClosedAtStart) {
    test::TestDevice device;
    device.writeFile("/var/mobile/Documents/mobclix.db", "db");
    ASSERT_EQ(::chmod(device.host("/var/mobile/Documents").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(device.host("/var/mobile/Documents/mobclix.db").c_str(), 0777), 0);
    prepareAdStorage();
    EXPECT_EQ(lstatOf(device.host("/var/mobile/Documents")).st_mode & 07777, kStorageFolderMode);
    EXPECT_EQ(lstatOf(device.host("/var/mobile/Documents/mobclix.db")).st_mode & 07777, kDatabaseMode);
}

TEST(AdStorage, TheEndHandsTheWholeFolderToTheUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "handing files to another user needs root";
    test::TestDevice device;
    device.writeFile("/var/mobile/Documents/admob/cache.bin", "ad");
    device.writeFile("/var/mobile/Documents/mobclix.db", "db");
    device.writeFile("/var/mobile/Documents/Other App/notes.txt", "mine");
    device.writeFile("/var/mobile/Library/Preferences/com.quarvek.nestora.plist", "");
    const privileged::FileOwner mobile{4242, 4343};
    endApplicationFixup(mobile);
    for (const char* path : {"/var/mobile/Documents", "/var/mobile/Documents/admob/cache.bin",
                             "/var/mobile/Documents/mobclix.db", "/var/mobile/Documents/Other App/notes.txt"}) {
        const struct stat st = lstatOf(device.host(path));
        EXPECT_EQ(st.st_uid, mobile.uid) << path;
        EXPECT_EQ(st.st_gid, mobile.gid) << path;
    }
    EXPECT_EQ(lstatOf(device.host("/var/mobile/Library/Preferences/com.quarvek.nestora.plist")).st_uid, 0u)
        << "only the documents folder changes hands";
    EXPECT_EQ(::getuid(), 0u) << "the process is itself again afterwards";
}

}  // namespace
}  // namespace nestora::ads
