// The Debian package of this build (made by the package_build test): its
// name, its layout and modes as dpkg-deb lists them, lintian's verdict, and
// an installation into a fresh device root.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestDevice.h"

namespace nestora::test {
namespace {

std::string architecture() {
    RunResult result = runProgram({"/usr/bin/dpkg", "--print-architecture"});
    return result.out.substr(0, result.out.find('\n'));
}

std::string packagePath() {
    return std::string(NESTORA_TEST_PACKAGE_DIR) + "/nestora_" + NESTORA_PROJECT_VERSION + "_" + architecture() + ".deb";
}

struct Entry {
    std::string mode;
    std::string owner;
};

// Path (without the leading ".") -> mode and owner, as dpkg-deb -c lists them.
std::map<std::string, Entry> contents() {
    RunResult listed = runProgram({"/usr/bin/dpkg-deb", "-c", packagePath()});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    std::map<std::string, Entry> entries;
    std::istringstream lines(listed.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        if (path.starts_with(".")) path.erase(0, 1);
        if (path.size() > 1 && path.ends_with("/")) path.pop_back();
        entries[path] = Entry{mode, owner};
    }
    return entries;
}

TEST(DebianPackage, HoldsTheDeviceFilesWithTheToolSetUserIdRoot) {
    ASSERT_TRUE(std::filesystem::exists(packagePath())) << packagePath() << " was not made";
    const std::map<std::string, Entry> entries = contents();
    const std::map<std::string, std::string> expected = {
        {"/Applications/Nestora.app/NestoraTool", "-rwsr-xr-x"},
        {"/Applications/Nestora.app/nestora-backup", "-rwxr-xr-x"},
        {"/Applications/Nestora.app/Launcher/NestoraLauncher", "-rwxr-xr-x"},
        {"/Applications/Nestora.app/Launcher/blank.png", "-rw-r--r--"},
        {"/Applications/Nestora.app/Launcher/Default.png", "-rw-r--r--"},
        {"/Applications/Nestora.app/Launcher/background.png", "-rw-r--r--"},
        {"/Applications/Nestora.app/Launcher/MainWindow.nib", "-rw-r--r--"},
        {"/usr/bin/nestora-backup", "lrwxrwxrwx"},
        {"/usr/share/man/man8/NestoraTool.8.gz", "-rw-r--r--"},
        {"/usr/share/man/man1/nestora-backup.1.gz", "-rw-r--r--"},
        {"/usr/share/doc/nestora/copyright", "-rw-r--r--"},
        {"/usr/share/doc/nestora/changelog.gz", "-rw-r--r--"},
    };
    for (const auto& [path, mode] : expected) {
        auto found = entries.find(path);
        ASSERT_NE(found, entries.end()) << path << " is missing";
        EXPECT_EQ(found->second.mode, mode) << path;
    }
    EXPECT_FALSE(entries.contains("/usr/lib/hide.dylib")) << "the stand-in hide library is not shipped";
    for (const auto& [path, entry] : entries) {
        EXPECT_EQ(entry.owner, "root/root") << path;
        const bool setId = entry.mode.find_first_of("sS") != std::string::npos;
        EXPECT_TRUE(!setId || path == "/Applications/Nestora.app/NestoraTool") << path << " " << entry.mode;
        EXPECT_TRUE(entry.mode[0] == 'l' || entry.mode[8] != 'w') << path << " is writable by anyone";
    }
}

TEST(DebianPackage, LintianFindsNoErrors) {
    RunResult lintian = runProgram({"/usr/bin/lintian", "--fail-on", "error", "--pedantic", packagePath()});
    EXPECT_EQ(lintian.exitStatus, 0) << lintian.out << lintian.err;
    EXPECT_EQ(lintian.out.find("\nE: "), std::string::npos) << lintian.out;
    EXPECT_FALSE(lintian.out.starts_with("E: ")) << lintian.out;
}

TEST(DebianPackage, InstallsIntoAFreshDeviceRootWithTheToolSetUserIdRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "installing a package as its owner root needs root";
    TestDevice device;
    device.makeFolder("/var/lib/dpkg/info");
    device.makeFolder("/var/lib/dpkg/updates");
    device.writeFile("/var/lib/dpkg/status", "");
    // Only the package itself: its libraries are the host's.
    RunResult installed = runProgram({"/usr/bin/dpkg", "--root=" + device.root(), "--force-depends",
                                      "--install", packagePath()});
    ASSERT_EQ(installed.exitStatus, 0) << installed.out << installed.err;

    const std::string tool = device.host("/Applications/Nestora.app/NestoraTool");
    struct stat st {};
    ASSERT_EQ(::stat(tool.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 04755u);
    // The installed programs work on it: the tool finds no category yet, a
    // backup of none is saved.
    EXPECT_EQ(runProgram({tool, "--list"}).out, "No categories found.\n");
    device.makeFolder("/var/mobile/Library/Preferences");
    RunResult saved =
        runProgram({device.host("/Applications/Nestora.app/nestora-backup"), "save", "/var/mobile/empty.plist"});
    EXPECT_EQ(saved.out, "Saved 0 categories to /var/mobile/empty.plist\n") << saved.err;
}

}  // namespace
}  // namespace nestora::test
