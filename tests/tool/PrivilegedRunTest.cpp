// NestoraTool installed set-user-id root and run by an unprivileged user:
// the device root and the caller's umask are ignored, the icon is read with
// the caller's rights, the hide library is loaded only when root alone can
// change it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/PythonPlist.h"
#include "tests/tool/PrivilegedRun.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

TEST_F(ToolPrivilegedRun, WorksOnTheRealRootAndIgnoresTheDeviceRootVariable) {
    RunResult run = runAsUser({"-c", "Made by user", "-l"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    // Writing in the root-owned /Applications proves the run was privileged.
    ASSERT_TRUE(device.exists("/Applications/Category001.app/Info.plist")) << run.out << run.err;
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(run.out.find("Decoy"), std::string::npos);
    EXPECT_FALSE(device.exists("/decoy/Applications/Category000.app"));
    struct stat st{};
    ASSERT_EQ(lstat(device.host("/Applications/Category001.app").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}

TEST_F(ToolPrivilegedRun, CreatesNothingWritableByOthersWhateverTheUmask) {
    const mode_t previous = umask(0);
    RunResult run = runAsUser({"-c", "Loose"});
    umask(previous);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(device.modeOf("/Applications/Category001.app"), 0755);
    EXPECT_EQ(device.modeOf("/Applications/Category001.app/Info.plist"), 0644);
    EXPECT_EQ(device.modeOf(ToolDevice::prefsFile("Category001")), 0644);
}

TEST_F(ToolPrivilegedRun, ReadsTheIconWithTheCallersRights) {
    device.writeFile("/secret.png", pngBytes("root only"));
    ASSERT_EQ(chmod(device.host("/secret.png").c_str(), 0600), 0);
    RunResult run = runAsUser({"-i", "/secret.png", "Category000"});
    EXPECT_EQ(run.out, "ERROR: Unable to read icon file: /secret.png\n");
    EXPECT_FALSE(device.exists("/Applications/Category000.app/icon.png"));

    device.writeFile("/mine.png", pngBytes("readable"));
    run = runAsUser({"-i", "/mine.png", "Category000"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(device.readFile("/Applications/Category000.app/icon.png"), pngBytes("readable"));
}

TEST_F(ToolPrivilegedRun, LoadsTheHideLibraryOnlyWhenOnlyRootCanChangeIt) {
    if (!withProc) {
        GTEST_SKIP() << "the checked hide library is loaded through /proc, and no /proc can be mounted for the chroot";
    }
    const std::string hiddenList = "/var/lib/nestora/hidden-icons.plist";
    auto hideSafari = [&] {
        device.makeFolder("/var/lib/nestora");
        ASSERT_TRUE(plistlibWrite(device.host(hiddenList), "['/Applications/MobileSafari.app/Info.plist']", "xml"));
        device.makeCategory("Category000", "Web");
        device.writePrefs("Category000", "{'items': ['com.apple.mobilesafari']}");
    };
    hideSafari();
    EXPECT_EQ(runAsUser({"-d", "Category000"}).out, "");
    EXPECT_EQ(device.plistJson(hiddenList), "[]");

    const std::string library = device.host("/usr/lib/hide.dylib");
    ASSERT_EQ(chmod(library.c_str(), 0775), 0);  // group-writable
    hideSafari();
    EXPECT_EQ(runAsUser({"-d", "Category000"}).out, "");
    EXPECT_EQ(device.plistJson(hiddenList), "[\"/Applications/MobileSafari.app/Info.plist\"]");

    ASSERT_EQ(chmod(library.c_str(), 0755), 0);
    ASSERT_EQ(chown(library.c_str(), user.uid, user.gid), 0);  // the caller's own
    hideSafari();
    EXPECT_EQ(runAsUser({"-d", "Category000"}).out, "");
    EXPECT_EQ(device.plistJson(hiddenList), "[\"/Applications/MobileSafari.app/Info.plist\"]");

    ASSERT_EQ(chown(library.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(device.host("/usr/lib").c_str(), 0777), 0);  // anyone could swap it
    hideSafari();
    EXPECT_EQ(runAsUser({"-d", "Category000"}).out, "");
    EXPECT_EQ(device.plistJson(hiddenList), "[\"/Applications/MobileSafari.app/Info.plist\"]");
}

TEST_F(ToolPrivilegedRun, LegacyConversionHandsTheFileToMobile) {
    device.writeFile("/Applications/Category000.app/list.txt", "MobileSafari.app\n");
    std::filesystem::remove(device.host(ToolDevice::prefsFile("Category000")));
    RunResult run = runAsUser({"-u", "Category000"});
    EXPECT_EQ(run.out, "Updating category Category000\n");
    struct stat st{};
    ASSERT_EQ(lstat(device.host(ToolDevice::prefsFile("Category000")).c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, user.uid);
    EXPECT_EQ(st.st_gid, user.gid);
    EXPECT_EQ(device.plistJson(ToolDevice::prefsFile("Category000")), "{\"items\": [\"com.apple.mobilesafari\"]}");
}

}  // namespace
}  // namespace nestora::test
