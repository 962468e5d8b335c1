#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "platform/DeviceRoot.h"
#include "platform/Files.h"
#include "platform/OpenFolder.h"
#include "platform/PrivilegedFiles.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using test::TestDevice;

mode_t modeOf(const std::string& hostPath) {
    struct stat st {};
    EXPECT_EQ(::lstat(hostPath.c_str(), &st), 0) << hostPath;
    return st.st_mode & 07777;
}

TEST(PlatformDeviceRoot, MapsDevicePathsIntoTheRoot) {
    TestDevice device;
    EXPECT_EQ(platform::hostPath("/Applications/A.app"), device.root() + "/Applications/A.app");
    // A relative path names something relative to the working directory.
    EXPECT_EQ(platform::hostPath("icon.png"), "icon.png");
    ::unsetenv("NESTORA_DEVICE_ROOT");
    EXPECT_EQ(platform::deviceRoot(), "/");
    EXPECT_EQ(platform::hostPath("/Applications"), "/Applications");
    ::setenv("NESTORA_DEVICE_ROOT", device.root().c_str(), 1);
}

TEST(PlatformFiles, BothListingsSortByTheBytesOfTheNamesAndReportUnreadableFolders) {
    TestDevice device;
    // Made in an order that is neither sorted nor its reverse, so that no
    // file system hands them back sorted by chance.
    for (const char* name : {"b", "Category010", "\xc3\xa9t\xc3\xa9", "a", "Category002", "Z", "c", "Category001",
                             "z", ".hidden", "Category100", "_"}) {
        device.writeFile(std::string("/d/") + name, "");
    }
    // Upper case before lower, a dot first, letters outside ASCII last.
    const std::vector<std::string> sorted = {".hidden", "Category001", "Category002", "Category010", "Category100",
                                             "Z", "_", "a", "b", "c", "z", "\xc3\xa9t\xc3\xa9"};
    EXPECT_EQ(files::listFolder("/d"), sorted);
    const auto folder = privileged::openFolder("/d");
    ASSERT_TRUE(folder);
    EXPECT_EQ(privileged::listFolderAt(*folder), sorted);
    EXPECT_FALSE(files::listFolder("/missing"));
    EXPECT_FALSE(files::listFolder("/d/a"));
}

// A folder larger than one read of the kernel's directory entries: every
// way of listing it gives every name once, sorted, and a question about its
// names sees them all, also on a descriptor listed before.
TEST(PlatformFiles, EveryListingOfALargeFolderGivesEveryNameAndAQuestionSeesThemAll) {
    TestDevice device;
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i) {
        // Made in an order unlike the sorted one: 7 and 2000 share no factor.
        names.push_back("bundle-with-a-long-name-" + std::to_string(i * 7 % 2000) + ".app");
        device.writeFile("/big/" + names.back(), "");
    }
    device.writeFile("/big/.Info.plist.tmp", "");
    names.push_back(".Info.plist.tmp");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(files::listFolder("/big"), names);
    const auto opened = files::OpenFolder::open("/big");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->list(), names);
    EXPECT_EQ(opened->list(), names) << "a second listing starts from the start again";
    const auto folder = privileged::openFolder("/big");
    ASSERT_TRUE(folder);
    EXPECT_EQ(privileged::listFolderAt(*folder), names);
    EXPECT_EQ(privileged::folderHoldsNameAt(*folder, [](std::string_view name) { return name.starts_with('.'); }),
              true);
    EXPECT_EQ(privileged::folderHoldsNameAt(*folder, [](std::string_view name) { return name == "bundle-with-a-long-name-1999.app"; }),
              true);
    EXPECT_EQ(privileged::folderHoldsNameAt(*folder, [](std::string_view name) { return name.ends_with(".plist"); }),
              false);
    const std::vector<std::string> hidden = {".Info.plist.tmp"};
    EXPECT_EQ(privileged::listFolderAt(*folder, [](std::string_view name) { return name.starts_with('.'); }), hidden)
        << "a listing that keeps only some names";
}

