// A restore holds the device lock for its whole run: it lays the lock file
// through the tool when the device has none, shares it with its own tool
// runs, and gives up with one line, restoring nothing, while another run
// holds it past the wait.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "backup/RestoreLock.h"
#include "tests/backup/BackupHarness.h"
#include "tests/support/LockHolder.h"

namespace nestora::test {
namespace {

using namespace std::chrono_literals;

std::string messagesOf(const std::function<void(std::FILE*)>& write) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    write(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(RestoreLock, TheLockFileIsLaidThroughTheToolAndTheLockKeepsOtherChangersOut) {
    const BackupDevice device;
    ASSERT_FALSE(device.exists(platform::kDeviceLockPath));
    std::optional<platform::DeviceLock> lock;
    EXPECT_EQ(messagesOf([&](std::FILE* out) { lock = backup::lockCategoriesForRestore(out, 100ms); }), "");
    ASSERT_TRUE(lock.has_value());
    EXPECT_TRUE(device.exists(platform::kDeviceLockPath));
    // Another changer cannot have it meanwhile.
    const LockHolder other(device.host(platform::kDeviceLockPath));
    EXPECT_FALSE(other.holding());
}

TEST(RestoreLock, WhileAnotherRunHoldsTheLockARestoreGivesUpWithOneLine) {
    const BackupDevice device;
    ASSERT_EQ(device.tool({"--list"}).exitStatus, 0);
    const LockHolder other(device.host(platform::kDeviceLockPath));
    ASSERT_TRUE(other.holding());
    std::optional<platform::DeviceLock> lock;
    EXPECT_EQ(messagesOf([&](std::FILE* out) { lock = backup::lockCategoriesForRestore(out, 100ms); }),
              "nestora-backup: another run is still changing categories; nothing was restored\n");
    EXPECT_FALSE(lock.has_value());
}

}  // namespace
}  // namespace nestora::test
