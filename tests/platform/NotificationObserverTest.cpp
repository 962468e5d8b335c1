// The receiving side of the notifications stand-in: each later post once, a
// descriptor that wakes on a post, and a log nobody can make it hang or
// swallow memory with.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/NotificationObserver.h"
#include "platform/Notifications.h"
#include "tests/support/TestDevice.h"

namespace nestora {
namespace {

using Posts = std::vector<std::string>;

const std::string kLog(platform::kNotificationLogPath);

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1;
}

TEST(PlatformNotificationObserver, ReportsEachLaterPostOnceInOrder) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    platform::notifyPost("earlier");
    platform::NotificationObserver observer;
    EXPECT_EQ(observer.takePosts(), Posts{});
    platform::notifyPost("com.apple.language.changed");
    platform::notifyPost("second");
    EXPECT_EQ(observer.takePosts(), (Posts{"com.apple.language.changed", "second"}));
    EXPECT_EQ(observer.takePosts(), Posts{});
}

TEST(PlatformNotificationObserver, ItsDescriptorWakesOnAPostAndQuietsWhenTaken) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    platform::NotificationObserver observer;
    ASSERT_GE(observer.fileDescriptor(), 0);
    EXPECT_FALSE(readable(observer.fileDescriptor()));
    platform::notifyPost("first ever");  // the log is created by this post
    EXPECT_TRUE(readable(observer.fileDescriptor()));
    EXPECT_EQ(observer.takePosts(), Posts{"first ever"});
    EXPECT_FALSE(readable(observer.fileDescriptor()));
}

TEST(PlatformNotificationObserver, ALogReplacedOrCutShortIsReadFromItsStart) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    platform::notifyPost("one");
    platform::notifyPost("two");
    platform::NotificationObserver observer;
    device.writeFile("/var/run/replacement", "three\n");
    std::filesystem::rename(device.host("/var/run/replacement"), device.host(kLog));
    EXPECT_EQ(observer.takePosts(), Posts{"three"});
    device.writeFile(kLog, "");  // cut short in place
    platform::notifyPost("four");
    EXPECT_EQ(observer.takePosts(), Posts{"four"});
}

TEST(PlatformNotificationObserver, ALineStillBeingWrittenWaitsForItsEnd) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    platform::NotificationObserver observer;
    device.writeFile(kLog, "half");
    EXPECT_EQ(observer.takePosts(), Posts{});
    device.writeFile(kLog, "half done\nnext");
    EXPECT_EQ(observer.takePosts(), Posts{"half done"});
}

TEST(PlatformNotificationObserver, AFloodIsReadOnlyInItsNewestPart) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    platform::NotificationObserver observer;
    std::string flood;
    for (int n = 0; n < 300000; ++n) flood += "flood\n";
    device.writeFile(kLog, flood + "last\n");
    const Posts posts = observer.takePosts();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), "last");
    EXPECT_LT(posts.size(), 20000u);
    for (const std::string& post : posts) ASSERT_TRUE(post == "flood" || post == "last") << post;
}

TEST(PlatformNotificationObserver, NeitherAFifoNorALinkIsRead) {
    test::TestDevice device;
    device.makeFolder("/var/run");
    device.writeFile("/var/run/elsewhere", "secret\n");
    platform::NotificationObserver observer;
    std::filesystem::create_symlink(device.host("/var/run/elsewhere"), device.host(kLog));
    EXPECT_EQ(observer.takePosts(), Posts{});
    std::filesystem::remove(device.host(kLog));
    ASSERT_EQ(::mkfifo(device.host(kLog).c_str(), 0600), 0);
    EXPECT_EQ(observer.takePosts(), Posts{}) << "returns at once, never waits for a writer";
}

TEST(PlatformNotificationObserver, WithoutItsFolderItStillReadsLaterPosts) {
    test::TestDevice device;
    platform::NotificationObserver observer;
    EXPECT_EQ(observer.fileDescriptor(), -1);
    device.makeFolder("/var/run");
    platform::notifyPost("late");
    EXPECT_EQ(observer.takePosts(), Posts{"late"});
}

}  // namespace
}  // namespace nestora