// What a scan opens relative to a folder it holds: regular files only, not
// through a link at the last component, never waiting on a FIFO, and no
// more than the limit.
TEST(PlatformFiles, AnOpenFolderReadsOnlyRegularFilesBelowIt) {
    TestDevice device;
    device.writeFile("/f/X.app/Info.plist", "12345");
    device.writeFile("/elsewhere/secret", "secret");
    ASSERT_EQ(::symlink(device.host("/elsewhere/secret").c_str(), device.host("/f/Link.app").c_str()), 0);
    ASSERT_EQ(::mkfifo(device.host("/f/fifo").c_str(), 0644), 0);
    const auto folder = files::OpenFolder::open("/f");
    ASSERT_TRUE(folder);
    struct stat status {};
    EXPECT_TRUE(folder->openRegularFile("X.app/Info.plist", status));
    EXPECT_EQ(status.st_size, 5);
    for (const char* refused : {"Link.app", "fifo", "X.app", "missing"}) {
        EXPECT_FALSE(folder->openRegularFile(refused, status)) << refused;
    }
    EXPECT_EQ(folder->readFile("X.app/Info.plist", 5), "12345");
    EXPECT_FALSE(folder->readFile("X.app/Info.plist", 4)) << "past the limit";
    EXPECT_FALSE(folder->readFile("fifo", 100)) << "a FIFO is no file to read";
}

TEST(PlatformFiles, ExistsSeesDanglingLinksAndCreateFolderMakesNoParents) {
    TestDevice device;
    ASSERT_EQ(::symlink("/nowhere", device.host("/dangling").c_str()), 0);
    EXPECT_TRUE(files::exists("/dangling"));
    EXPECT_FALSE(files::exists("/absent"));
    EXPECT_FALSE(files::createFolder("/x/y"));
    EXPECT_TRUE(files::createFolder("/x"));
    EXPECT_FALSE(files::createFolder("/x"));
    EXPECT_TRUE(files::isDirectory("/x"));
}

TEST(PlatformFiles, CopyKeepsModeAndNeverOverwritesOrFollowsALink) {
    TestDevice device;
    device.writeFile("/src", "launcher bytes");
    ASSERT_EQ(::chmod(device.host("/src").c_str(), 0751), 0);
    EXPECT_TRUE(files::copyFile("/src", "/dst"));
    EXPECT_EQ(device.readFile("/dst"), "launcher bytes");
    EXPECT_EQ(modeOf(device.host("/dst")), 0751u);

    EXPECT_FALSE(files::copyFile("/src", "/dst")) << "an existing destination is a failure";
    device.writeFile("/victim", "keep");
    ASSERT_EQ(::symlink(device.host("/victim").c_str(), device.host("/link").c_str()), 0);
    EXPECT_FALSE(files::copyFile("/src", "/link"));
    EXPECT_EQ(device.readFile("/victim"), "keep");
    EXPECT_FALSE(files::copyFile("/missing", "/other"));
    EXPECT_FALSE(device.exists("/other"));
}

