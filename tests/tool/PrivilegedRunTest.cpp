// NestoraTool installed set-user-id root and run by an unprivileged user, the
// way the app runs it. The run happens in a chroot of the test's device root
// (with the libraries the tool needs copied in), because a set-user-id run
// ignores the device-root variable and works on "/".

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "tests/support/PythonPlist.h"
#include "tests/tool/ToolHarness.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kInstalledTool = "/Applications/Nestora.app/NestoraTool";

class ToolPrivilegedRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "installing a set-user-id root program and running it as another user needs root";
        }
        auto found = unprivilegedUser();
        if (!found) {
            GTEST_SKIP() << "no unprivileged user exists and none could be created";
        }
        user = *found;
        install(NESTORA_TOOL_PATH, kInstalledTool, 04755);
        install(NESTORA_HIDE_LIBRARY, "/usr/lib/hide.dylib", 0755);
        copyLibrariesOf(NESTORA_TOOL_PATH);
        copyLibrariesOf(NESTORA_HIDE_LIBRARY);
        const std::string uid = std::to_string(user.uid);
        const std::string gid = std::to_string(user.gid);
        device.writeFile("/etc/passwd", "root:x:0:0:root:/:/bin/sh\nmobile:x:" + uid + ":" + gid + "::/var/mobile:/bin/sh\n");
        device.writeFile("/etc/group", "root:x:0:\nmobile:x:" + gid + ":\n");
        for (const char* folder : {"/var/mobile", "/var/mobile/Library", "/var/mobile/Library/Preferences"}) {
            ASSERT_EQ(chown(device.host(folder).c_str(), user.uid, user.gid), 0);
        }
        device.makeApp("/Applications/MobileSafari.app", "com.apple.mobilesafari", "Safari", "MobileSafari");
        device.makeCategory("Category000", "Games");
        // A second tree the caller would like the tool to work on instead.
        device.makeFolder("/decoy/Applications/Nestora.app/Launcher");
        device.makeFolder("/decoy/var/mobile/Library/Preferences");
        device.writeFile("/decoy/var/mobile/Library/Preferences/com.quarvek.nestora.Decoy.plist", "");
        withProc = procCanBeMounted();
    }

    void install(const std::string& from, const std::string& to, mode_t mode) const {
        device.makeFolder(fs::path(to).parent_path().string());
        fs::copy_file(from, device.host(to), fs::copy_options::overwrite_existing);
        ASSERT_EQ(chown(device.host(to).c_str(), 0, 0), 0);
        ASSERT_EQ(chmod(device.host(to).c_str(), mode), 0);
    }

    // Every shared library ldd names (and the loader) at the same path inside.
    void copyLibrariesOf(const std::string& program) const {
        RunResult ldd = runProgram({"/usr/bin/ldd", program});
        ASSERT_EQ(ldd.exitStatus, 0) << ldd.err;
        static const std::regex kPath(R"((/[^ ]+) \(0x)");
        for (const std::string& line : linesOf(ldd.out)) {
            std::smatch match;
            if (std::regex_search(line, match, kPath) && !device.exists(match[1].str())) {
                device.makeFolder(fs::path(match[1].str()).parent_path().string());
                fs::copy_file(match[1].str(), device.host(match[1].str()));
            }
        }
    }

    // The tool loads the checked hide library through /proc/self/fd, so the
    // chroot gets a /proc of its own in a private mount namespace when the
    // machine allows one.
    bool procCanBeMounted() const {
        device.makeFolder("/proc");
        return runProgram({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/mount", "-t", "proc",
                           "proc", device.host("/proc")})
                   .exitStatus == 0;
    }

    RunResult runAsUser(const std::vector<std::string>& arguments) const {
        const std::string asUser = "--userspec=" + std::to_string(user.uid) + ":" + std::to_string(user.gid);
        const std::string groups = "--groups=" + std::to_string(user.gid);
        std::vector<std::string> argv;
        if (withProc) {
            argv = {"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                    "mount -t proc proc \"$0/proc\" && exec /usr/sbin/chroot " + asUser + " " + groups +
                        " \"$0\" \"$@\"",
                    device.root(), kInstalledTool};
        } else {
            argv = {"/usr/sbin/chroot", asUser, groups, device.root(), kInstalledTool};
        }
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return runProgram(argv, {"NESTORA_DEVICE_ROOT=/decoy"});
    }

    bool withProc = false;

    UnprivilegedUser user;
    ToolDevice device;
};

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
