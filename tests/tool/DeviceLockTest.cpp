// Runs that change categories wait for one another on the device lock; a
// run past its wait gives up with one line and changes nothing; readers
// never wait; a lock the parent holds and hands down is shared, not waited
// for; the lock file is the served user's and only in folders no user may
// change.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/DeviceLock.h"
#include "tests/support/LockHolder.h"
#include "tests/tool/ToolHarness.h"
#include "tool/CommandLine.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kBusy = "ERROR: Another run is still changing categories; try again later\n";

// The tool's entry run in this process, waiting at most `wait` for the lock.
std::string runInProcess(std::vector<std::string> arguments, std::chrono::milliseconds wait) {
    arguments.insert(arguments.begin(), "NestoraTool");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    tool::ToolContext context{.out = out, .appServices = nullptr, .iconHiding = nullptr, .lockWait = wait};
    tool::runTool(static_cast<int>(arguments.size()), argv.data(), context);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// Every path of the categories' folders with its bytes.
std::string categoriesSnapshot(const ToolDevice& device) {
    std::string text;
    for (const char* folder : {"/Applications", "/var/mobile/Library/Preferences"}) {
        for (const auto& entry : fs::recursive_directory_iterator(device.host(folder))) {
            text += entry.path().string() + "\n";
            if (entry.is_regular_file()) text += device.readFile(entry.path().string().substr(device.root().size()));
        }
    }
    return text;
}

TEST(DeviceLock, AChangingRunGivesUpWithOneLinePastItsWaitAndReadersNeverWait) {
    ToolDevice device;
    device.makeCategory("Category000", "Games");
    device.writeFile("/Icons/new.png", pngBytes("new"));
    ASSERT_EQ(device.tool({"--list"}).exitStatus, 0);  // lays the lock file
    const LockHolder other(device.host(platform::kDeviceLockPath));
    ASSERT_TRUE(other.holding());
    const std::string before = categoriesSnapshot(device);
    const std::vector<std::vector<std::string>> changing = {
        {"--create", "New"},     {"--delete", "Category000"},        {"--name", "New", "Category000"},
        {"--repairall"},         {"--icon", "/Icons/new.png", "Category000"}, {"--repair", "Category000"},
        {"--upgrade", "Category000"}, {"--upgradeall"},
        // Several changes in one run: one line for all of them.
        {"--delete", "Category000", "--create", "New", "--name", "New", "Category000"}};
    for (const auto& arguments : changing) {
        EXPECT_EQ(runInProcess(arguments, 100ms), kBusy) << arguments.front();
        EXPECT_EQ(categoriesSnapshot(device), before) << arguments.front();
    }
    // Readers go on at once (a wait would take the binary's 30 seconds).
    const auto started = std::chrono::steady_clock::now();
    EXPECT_NE(device.tool({"--list"}).out.find("Games"), std::string::npos);
    EXPECT_EQ(device.tool({"--show", "Category000"}).out, "Category is empty.\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
}

TEST(DeviceLock, ALockHandedDownByTheParentIsSharedAndOnlyAHeldOneCounts) {
    ToolDevice device;
    ASSERT_EQ(device.tool({"--list"}).exitStatus, 0);
    const std::string lockFile = device.host(platform::kDeviceLockPath);
    {
        // Held here and inherited by the tool (no close-on-exec): the tool
        // takes it over instead of waiting its 30 seconds for itself.
        const int held = ::open(lockFile.c_str(), O_RDONLY);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(device.tool({"--create", "Games"}).out, "");
        EXPECT_EQ(device.tool({"--name", "Music", "Category000"}).out, "");
        EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
        EXPECT_TRUE(device.exists("/Applications/Category000.app"));
        // Still this process's after the tool ended.
        const int other = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
        ::close(other);
        ::close(held);
    }
    {
        // A descriptor of the lock file that does not hold the lock while
        // another run does is no licence.
        const LockHolder other(lockFile);
        ASSERT_TRUE(other.holding());
        const int unlocked = ::open(lockFile.c_str(), O_RDONLY);
        ASSERT_GE(unlocked, 0);
        EXPECT_EQ(runInProcess({"--create", "Other"}, 100ms), kBusy);
        ::close(unlocked);
        EXPECT_FALSE(device.exists("/Applications/Category001.app"));
    }
}

TEST(DeviceLock, TheLockFileIsTheServedUsersInAFolderOnlyRootMayChange) {
    const auto user = unprivilegedUser();
    if (!user) GTEST_SKIP() << "needs root";
    {
        ToolDevice device;
        device.giveFolderTo(kPrefsFolder, user->uid, user->gid);
        ASSERT_EQ(device.tool({"--list"}).exitStatus, 0);
        struct stat st {};
        ASSERT_EQ(::lstat(device.host(platform::kDeviceLockPath).c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_uid, user->uid);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        ASSERT_EQ(::lstat(device.host(platform::kDeviceLockFolder).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
        EXPECT_EQ(st.st_mode & 07777, 0755u);
    }
    for (const bool folderWritable : {true, false}) {
        // A folder a user may change, or one of theirs: the file there could
        // be swapped while others lock it, so it is not used.
        ToolDevice device;
        device.makeFolder(platform::kDeviceLockFolder);
        if (folderWritable) {
            fs::permissions(device.host(platform::kDeviceLockFolder), fs::perms::all);
        } else {
            device.giveFolderTo(platform::kDeviceLockFolder, user->uid, user->gid);
        }
        EXPECT_EQ(runInProcess({"--create", "Games"}, 100ms),
                  "ERROR: Unable to lock categories: /var/lib/nestora/categories.lock\n");
        EXPECT_FALSE(device.exists("/Applications/Category000.app"));
    }
}

}  // namespace
}  // namespace nestora::test