TEST(PlatformFiles, SetModeAndCreateEmptyFileRefuseLinks) {
    TestDevice device;
    device.writeFile("/victim", "keep");
    ASSERT_EQ(::chmod(device.host("/victim").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(device.host("/victim").c_str(), device.host("/link").c_str()), 0);
    EXPECT_FALSE(files::setMode("/link", 0777));
    EXPECT_EQ(modeOf(device.host("/victim")), 0600u);
    EXPECT_FALSE(files::createEmptyFile("/link"));
    EXPECT_EQ(device.readFile("/victim"), "keep");

    EXPECT_TRUE(files::createEmptyFile("/empty"));
    EXPECT_EQ(device.readFile("/empty"), "");
    EXPECT_FALSE(files::createEmptyFile("/empty"));
    EXPECT_TRUE(files::setMode("/empty", 0755));
    EXPECT_EQ(modeOf(device.host("/empty")), 0755u);
}

TEST(PlatformFiles, SetOwnerByNames) {
    TestDevice device;
    device.writeFile("/f", "");
    EXPECT_FALSE(files::setOwner("/f", "no-such-user-nestora", "root"));
    if (::geteuid() != 0) GTEST_SKIP() << "changing owners needs root";
    EXPECT_TRUE(files::setOwner("/f", "nobody", "nogroup") || files::setOwner("/f", "nobody", "nobody"));
    struct stat st {};
    ASSERT_EQ(::stat(device.host("/f").c_str(), &st), 0);
    EXPECT_NE(st.st_uid, 0u);
}

TEST(PlatformFiles, AtomicWriteReplacesTheFileAndALinkWithoutFollowingIt) {
    TestDevice device;
    device.writeFile("/f", "old");
    ASSERT_EQ(::chmod(device.host("/f").c_str(), 0640), 0);
    EXPECT_TRUE(files::writeFileAtomically("/f", "new"));
    EXPECT_EQ(device.readFile("/f"), "new");
    EXPECT_EQ(modeOf(device.host("/f")), 0640u) << "a rewritten file keeps its mode";

    device.writeFile("/victim", "keep");
    ASSERT_EQ(::symlink(device.host("/victim").c_str(), device.host("/link").c_str()), 0);
    EXPECT_TRUE(files::writeFileAtomically("/link", "mine"));
    EXPECT_EQ(device.readFile("/victim"), "keep");
    EXPECT_EQ(device.readFile("/link"), "mine");
    struct stat st {};
    ASSERT_EQ(::lstat(device.host("/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));

    EXPECT_FALSE(files::writeFileAtomically("/no/such/folder/f", "x"));
    auto names = files::listFolder("/");
    ASSERT_TRUE(names);
    for (const auto& name : *names) EXPECT_EQ(name.find(".f."), std::string::npos) << "temporary file left: " << name;
}

// A replacement whose temporary file is made in another folder: the file
// arrives whole with its mode, nothing is left under a temporary name in
// either folder, an entry that appeared is never replaced when the caller
// asked so, and a temporary folder on another file system is given up for
// the folder itself.
TEST(PlatformFiles, AReplacementMadeInAnotherFolderArrivesWholeAndLeavesNothing) {
    TestDevice device;
    device.writeFile("/Applications/A.app/kept", "there");
    ASSERT_EQ(::chmod(device.host("/Applications/A.app/kept").c_str(), 0640), 0);
    char shm[] = "/dev/shm/nestora-replace-XXXXXX";
    const bool haveShm = ::mkdtemp(shm) != nullptr;
    const auto applications = privileged::openFolder("/Applications");
    const auto bundle = privileged::openFolder("/Applications/A.app");
    // A host folder, not one of the device.
    std::optional<privileged::FileDescriptor> elsewhere;
    if (haveShm) elsewhere.emplace(::open(shm, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(applications && bundle);
    struct stat here {}, there {};
    const bool otherFileSystem = elsewhere && ::fstat(applications->get(), &here) == 0 &&
                                 ::fstat(elsewhere->get(), &there) == 0 && here.st_dev != there.st_dev;
    struct Case {
        const char* name;
        bool onlyIfAbsent;
        bool acrossFileSystems;
        const char* bytes;
        privileged::ReplaceResult result;
        const char* after;  // what the name holds then
    };
    const Case cases[] = {
        {"new", false, false, "one", privileged::ReplaceResult::Replaced, "one"},
        {"kept", false, false, "two", privileged::ReplaceResult::Replaced, "two"},
        {"absent", true, false, "three", privileged::ReplaceResult::Replaced, "three"},
        {"kept", true, false, "four", privileged::ReplaceResult::AlreadyExists, "two"},
        {"far", false, true, "five", privileged::ReplaceResult::Replaced, "five"},
        {"farAbsent", true, true, "six", privileged::ReplaceResult::Replaced, "six"},
    };
    for (const Case& c : cases) {
        if (c.acrossFileSystems && !otherFileSystem) continue;
        privileged::ReplaceOptions options;
        options.mode = 0640;
        options.onlyIfAbsent = c.onlyIfAbsent;
        options.temporaryFolder = c.acrossFileSystems ? &*elsewhere : &*applications;
        options.temporaryPrefix = ".A.replacing.";
        EXPECT_EQ(privileged::replaceFileAt(*bundle, c.name, c.bytes, options), c.result) << c.bytes;
        const std::string path = std::string("/Applications/A.app/") + c.name;
        EXPECT_EQ(device.readFile(path), c.after) << c.bytes;
        EXPECT_EQ(modeOf(device.host(path)), 0640u) << c.bytes;
        for (const privileged::FileDescriptor* folder : {&*applications, &*bundle}) {
            const auto names = privileged::listFolderAt(*folder, [](std::string_view n) { return n.starts_with('.'); });
            ASSERT_TRUE(names);
            EXPECT_TRUE(names->empty()) << c.bytes << " left " << names->front();
        }
    }
    if (elsewhere) {
        EXPECT_EQ(privileged::listFolderAt(*elsewhere), std::vector<std::string>{});
        ::rmdir(shm);
    }
    if (!otherFileSystem) std::cout << "no second file system at /dev/shm: the fallback went untried\n";
}

TEST(PlatformFiles, RecursiveRemovalNeverFollowsLinks) {
    TestDevice device;
    device.writeFile("/outside/precious", "keep");
    device.writeFile("/tree/a/b/file", "x");
    device.makeFolder("/tree/empty");
    ASSERT_EQ(::symlink(device.host("/outside").c_str(), device.host("/tree/a/dirlink").c_str()), 0);
    ASSERT_EQ(::symlink(device.host("/outside/precious").c_str(), device.host("/tree/filelink").c_str()), 0);
    EXPECT_TRUE(files::removeRecursively("/tree"));
    EXPECT_FALSE(device.exists("/tree"));
    EXPECT_EQ(device.readFile("/outside/precious"), "keep");

    // The path itself a link to a folder: the link goes, the folder stays.
    ASSERT_EQ(::symlink(device.host("/outside").c_str(), device.host("/toplink").c_str()), 0);
    EXPECT_TRUE(files::removeRecursively("/toplink"));
    EXPECT_FALSE(device.exists("/toplink"));
    EXPECT_EQ(device.readFile("/outside/precious"), "keep");

    EXPECT_TRUE(files::removeRecursively("/never-there"));
    EXPECT_TRUE(files::removeRecursively("/outside/precious"));
    EXPECT_FALSE(device.exists("/outside/precious"));
}

TEST(PlatformFiles, ReadFileHonoursTheLimit) {
    TestDevice device;
    device.writeFile("/f", "12345");
    EXPECT_EQ(files::readFile("/f"), "12345");
    EXPECT_EQ(files::readFile("/f", 5), "12345");
    EXPECT_FALSE(files::readFile("/f", 4));
    device.makeFolder("/d");
    EXPECT_FALSE(files::readFile("/d"));
    EXPECT_FALSE(files::readFile("/missing"));
    // Only the start of a file, for a look at its header.
    EXPECT_EQ(files::readFileStart("/f", 3), "123");
    EXPECT_EQ(files::readFileStart("/f", 9), "12345");
    EXPECT_FALSE(files::readFileStart("/d", 3));
    EXPECT_FALSE(files::readFileStart("/missing", 3));
}

TEST(PlatformFiles, ReadFileRefusesAFifoWithoutWaitingForAWriter) {
    TestDevice device;
    ASSERT_EQ(::mkfifo(device.host("/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", device.host("/link").c_str()), 0);
    // Without a writer an ordinary open would never return.
    EXPECT_FALSE(files::readFile("/fifo"));
    EXPECT_FALSE(files::readFile("/link"));
    EXPECT_FALSE(files::readFileStart("/fifo", 8));
}

TEST(PlatformFiles, TheLinkReaderRefusesALinkAtThePathOnly) {
    TestDevice device;
    device.writeFile("/real/Info.plist", "bytes");
    ASSERT_EQ(::mkfifo(device.host("/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(device.host("/real/Info.plist").c_str(), device.host("/link").c_str()), 0);
    ASSERT_EQ(::symlink(device.host("/real").c_str(), device.host("/folderlink").c_str()), 0);
    EXPECT_FALSE(files::readFileNotThroughLink("/fifo"));
    EXPECT_EQ(files::readFile("/link"), "bytes");
    EXPECT_FALSE(files::readFileNotThroughLink("/link"));
    // Links in the folders above are followed.
    EXPECT_EQ(files::readFileNotThroughLink("/folderlink/Info.plist"), "bytes");
}

}  // namespace
}  // namespace nestora
