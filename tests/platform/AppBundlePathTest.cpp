// Names read from an app's Info.plist lead nowhere but into its bundle, and
// only a real bundle's Info.plist is ever handed on.

#include "platform/AppBundlePath.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/AppServices.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestUser.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

// /Applications is root's; the containers are a user's, who has laid links.
class PlatformAppBundlePath : public ::testing::Test {
protected:
    void SetUp() override {
        auto found = testUser();
        if (!found) GTEST_SKIP() << "needs root and the user nestora-test";
        device.makeApp("/Applications/Real.app", "com.example.real", "Real", "Real");
        fs::create_directory_symlink("Real.app", device.host("/Applications/Camera.app"));
        device.makeApp("/var/mobile/Applications/C1/Game.app", "com.example.game", "Game", "Game");
        device.makeFolder("/var/mobile/Applications/C1/NoInfo.app");
        device.makeFolder("/var/mobile/Applications/C1/LinkedInfo.app");
        fs::create_symlink("/Applications/Real.app/Info.plist",
                           device.host("/var/mobile/Applications/C1/LinkedInfo.app/Info.plist"));
        fs::create_directory_symlink("../../../../Applications/Real.app",
                                     device.host("/var/mobile/Applications/C1/Linked.app"));
        fs::create_directory_symlink("../../../Applications", device.host("/var/mobile/Applications/LC"));
        for (const char* path : {"/var/mobile", "/var/mobile/Applications", "/var/mobile/Applications/C1",
                                 "/var/mobile/Applications/C1/Linked.app", "/var/mobile/Applications/LC"}) {
            ASSERT_EQ(::lchown(device.host(path).c_str(), found->uid, found->gid), 0);
        }
    }
    TestDevice device;
};

TEST_F(PlatformAppBundlePath, OnlyABundlesOwnInfoPlistDirectlyInAnApplicationFolder) {
    const std::vector<std::pair<std::string, bool>> paths = {
        {"/Applications/Real.app/Info.plist", true},
        {"/Applications/Camera.app/Info.plist", true},  // a link root placed
        {"/var/mobile/Applications/C1/Game.app/Info.plist", true},
        {"/var/mobile/Applications/C1/NoInfo.app/Info.plist", true},
        {"/var/mobile/Applications/C1/Missing.app/Info.plist", false},
        {"/var/mobile/Applications/C1/Linked.app/Info.plist", false},
        {"/var/mobile/Applications/LC/Real.app/Info.plist", false},
        {"/var/mobile/Applications/C1/LinkedInfo.app/Info.plist", false},
        {"/var/mobile/Applications/C1/../../../../Applications/Real.app/Info.plist", false},
        {"/var/mobile/Applications/C1/./Game.app/Info.plist", false},
        {"/var/mobile/Applications/C1//Game.app/Info.plist", false},
        {"/var/mobile/Applications/C1/Game.app/Inner.app/Info.plist", false},
        {"/var/mobile/Applications/Game.app/Info.plist", false},
        {"/Applications/Real.app/Other.plist", false},
        {"/Applications/Real.app/", false},
        {"/etc/Real.app/Info.plist", false},
        {"Applications/Real.app/Info.plist", false},
        {std::string("/Applications/Real.app\0/Info.plist", 35), false},
    };
    for (const auto& [path, real] : paths) {
        EXPECT_EQ(platform::isAppBundleInfoPlistPath(path), real) << path;
    }
}

TEST_F(PlatformAppBundlePath, RoleFoldersAreFoundOnlyBesideTheBundleAndNotThroughAUsersLink) {
    EXPECT_EQ(platform::roleExecutablePath("/Applications", "Camera", "Real"), "/Applications/Camera.app/Real");
    EXPECT_EQ(platform::roleExecutablePath("/var/mobile/Applications/C1", "Game", "Game"),
              "/var/mobile/Applications/C1/Game.app/Game");
    EXPECT_FALSE(platform::roleExecutablePath("/var/mobile/Applications/C1", "Linked", "Real"));
    EXPECT_FALSE(platform::roleExecutablePath("/var/mobile/Applications/C1", "../../../../Applications/Real", "Real"));
    EXPECT_FALSE(platform::roleExecutablePath("/var/mobile/Applications/C1", "Game", "../Game.app/Game"));
    EXPECT_FALSE(platform::roleExecutablePath("/var/mobile/Applications/C1", "NoInfo", "Game"));
    EXPECT_FALSE(platform::roleExecutablePath("/var/mobile/Applications/LC", "Real", "Real"));
    EXPECT_FALSE(platform::roleExecutablePath("/etc", "Real", "Real"));
}

TEST_F(PlatformAppBundlePath, AppsWhoseNamesLeadOutOfTheirBundleAreUnknown) {
    const auto info = [&](const std::string& bundle, const std::string& identifier, const std::string& executable,
                          const std::string& role) {
        device.writeFile(bundle + "/Info.plist",
                         "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>" + identifier +
                             "</string><key>CFBundleExecutable</key><string>" + executable +
                             "</string><key>UIRoleDisplayNames</key><dict><key>" + role +
                             "</key><string>Role</string></dict></dict></plist>");
    };
    info("/var/mobile/Applications/C1/Up.app", "com.example.up", "../../../../Applications/Real.app/Real", "Plain");
    info("/var/mobile/Applications/C1/Slash.app", "com.example.slash", "Real.app/Real", "Plain");
    info("/var/mobile/Applications/C1/Roles.app", "com.example.roles", "Roles", "../../../../Applications/Real");
    device.writeFile("/var/mobile/Applications/C1/Roles.app/Roles", "#!/bin/sh\n");
    const platform::DeviceAppServices services;
    for (const char* id : {"com.example.up", "com.example.slash", "com.example.up-Plain"}) {
        EXPECT_FALSE(services.executablePathForDisplayIdentifier(id)) << id;
        EXPECT_FALSE(services.localizedApplicationNameForDisplayIdentifier(id)) << id;
    }
    EXPECT_FALSE(services.executablePathForDisplayIdentifier("com.example.roles-../../../../Applications/Real"));
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.roles"),
              "/var/mobile/Applications/C1/Roles.app/Roles");
    // A plain role whose folder beside the bundle is a user's link: the
    // bundle's own executable.
    info("/var/mobile/Applications/C1/Photo.app", "com.example.photo", "Real", "Linked");
    device.writeFile("/var/mobile/Applications/C1/Photo.app/Real", "#!/bin/sh\n");
    EXPECT_EQ(services.executablePathForDisplayIdentifier("com.example.photo-Linked"),
              "/var/mobile/Applications/C1/Photo.app/Real");
}

}  // namespace
}  // namespace nestora::test
