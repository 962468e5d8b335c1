// A program run by root leaves root for the owner of the user's folder, or
// refuses: each case runs in a child process, since the switch is for good.

#include "platform/RootRun.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <vector>

#include "tests/support/TestDevice.h"
#include "tests/support/TestUser.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;
using platform::RootRunOutcome;

constexpr std::string_view kFolder = "/var/mobile/Library/Preferences";

// What the process was after the call: its outcome and every id.
struct Identity {
    int outcome = -1;
    uid_t uids[3] = {};
    gid_t gids[3] = {};
    std::vector<gid_t> groups;
    std::string problem;
};

Identity runInChild() {
    int channel[2];
    if (::pipe(channel) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const platform::RootRun run = platform::leaveRootForFolderOwner(kFolder);
        std::ostringstream report;
        uid_t u[3];
        gid_t g[3];
        ::getresuid(&u[0], &u[1], &u[2]);
        ::getresgid(&g[0], &g[1], &g[2]);
        std::vector<gid_t> groups(static_cast<std::size_t>(::getgroups(0, nullptr)));
        groups.resize(static_cast<std::size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
        report << static_cast<int>(run.outcome) << ' ' << u[0] << ' ' << u[1] << ' ' << u[2] << ' ' << g[0] << ' '
               << g[1] << ' ' << g[2] << ' ' << groups.size();
        for (gid_t group : groups) report << ' ' << group;
        report << '|' << run.problem;
        const std::string text = report.str();
        (void)!::write(channel[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    Identity identity;
    const auto bar = text.find('|');
    if (bar == std::string::npos) return identity;
    identity.problem = text.substr(bar + 1);
    std::istringstream fields(text.substr(0, bar));
    std::size_t count = 0;
    fields >> identity.outcome >> identity.uids[0] >> identity.uids[1] >> identity.uids[2] >> identity.gids[0] >>
        identity.gids[1] >> identity.gids[2] >> count;
    identity.groups.resize(count);
    for (gid_t& group : identity.groups) fields >> group;
    std::sort(identity.groups.begin(), identity.groups.end());
    return identity;
}

void give(const TestDevice& device, const TestUser& user, std::string_view devicePath, gid_t group) {
    ASSERT_EQ(::lchown(device.host(devicePath).c_str(), user.uid, group), 0);
}

// The phone's layout: /var/mobile and everything below are the user's.
void handOverMobile(const TestDevice& device, const TestUser& user) {
    for (std::string_view folder : {std::string_view("/var/mobile"), std::string_view("/var/mobile/Library"), kFolder}) {
        give(device, user, folder, user.gid);
    }
}

class PlatformRootRun : public ::testing::Test {
protected:
    void SetUp() override {
        auto found = testUser();
        if (!found) GTEST_SKIP() << "needs root and the user nestora-test";
        user = *found;
        device.makeFolder(kFolder);
    }

    TestUser user;
    TestDevice device;
};

TEST_F(PlatformRootRun, BecomesTheOwnerWithTheGroupsTheUserDatabaseGives) {
    handOverMobile(device, user);
    // The folder's group says nothing about the user's: root's here.
    give(device, user, kFolder, 0);
    const Identity identity = runInChild();
    ASSERT_EQ(identity.outcome, static_cast<int>(RootRunOutcome::BecameOwner)) << identity.problem;
    for (uid_t uid : identity.uids) EXPECT_EQ(uid, user.uid);
    for (gid_t gid : identity.gids) EXPECT_EQ(gid, user.gid);
    int count = 64;
    std::vector<gid_t> expected(64);
    ASSERT_GE(::getgrouplist(user.name.c_str(), user.gid, expected.data(), &count), 0);
    expected.resize(static_cast<std::size_t>(count));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(identity.groups, expected);
}

TEST_F(PlatformRootRun, FollowsOnlyLinksRootPlaced) {
    // /var a link to /private/var, as on the phone, in folders only root can change.
    device.makeFolder("/private");
    fs::rename(device.host("/var"), device.host("/private/var"));
    fs::create_directory_symlink("private/var", device.host("/var"));
    for (const char* folder :
         {"/private/var/mobile", "/private/var/mobile/Library", "/private/var/mobile/Library/Preferences"}) {
        give(device, user, folder, user.gid);
    }
    const Identity identity = runInChild();
    EXPECT_EQ(identity.outcome, static_cast<int>(RootRunOutcome::BecameOwner)) << identity.problem;
    EXPECT_EQ(identity.uids[1], user.uid);
}

TEST_F(PlatformRootRun, RootKeepsItsRightsOnlyWhereNoUserCanChangeAnything) {
    const Identity identity = runInChild();
    EXPECT_EQ(identity.outcome, static_cast<int>(RootRunOutcome::KeptRoot)) << identity.problem;
    EXPECT_EQ(identity.uids[1], 0u);
}

TEST_F(PlatformRootRun, RefusesWhereItCannotTellWhoseFolderItIs) {
    constexpr uid_t kNoUser = 4242421;
    if (::getpwuid(kNoUser) != nullptr) GTEST_SKIP() << "user id " << kNoUser << " names a user on this machine";
    using Layout = std::function<void(const TestDevice&)>;
    const std::vector<std::pair<std::string, Layout>> layouts = {
        {"a link to a folder of root's",
         [&](const TestDevice& d) {
             handOverMobile(d, user);
             d.makeFolder("/etc/boot-jobs");
             fs::rename(d.host(kFolder), d.host("/var/mobile/Library/Moved"));
             fs::create_directory_symlink("../../../etc/boot-jobs", d.host(kFolder));
         }},
        {"a link one folder up",
         [&](const TestDevice& d) {
             handOverMobile(d, user);
             d.makeFolder("/etc/var-library/Preferences");
             fs::rename(d.host("/var/mobile/Library"), d.host("/var/mobile/Moved"));
             fs::create_directory_symlink("../../etc/var-library", d.host("/var/mobile/Library"));
         }},
        {"missing",
         [&](const TestDevice& d) {
             handOverMobile(d, user);
             fs::remove(d.host(kFolder));
         }},
        {"a folder of root's in the user's folder",
         [&](const TestDevice& d) {
             handOverMobile(d, user);
             ASSERT_EQ(::chown(d.host(kFolder).c_str(), 0, 0), 0);
         }},
        {"root's, but anyone may write in it",
         [&](const TestDevice& d) { ASSERT_EQ(::chmod(d.host(kFolder).c_str(), 0777), 0); }},
        {"owned by an id that is no user",
         [&](const TestDevice& d) {
             handOverMobile(d, user);
             ASSERT_EQ(::chown(d.host(kFolder).c_str(), kNoUser, kNoUser), 0);
         }},
    };
    for (const auto& [layout, make] : layouts) {
        TestDevice fresh;
        fresh.makeFolder(kFolder);
        make(fresh);
        const Identity identity = runInChild();
        EXPECT_EQ(identity.outcome, static_cast<int>(RootRunOutcome::Refused)) << layout;
        EXPECT_FALSE(identity.problem.empty()) << layout;
        EXPECT_EQ(identity.problem.find('\n'), std::string::npos) << layout;
        EXPECT_EQ(identity.uids[1], 0u) << layout;
    }
}

}  // namespace
}  // namespace nestora::test
